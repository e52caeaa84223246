// The rewrite where the file system says no: a read-only file, a folder the
// user may not write, a full file system, a missing path, a name that is too
// long with the temporary suffix. In each: the result, and nothing lost.
//
// The tests run as root in CI, where file modes bind nobody; the parts that
// need an ordinary user run in a forked child that becomes nobody (65534).
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "writehelp.h"

using namespace writehelp;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

constexpr uid_t nobody = 65534;
constexpr int skipped = 77;

// Runs `body` in a child process and returns its exit status (128 + the
// signal when it was killed). With `asnobody` the child first gives up root.
int inchild(const std::function<int()>& body, bool asnobody = false) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (asnobody && geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0))
            _exit(skipped);
        _exit(body());
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class Faults : public ::testing::Test {
protected:
    testutil::tempdir dir;
    std::string old;

    void SetUp() override {
        old = tag(3, frame23("TIT2", text0("Old")) + std::string(300, '\0')) + audio(120000) +
              id3v1("Old", "Old", "Old", "1970", "c", 3, 17);
        // Others may pass through, so that nobody reaches the files.
        fs::permissions(dir.path(),
                        fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    }
    // A folder (owned by `owner` when we are root) holding a.mp3.
    std::u16string setup(const std::string& folder, uid_t owner, unsigned foldermode,
                         unsigned filemode) {
        const fs::path f = dir.path() / folder;
        fs::create_directory(f);
        testutil::writefile(f / "a.mp3", old);
        if (geteuid() == 0) {
            EXPECT_EQ(chown(f.c_str(), owner, owner), 0);
            EXPECT_EQ(chown((f / "a.mp3").c_str(), owner, owner), 0);
        }
        const std::u16string p = platform::fromnative((f / "a.mp3").string());
        EXPECT_TRUE(platform::setmode(p, filemode));
        EXPECT_TRUE(platform::setmode(platform::fromnative(f.string()), foldermode));
        EXPECT_TRUE(platform::setfiletime(p, {1300000000, 5}));
        return p;
    }
    void untouched(const std::u16string& p) {
        EXPECT_EQ(testutil::readfile(platform::tonative(p)), old);
        EXPECT_EQ(mtime(p), (platform::filetime{1300000000, 5}));
    }
    static args abc() { return {u"Artist", u"Title", u"Album", u"1999"}; }
};

} // namespace

TEST_F(Faults, ReadOnlyFileAsAnOrdinaryUser) {
    const std::u16string p = setup("ro", nobody, 0755, 0444);
    const int status = inchild([&] { return rewrite(p, abc()) ? 0 : 1; }, true);
    if (status == skipped) GTEST_SKIP() << "cannot become user 65534 to test file modes";
    ASSERT_EQ(status, 0);
    // Read-only is cleared; the audio and the date are kept.
    EXPECT_EQ(mode(p), 0644u);
    EXPECT_EQ(mtime(p), (platform::filetime{1300000000, 5}));
    const std::string now = testutil::readfile(platform::tonative(p));
    EXPECT_EQ(now.substr(now.size() - 128 - 120000, 120000), audio(120000));
    EXPECT_EQ(read(p).title, "Title");

    // The ID3v1 step alone clears read-only to open the file.
    ASSERT_TRUE(platform::setmode(p, 0444));
    const auto v1only = [&] {
        return id3v2::writeid3v1(p, u"A", u"T2", u"Al", u"2000", false, u"", false) ? 0 : 1;
    };
    ASSERT_EQ(inchild(v1only, true), 0);
    EXPECT_EQ(mode(p), 0644u);
    EXPECT_EQ(read(p).title, "Title"); // the ID3v2 title wins
    EXPECT_EQ(testutil::readfile(platform::tonative(p)).substr(now.size() - 125, 2), "T2");
}

TEST_F(Faults, FolderWithoutWritePermission) {
    // The file is writable by the user; its folder (root's, or our own without
    // write permission when we are not root) is not.
    const std::u16string p = setup("locked", 0, geteuid() == 0 ? 0755 : 0555, 0666);
    const int status = inchild([&] { return rewrite(p, abc()) ? 1 : 0; }, true);
    if (status == skipped) GTEST_SKIP() << "cannot become user 65534 to test folder modes";
    EXPECT_EQ(status, 0);
    untouched(p);
    EXPECT_FALSE(fs::exists(platform::tonative(p) + "$delme.$$$"));
}

TEST_F(Faults, FullFileSystem) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
    const fs::path mnt = dir.path() / "small";
    fs::create_directory(mnt);
    // 1 MB of room, of which the file takes 700 KB: the temporary copy cannot
    // be completed. In a mount namespace of its own, so nothing leaks out.
    const std::string big = tag(3, frame23("TIT2", text0("Old"))) + audio(700000);
    const int status = inchild([&] {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr))
            return skipped;
        if (mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=1m") != 0) return skipped;
        const fs::path f = mnt / "a.mp3";
        testutil::writefile(f, big);
        const std::u16string p = platform::fromnative(f.string());
        platform::setfiletime(p, {1300000000, 5});
        if (rewrite(p, abc())) return 1;
        if (testutil::readfile(f) != big) return 2;
        if (!(mtime(p) == platform::filetime{1300000000, 5})) return 3;
        // Room again (the leftover is replaced, not added to): it works.
        std::error_code ec;
        fs::remove(mnt / "a.mp3$delme.$$$", ec);
        testutil::writefile(f, big.substr(0, 300000));
        if (!rewrite(p, abc())) return 4;
        const std::string now = testutil::readfile(f);
        const std::size_t n = 300000 - extent(big);
        if (now.compare(now.size() - 128 - n, n, big, extent(big), n) != 0) return 5;
        return 0;
    });
    if (status == skipped) GTEST_SKIP() << "cannot mount a tmpfs in a mount namespace of its own";
    EXPECT_EQ(status, 0);
}

TEST_F(Faults, MissingPathAndFolder) {
    const std::u16string p = dir.u16(u"missing.mp3");
    EXPECT_FALSE(rewrite(p, abc()));
    EXPECT_FALSE(fs::exists(dir.path() / "missing.mp3"));
    EXPECT_FALSE(fs::exists(dir.path() / "missing.mp3$delme.$$$"));
    // A file under the temporary name beside a missing MP3 file may be all
    // that is left of its music (a rename that failed after the delete, as an
    // older writer did it): it is not touched.
    testutil::writefile(dir.path() / "missing.mp3$delme.$$$", old);
    EXPECT_FALSE(rewrite(p, abc()));
    EXPECT_TRUE(testutil::readfile(dir.path() / "missing.mp3$delme.$$$") == old);
    EXPECT_FALSE(fs::exists(dir.path() / "missing.mp3"));
    EXPECT_FALSE(rewrite(dir.u16(u"nowhere/a.mp3"), abc()));
    fs::create_directory(dir.path() / "folder.mp3");
    EXPECT_FALSE(rewrite(dir.u16(u"folder.mp3"), abc()));
    EXPECT_TRUE(fs::is_directory(dir.path() / "folder.mp3"));
}

TEST_F(Faults, NameTooLongForTheTemporaryName) {
    const std::string name = std::string(250, 'n') + ".mp3"; // 254 bytes: the longest is 255
    testutil::writefile(dir.path() / name, old);
    const std::u16string p = dir.u16(platform::fromnative(name));
    ASSERT_TRUE(platform::setfiletime(p, {1300000000, 5}));
    EXPECT_FALSE(rewrite(p, abc()));
    untouched(p);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}
