// The rewrite never loses a byte: killed at any moment, the path holds the
// whole old or the whole new file; the new file takes the old one's place in
// one step, with its date and permissions; where the file system says no or
// the file changes under it, the file stays as it was and no copy is left
// beside it; what another writer puts under the temporary name is neither put
// in the file's place nor touched. What needs an ordinary user runs in a
// child process that becomes nobody (65534).
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sched.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

#include "mp3fixture.h"
#include "progress.h"
#include "tagfile.h"

using namespace tagfile;
namespace fs = std::filesystem;

TEST(Safety, KilledAtAnyMomentThePathHoldsTheOldOrTheNewFile) {
    testutil::tempdir dir;
    // 20 MB of real MP3 frames behind a tag with a picture, an ID3v1 block at the end.
    std::string old =
        tag(3, f23("APIC", apic("jpg", std::string(100000, 'p'))) + std::string(4000, '\0'));
    while (old.size() < (20u << 20)) old += mp3fixture::basemp3();
    old += id3v1("Old", "Old", "Old", "1970", "c", 3, 17);
    const std::u16string p = dir.u16(u"a.mp3");
    // Starts a rewrite in a child; returns when it began.
    auto start = [&](pid_t& pid) {
        testutil::writefile(dir.path() / "a.mp3", old);
        platform::setfiletime(p, {1200000000, 424242424});
        if ((pid = fork()) == 0)
            _exit(rewrite(p, {u"A", u"T", u"Al", u"1999", u"Pop", true, u"4"}) ? 0 : 1);
        return std::chrono::steady_clock::now();
    };
    // One rewrite to the end: the new file, and how long a rewrite takes. The
    // path never goes missing on the way.
    const int events = inotify_init1(IN_NONBLOCK);
    pid_t pid = 0;
    int status = 0;
    inotify_add_watch(events, dir.path().c_str(), IN_DELETE | IN_MOVED_FROM);
    const auto begun = start(pid);
    waitpid(pid, &status, 0);
    const auto duration = std::chrono::steady_clock::now() - begun;
    ASSERT_EQ(status, 0);
    alignas(inotify_event) char buf[4096];
    for (ssize_t n = ::read(events, buf, sizeof buf), at = 0; at < n;
         at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(buf + at)->len)
        EXPECT_STRNE(reinterpret_cast<inotify_event*>(buf + at)->name, "a.mp3");
    close(events);
    const std::string fresh = testutil::readfile(dir.path() / "a.mp3"), date = stamp(p);
    const std::size_t n = old.size() - extent(old) - 128;
    ASSERT_EQ(fresh.compare(extent(fresh), n, old, extent(old), n), 0);
    int sawold = 0, sawnew = 0;
    for (int i = 0; i < 20; ++i) {
        // One moment in each twentieth of two and a half rewrites, at a varying place within it.
        std::this_thread::sleep_until(start(pid) + duration * (i + i * 7 % 10 / 10.0) / 8);
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        const std::string now = testutil::readfile(dir.path() / "a.mp3");
        EXPECT_TRUE(now == old || now == fresh) << i << ": " << now.size() << " bytes of neither";
        EXPECT_EQ(stamp(p), date) << i;
        sawold += now == old;
        sawnew += now == fresh;
    }
    EXPECT_GT(sawold, 0) << "no kill came during a rewrite; " << sawnew << " after it";
}

namespace {

constexpr uid_t nobody = 65534;
constexpr int skipped = 77;
const std::string other = audio() + id3v1("O", "O", "O", "1970", "o", 1, 2);

// Sets or clears the immutable attribute, which no rename may pass, not even root's.
bool immutable(const fs::path& file, bool on) {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    int flags = 0;
    bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) close(fd);
    return done;
}

// The names in a folder, sorted.
std::string names(const fs::path& folder) {
    std::vector<std::string> all;
    for (const auto& e : fs::directory_iterator(folder)) all.push_back(e.path().filename());
    std::sort(all.begin(), all.end());
    std::string s;
    for (const auto& n : all) s += n + " ";
    return s;
}

// One fault, in a child process. `how` holds n (as nobody), r (a read-only
// file, mode 550), w (the rewrite works), s (a small file system), v (the
// file vanished beside what its temporary name holds), l (it is a link to its
// temporary name), t (another user's leftover under the temporary name, which
// the user may write but not remove: a folder with the sticky bit), i
// (immutable), and S, W, R (it shrinks, is written, is
// replaced by another file during the copy). 0 when all went as it should, 77
// when the child may not become nobody, mount a file system or make a file
// immutable, else the step that failed.
int run(const std::string& how, const fs::path& folder, const std::string& old,
        const std::string& after) noexcept {
    const auto has = [&](char c) { return how.find(c) != std::string::npos; };
    if (has('s') && (unshare(CLONE_NEWNS) != 0 ||
                     mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                     mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=1m") != 0))
        return skipped;
    const fs::path file = folder / "a.mp3", temp = file.string() + "$delme.$$$";
    const std::u16string p = platform::fromnative(file.string());
    testutil::writefile(has('v') || has('l') ? temp : file, old);
    if (has('l')) fs::create_symlink(temp.filename(), file);
    testutil::writefile(folder / "o.mp3", other);
    platform::setfiletime(p, {1300000000, 5});
    if (has('r')) fs::permissions(folder, fs::perms::all), platform::setmode(p, 0550);
    if (has('t')) {
        testutil::writefile(temp, other);
        fs::permissions(temp, fs::perms(0666)), fs::permissions(folder, fs::perms(01777));
    }
    if (has('i') && !immutable(file, true)) return skipped;
    if (has('n') && (chown(file.c_str(), nobody, nobody) != 0 || setgroups(0, nullptr) != 0 ||
                     setgid(nobody) != 0 || setuid(nobody) != 0))
        return skipped;
    // A handler run during the copy may start no second rewrite, and a read
    // of another file must not change the one that runs.
    int pumps = 0;
    bool refused = true;
    id3v2::progressscope scope(
        {{}, {}, {}, [&] {
             refused = refused && !rewrite(p, abc);
             read(platform::fromnative((folder / "o.mp3").string()));
             if (++pumps != 3) return;
             // Shrunk with its date put back: only the size tells.
             if (has('S')) fs::resize_file(file, 99999), platform::setfiletime(p, {1300000000, 5});
             if (has('W')) std::fstream(file, std::ios::in | std::ios::out) << "ID4";
             if (has('R')) fs::rename(folder / "o.mp3", file);
         }});
    if (rewrite(p, abc) != has('w') || !refused) return 1;
    // Beside a whole MP3 file a copy serves nothing; but a file we did not
    // make stays.
    if (!has('v') && !has('l') && !has('t') && fs::exists(fs::symlink_status(temp))) return 6;
    if (has('t') && testutil::readfile(temp) != other) return 7;
    if (has('w'))
        return read(p) == "Artist|Title|Album|1999|||" && stamp(p) == "1300000000.5 750" ? 0 : 2;
    if (testutil::readfile(file) != after) return 3;
    if (after == old && stamp(p) != "1300000000.5 644") return 4;
    // What stands under the temporary name may be all that is left of the music.
    return has('v') && testutil::readfile(temp) != old ? 5 : 0;
}

} // namespace

TEST(Safety, FaultsLeaveTheFileAsItWas) {
    const std::string old = tag(3, "") + audio(700000);
    const std::pair<const char*, std::string> faults[] = {
        {"rw", ""},                   // a read-only file: it is no more, the other bits kept
        {"nrw", ""},                  // the same as another user
        {"n", old},                   // a folder the user may not write, as another user
        {"s", old},                   // a full file system
        {"v", ""},                    // a vanished file
        {"l", old},                   // a link to its own temporary name
        {"nt", old},                  // another user's leftover, never written through
        {"S", old.substr(0, 99999)},  // shrinks during the copy
        {"W", "ID4" + old.substr(3)}, // written during the copy
        {"R", other},                 // replaced during the copy
        {"i", old},                   // immutable: the rename over it fails
    };
    testutil::tempdir dir;
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_exec);
    for (const auto& [how, after] : faults) {
        const fs::path folder = dir.path() / how;
        fs::create_directory(folder);
        fs::permissions(folder, fs::perms::owner_all | fs::perms::others_exec);
        int status = 0;
        if (const pid_t pid = fork(); pid == 0)
            _exit(run(how, folder, old, after));
        else
            waitpid(pid, &status, 0);
        if (std::string(how) == "i") immutable(folder / "a.mp3", false);
        EXPECT_TRUE(WIFEXITED(status) &&
                    (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == skipped))
            << how << ": " << status;
    }
}

TEST(Safety, AWriteErrorLeavesTheFileAsItWasAndNoCopy) {
    testutil::tempdir dir;
    // Six writes: the tag, three blocks of audio and a short one, the ID3v1 tag.
    const std::string old = tag(3, "") + audio(3 * 49152 + 1000) + id3v1("O", "O", "O", "1970");
    const std::u16string p = dir.u16(u"a.mp3");
    // The one write that fails, those after it working: the tag's, the first,
    // a middle and the last block's, the ID3v1 tag's; then none.
    for (int nth : {1, 2, 3, 5, 6, 7}) {
        testutil::writefile(dir.path() / "a.mp3", old);
        platform::setfiletime(p, {1300000000, 5});
        platform::failwrite(nth, EIO);
        const bool written = rewrite(p, abc);
        platform::failwrite(0, 0);
        EXPECT_EQ(names(dir.path()), "a.mp3 ") << nth;
        EXPECT_EQ(written, nth == 7) << nth;
        if (written) continue;
        EXPECT_TRUE(testutil::readfile(dir.path() / "a.mp3") == old) << nth;
        EXPECT_EQ(stamp(p), "1300000000.5 644") << nth;
    }
    EXPECT_EQ(read(p), "Artist|Title|Album|1999|||");
}

// A second copy of the program rewriting the same file deletes what it finds
// under the temporary name and starts its own copy there, or renames its
// finished copy onto that name, at one of our pumps. Its file must neither
// take the MP3 file's place nor be touched, also when our copy fails after
// that; the MP3 file stays as it was.
TEST(Safety, ASecondWriterUnderTheTemporaryNameKeepsItsFileAndTheMp3ItsOwn) {
    testutil::tempdir dir;
    // Four pumps: before each of three whole blocks and before the short last one.
    const std::string old = tag(3, "") + audio(3 * 49152 + 1000) + id3v1("O", "O", "O", "1970");
    const std::string theirs = tag(3, "") + audio(990);
    const fs::path file = dir.path() / "a.mp3", temp = file.string() + "$delme.$$$";
    const std::u16string p = dir.u16(u"a.mp3"), t = platform::fromnative(temp.string());
    const struct {
        int pump;    // the pump at which the second writer acts
        bool rename; // its whole copy renamed onto the name, else the name deleted and written
        int failing; // our write that fails after that (1: the next), 0 none
    } cases[] = {
        {2, false, 0}, // in the middle of the copy
        {4, true, 0},  // at the last pump, when only the last block is left
        {2, false, 1}, // then the next block cannot be written
        {4, true, 2},  // then the ID3v1 tag cannot be written
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.pump) + " " + std::to_string(c.rename) + " " +
                     std::to_string(c.failing));
        testutil::writefile(file, old);
        platform::setfiletime(p, {1300000000, 5});
        int pumps = 0;
        id3v2::progressscope scope(
            {{}, {}, {}, [&] {
                 if (++pumps != c.pump) return;
                 const fs::path made = c.rename ? dir.path() / "b" : temp;
                 if (!c.rename) fs::remove(temp);
                 testutil::writefile(made, theirs);
                 platform::setmode(platform::fromnative(made.string()), 0600);
                 platform::setfiletime(platform::fromnative(made.string()), {1100000000, 7});
                 if (c.rename) fs::rename(made, temp);
                 platform::failwrite(c.failing, EIO);
             }});
        EXPECT_FALSE(rewrite(p, abc));
        platform::failwrite(0, 0);
        EXPECT_EQ(pumps, c.failing == 1 ? c.pump : 4); // the last pump was the last
        EXPECT_TRUE(testutil::readfile(file) == old);
        EXPECT_EQ(stamp(p), "1300000000.5 644");
        EXPECT_TRUE(testutil::readfile(temp) == theirs);
        EXPECT_EQ(stamp(t), "1100000000.7 600");
        EXPECT_EQ(names(dir.path()), "a.mp3 a.mp3$delme.$$$ ");
        fs::remove(temp);
    }
}

// A leftover under the temporary name beside a whole MP3 file is a crashed
// rewrite's copy, or a link or second name of another file: it is removed,
// never written through, and the rewrite goes on.
TEST(Safety, ALeftoverUnderTheTemporaryNameGivesWayAndWhatItLeadsToStays) {
    testutil::tempdir dir;
    const std::string old = tag(3, "") + audio(2 * 49152) + id3v1("O", "O", "O", "1970");
    const fs::path file = dir.path() / "a.mp3", temp = file.string() + "$delme.$$$";
    const std::u16string p = dir.u16(u"a.mp3");
    testutil::writefile(dir.path() / "o.mp3", other);
    const std::function<void()> leftovers[] = {
        [&] { testutil::writefile(temp, old.substr(0, 70000)); },
        [&] { fs::create_symlink("o.mp3", temp); },
        [&] { fs::create_symlink("missing.mp3", temp); },
        [&] { fs::create_hard_link(dir.path() / "o.mp3", temp); },
    };
    for (std::size_t i = 0; i < std::size(leftovers); ++i) {
        testutil::writefile(file, old);
        leftovers[i]();
        EXPECT_TRUE(rewrite(p, abc)) << i;
        EXPECT_EQ(read(p), "Artist|Title|Album|1999|||") << i;
        EXPECT_EQ(names(dir.path()), "a.mp3 o.mp3 ") << i;
        EXPECT_TRUE(testutil::readfile(dir.path() / "o.mp3") == other) << i;
    }
}
