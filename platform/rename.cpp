// Renames that never replace another file or folder, also where the file
// system refuses RENAME_NOREPLACE, has no hard links or compares names
// without case (exFAT and FAT drives, through FUSE or not); and the quirks
// with which tests make ext4 behave like such a file system here.
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "platform.h"
#include "seterror.h"

namespace platform {

namespace {

thread_local renamequirks quirks;

int status(int result) {
    return result == 0 ? 0 : errno;
}

// A native path's folder part, with its final "/" (empty for a bare name),
// and its name.
std::pair<std::string, std::string> split(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {std::string(), path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// Hands each name of a folder to `stop` until it returns true; false when
// the folder cannot be read.
template <class F>
bool eachname(const std::string& folder, F&& stop) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return false;
    while (const dirent* e = readdir(dir))
        if (stop(std::string_view(e->d_name))) break;
    closedir(dir);
    return true;
}

// The path a lookup of `path` reaches: under the nocase quirk, a name that
// no entry has reaches the first entry equal to it after upcase.
std::string reached(const std::string& path) {
    struct stat st {};
    if (!quirks.nocase || lstat(path.c_str(), &st) == 0 || errno != ENOENT) return path;
    // Plain names, not bindings: lambdas capture them (clang 14 cannot capture a binding).
    const auto parts = split(path);
    const std::string &folder = parts.first, &name = parts.second;
    const std::u16string key = upcase(fromnative(name));
    std::string hit = path;
    eachname(folder, [&](std::string_view n) {
        if (upcase(fromnative(n)) != key) return false;
        hit = folder + std::string(n);
        return true;
    });
    return hit;
}

// Asks the file system itself: through FUSE a name looked up a moment ago
// stays cached, and a plain lstat would still find it after its entry has
// gone under another spelling.
int examine(const std::string& path, struct statx& st) {
    return status(statx(AT_FDCWD, reached(path).c_str(), AT_SYMLINK_NOFOLLOW | AT_STATX_FORCE_SYNC,
                        STATX_TYPE | STATX_INO, &st));
}

bool present(const std::string& path) {
    struct statx st {};
    return examine(path, st) == 0;
}

int renamenoreplace(const std::string& from, const std::string& to) {
    if (quirks.noflag) return EINVAL;
    if (quirks.nocase && present(from) && present(to)) return EEXIST;
    return status(
        renameat2(AT_FDCWD, reached(from).c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE));
}

int makelink(const std::string& from, const std::string& to) {
    if (quirks.noflag) return EPERM;
    if (quirks.nocase && present(from) && present(to)) return EEXIST;
    return status(link(reached(from).c_str(), to.c_str()));
}

int removename(const std::string& path) {
    return status(unlink(reached(path).c_str()));
}

// A plain rename, which replaces whatever the target reaches.
int replacing(const std::string& from, const std::string& to) {
    const std::string source = reached(from), target = reached(to);
    if (target != to && target != source) { // another entry under another spelling
        if (rename(source.c_str(), target.c_str()) != 0) return errno;
        return status(rename(target.c_str(), to.c_str()));
    }
    return status(rename(source.c_str(), to.c_str()));
}

// Moves `from` to `to` unless `to` exists (EEXIST); 0 or the error number.
int move(const std::string& from, const std::string& to) {
    int e = renamenoreplace(from, to);
    if (e != EINVAL && e != ENOSYS) return e;
    struct statx st {};
    if ((e = examine(from, st)) != 0) return e;
    if (!S_ISDIR(st.stx_mode)) {
        // A hard link never replaces its target, so link and unlink give
        // the flag's guarantee.
        e = makelink(from, to);
        if (e == 0) {
            if ((e = removename(from)) != 0) removename(to);
            return e;
        }
        if (e != EPERM && e != EOPNOTSUPP && e != ENOSYS) return e;
    }
    // Neither the flag nor links: the target is found absent right before
    // the rename; only another program creating it in between can lose it.
    e = examine(to, st);
    if (e == 0) return EEXIST;
    if (e != ENOENT) return e;
    return replacing(from, to);
}

// Whether the existing `to` may be `from` itself under another spelling:
// its folder lists no entry of its exact name, both lie in one folder, and
// the names are equal after upcase or lead to the same file.
bool respelling(const std::string& from, const std::string& to) {
    const auto fparts = split(from), tparts = split(to);
    const std::string &ffolder = fparts.first, &fname = fparts.second;
    const std::string &tfolder = tparts.first, &tname = tparts.second;
    if (fname.empty() || tname.empty()) return false;
    struct statx a {
    }, b{};
    if (ffolder != tfolder) {
        const auto folder = [](const std::string& f) { return f.empty() ? "." : f.c_str(); };
        if (statx(AT_FDCWD, folder(ffolder), 0, STATX_INO, &a) != 0 ||
            statx(AT_FDCWD, folder(tfolder), 0, STATX_INO, &b) != 0 || a.stx_ino != b.stx_ino ||
            a.stx_dev_major != b.stx_dev_major || a.stx_dev_minor != b.stx_dev_minor)
            return false;
    }
    bool listed = false;
    if (!eachname(tfolder, [&](std::string_view n) { return listed = n == tname; }) || listed)
        return false;
    if (upcase(fromnative(fname)) == upcase(fromnative(tname))) return true;
    return examine(from, a) == 0 && examine(to, b) == 0 && a.stx_ino == b.stx_ino &&
           a.stx_dev_major == b.stx_dev_major && a.stx_dev_minor == b.stx_dev_minor;
}

// Gives `from` the spelling of `to` by way of a name of our own in its
// folder, as a direct rename may keep the old spelling. Once `from` has left,
// `to` must be free, which proves it was `from`; else `from` goes back. A
// failure that cannot go back leaves the old name with our mark after it.
int respell(const std::string& from, const std::string& to) {
    static std::atomic<unsigned> serial{0};
    const auto [folder, name] = split(from);
    std::string temp;
    bool bare = false; // the old name with the mark is too long: the mark alone
    int e = EEXIST;
    for (int tries = 0; e != 0 && tries < 16; ++tries) {
        temp = folder + (bare ? std::string() : name) + "~vorlinde-" + std::to_string(getpid()) +
               "-" + std::to_string(++serial);
        e = move(from, temp);
        if (e == ENAMETOOLONG && !bare)
            bare = true, e = EEXIST;
        else if (e != 0 && e != EEXIST)
            return e;
    }
    if (e != 0) return e;
    if ((e = move(temp, to)) != 0) move(temp, from);
    return e;
}

} // namespace

void setrenamequirks(renamequirks q) {
    quirks = q;
}

int renamepath(std::u16string_view from, std::u16string_view to) {
    const std::string f = tonative(from), t = tonative(to);
    int e = move(f, t);
    if (e == EEXIST && respelling(f, t)) e = respell(f, t);
    return seterror(e);
}

} // namespace platform
