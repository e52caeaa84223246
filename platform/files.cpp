#include "platform.h"
#include "seterror.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

thread_local int lasterr = 0;
thread_local int writesleft = 0, writeerror = 0; // failwrite's

bool fail() {
    lasterr = errno;
    return false;
}

bool ok() {
    lasterr = 0;
    return true;
}

} // namespace

int lasterror() {
    return lasterr;
}

int seterror(int error) {
    lasterr = error;
    return error;
}

void failwrite(int nth, int error) {
    writesleft = nth;
    writeerror = error;
}

// ---------------------------------------------------------------- search

namespace {

// `foldersonly`: entries the directory itself marks as neither a folder nor a
// link are left out before they are examined.
bool list(std::u16string_view pattern, std::vector<direntry>& out, unsigned mask,
          bool foldersonly) {
    out.clear();
    const std::size_t slash = pattern.rfind(u'/');
    std::u16string folder, namepattern;
    if (slash == std::u16string_view::npos) {
        folder = u".";
        namepattern = pattern;
    } else {
        folder = pattern.substr(0, slash + 1);
        namepattern = pattern.substr(slash + 1);
    }
    const std::string nativefolder = tonative(folder);
    DIR* dir = opendir(nativefolder.c_str());
    if (!dir) return fail();
    const int dfd = dirfd(dir);
    errno = 0;
    while (const dirent* e = readdir(dir)) {
        const std::string_view raw(e->d_name);
        if (raw == "." || raw == "..") continue;
        if (foldersonly && e->d_type != DT_DIR && e->d_type != DT_LNK && e->d_type != DT_UNKNOWN)
            continue;
        if (!maymatch(raw, namepattern)) continue;
        direntry entry;
        entry.name = fromnative(raw);
        if (!matchpattern(entry.name, namepattern)) continue;
        struct stat ls {
        }, st{};
        if (fstatat(dfd, e->d_name, &ls, AT_SYMLINK_NOFOLLOW) == 0) {
            entry.link = S_ISLNK(ls.st_mode);
            // A link counts as what it leads to; a broken one as a file.
            const bool reached = !entry.link || fstatat(dfd, e->d_name, &st, 0) == 0;
            const struct stat& s = entry.link && reached ? st : ls;
            if (reached)
                entry.id = {static_cast<std::uint64_t>(s.st_dev),
                            static_cast<std::uint64_t>(s.st_ino)};
            entry.folder = S_ISDIR(s.st_mode);
            entry.readonly = !(s.st_mode & S_IWUSR);
            entry.size = S_ISREG(s.st_mode) ? static_cast<std::int64_t>(s.st_size) : 0;
        }
        entry.hidden = raw.front() == '.';
        if (foldersonly && !entry.folder) continue;
        if (entry.folder && !(mask & attr_folder)) continue;
        if (entry.hidden && !(mask & attr_hidden)) continue;
        out.push_back(std::move(entry));
    }
    closedir(dir);
    std::sort(out.begin(), out.end(),
              [](const direntry& a, const direntry& b) { return namebefore(a.name, b.name); });
    return ok();
}

} // namespace

bool search(std::u16string_view pattern, std::vector<direntry>& out, unsigned mask) {
    return list(pattern, out, mask, false);
}

bool searchfolders(std::u16string_view pattern, std::vector<direntry>& out) {
    return list(pattern, out, attr_any, true);
}

// ---------------------------------------------------------------- file

file::~file() {
    close();
}

file::file(file&& other) noexcept : fd_(other.fd_) {
    other.fd_ = -1;
}

file& file::operator=(file&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool file::open(std::u16string_view path, openmode mode) {
    close();
    int flags = O_CLOEXEC;
    switch (mode) {
    case openmode::read:
        flags |= O_RDONLY;
        break;
    case openmode::readwrite:
        flags |= O_RDWR;
        break;
    case openmode::create:
        flags |= O_WRONLY | O_CREAT | O_TRUNC;
        break;
    case openmode::createnew:
        flags |= O_RDWR | O_CREAT | O_EXCL;
        break;
    }
    // Non-blocking, so that a FIFO or a device named like a file cannot
    // hang the open; only regular files are served.
    fd_ = ::open(tonative(path).c_str(), flags | O_NONBLOCK, 0666);
    if (fd_ < 0) return fail();
    struct stat st {};
    if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int e = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd_);
        fd_ = -1;
        errno = e;
        return fail();
    }
    fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    return ok();
}

std::int64_t file::read(void* buf, std::size_t n) {
    auto* p = static_cast<char*>(buf);
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd_, p + got, n - got);
        if (r < 0) {
            if (errno == EINTR) continue;
            fail();
            return -1;
        }
        if (r == 0) break;
        got += static_cast<std::size_t>(r);
    }
    ok();
    return static_cast<std::int64_t>(got);
}

bool file::write(const void* buf, std::size_t n) {
    if (writesleft > 0 && --writesleft == 0) {
        errno = writeerror;
        return fail();
    }
    const auto* p = static_cast<const char*>(buf);
    std::size_t done = 0;
    while (done < n) {
        const ssize_t r = ::write(fd_, p + done, n - done);
        if (r < 0) {
            if (errno == EINTR) continue;
            return fail();
        }
        done += static_cast<std::size_t>(r);
    }
    return ok();
}

bool file::seek(std::int64_t pos) {
    if (pos < 0) {
        errno = EINVAL;
        return fail();
    }
    return lseek(fd_, static_cast<off_t>(pos), SEEK_SET) < 0 ? fail() : ok();
}

std::int64_t file::size() {
    struct stat st {};
    if (fstat(fd_, &st) != 0) {
        fail();
        return -1;
    }
    ok();
    return static_cast<std::int64_t>(st.st_size);
}

bool file::sync() {
    return fsync(fd_) != 0 ? fail() : ok();
}

bool file::gettime(filetime& t) {
    struct stat st {};
    if (fstat(fd_, &st) != 0) return fail();
    t = {st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
    return ok();
}

bool file::settime(const filetime& t) {
    const timespec times[2] = {{0, UTIME_OMIT},
                               {static_cast<time_t>(t.sec), static_cast<long>(t.nsec)}};
    return futimens(fd_, times) != 0 ? fail() : ok();
}

bool file::getmode(unsigned& mode) {
    struct stat st {};
    if (fstat(fd_, &st) != 0) return fail();
    mode = st.st_mode & 07777;
    return ok();
}

bool file::setmode(unsigned mode) {
    return fchmod(fd_, mode & 07777) != 0 ? fail() : ok();
}

bool file::getid(fileid& id) {
    struct stat st {};
    if (fstat(fd_, &st) != 0) return fail();
    id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    return ok();
}

bool file::isnamed(std::u16string_view path) {
    struct stat mine {
    }, named{};
    if (fstat(fd_, &mine) != 0 ||
        fstatat(AT_FDCWD, tonative(path).c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0)
        return fail();
    ok();
    return mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
}

bool file::close() {
    if (fd_ < 0) return true;
    const int r = ::close(fd_);
    fd_ = -1;
    return r != 0 ? fail() : ok();
}

// ---------------------------------------------------------------- paths

bool exists(std::u16string_view path) {
    struct stat st {};
    return lstat(tonative(path).c_str(), &st) == 0 ? ok() : fail();
}

bool isfolder(std::u16string_view path) {
    struct stat st {};
    if (stat(tonative(path).c_str(), &st) != 0) return fail();
    return S_ISDIR(st.st_mode);
}

bool deletefile(std::u16string_view path) {
    return unlink(tonative(path).c_str()) != 0 ? fail() : ok();
}

int replacefile(std::u16string_view from, std::u16string_view to) {
    if (rename(tonative(from).c_str(), tonative(to).c_str()) != 0) {
        fail();
        return lasterr;
    }
    ok();
    return 0;
}

bool getmode(std::u16string_view path, unsigned& mode) {
    struct stat st {};
    if (stat(tonative(path).c_str(), &st) != 0) return fail();
    mode = st.st_mode & 07777;
    return ok();
}

bool setmode(std::u16string_view path, unsigned mode) {
    return chmod(tonative(path).c_str(), mode & 07777) != 0 ? fail() : ok();
}

bool getreadonly(std::u16string_view path, bool& readonly) {
    unsigned mode = 0;
    if (!getmode(path, mode)) return false;
    readonly = !(mode & S_IWUSR);
    return true;
}

bool setreadonly(std::u16string_view path, bool readonly) {
    unsigned mode = 0;
    if (!getmode(path, mode)) return false;
    return setmode(path, readonly ? (mode & ~unsigned(S_IWUSR)) : (mode | S_IWUSR));
}

bool getfiletime(std::u16string_view path, filetime& t) {
    struct stat st {};
    if (stat(tonative(path).c_str(), &st) != 0) return fail();
    t = {st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
    return ok();
}

bool setfiletime(std::u16string_view path, const filetime& t) {
    const timespec times[2] = {{0, UTIME_OMIT},
                               {static_cast<time_t>(t.sec), static_cast<long>(t.nsec)}};
    return utimensat(AT_FDCWD, tonative(path).c_str(), times, 0) != 0 ? fail() : ok();
}

bool syncfolder(std::u16string_view path) {
    const int fd = ::open(tonative(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return fail();
    const bool r = fsync(fd) == 0;
    if (!r) fail();
    ::close(fd);
    return r ? ok() : false;
}

bool getfileid(std::u16string_view path, fileid& id) {
    struct stat st {};
    if (::stat(tonative(path).c_str(), &st) != 0) return fail();
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.inode = static_cast<std::uint64_t>(st.st_ino);
    return ok();
}

bool resolvepath(std::u16string_view path, std::u16string& resolved) {
    char* r = ::realpath(tonative(path).c_str(), nullptr);
    if (!r) return fail();
    resolved = fromnative(r);
    std::free(r);
    return ok();
}

} // namespace platform
