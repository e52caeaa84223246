// A rewrite killed at any moment: a child process rewrites a 20 MB file and
// is killed with SIGKILL at moments spread over the whole rewrite; after each
// kill the path holds either the whole old file or the whole new one, with
// the audio intact and the old date.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "writehelp.h"

using namespace writehelp;
using namespace std::string_literals;

namespace {

constexpr int kills = 20;
constexpr std::size_t filesize = 20 << 20;

// Real MP3 frames from lame repeated to the size wanted (a stream without an
// Info frame joins up end to end), behind a tag with a picture, an ID3v1
// block at the end.
std::string largefile(const testutil::tempdir& dir) {
    const std::string piece = lamemp3(dir, 5.0, 320);
    std::string a;
    a.reserve(filesize);
    while (a.size() + piece.size() < filesize - 200000) a += piece;
    const std::string t = tag(3, frame23("TIT2", text0("Old")) +
                                     frame23("APIC", apic("image/jpeg", std::string(100000, 'p'))) +
                                     frame23("COMM", "\0eng\0kept"s) + std::string(4000, '\0'));
    return t + a + id3v1("Old", "Old", "Old", "1970", "c", 3, 17);
}

pid_t startrewrite(const std::u16string& p) {
    const pid_t pid = fork();
    if (pid == 0)
        _exit(rewrite(p, {u"Artist", u"Title", u"Album", u"1999", u"Pop", true, u"4", u"1"}) ? 0
                                                                                             : 1);
    return pid;
}

// A whole file in one read (a byte-wise stream is slow under the sanitizers).
std::string slurp(const std::string& path) {
    std::string bytes(std::filesystem::file_size(path), '\0');
    FILE* f = std::fopen(path.c_str(), "rb");
    const std::size_t got = f ? std::fread(bytes.data(), 1, bytes.size(), f) : 0;
    if (f) std::fclose(f);
    bytes.resize(got);
    return bytes;
}

void sleepfor(std::chrono::nanoseconds d) {
    const timespec ts{static_cast<time_t>(d.count() / 1000000000),
                      static_cast<long>(d.count() % 1000000000)};
    nanosleep(&ts, nullptr);
}

} // namespace

TEST(Crash, KilledAtAnyMomentLeavesTheOldOrTheNewFile) {
    testutil::tempdir dir;
    const std::string old = largefile(dir);
    ASSERT_GT(old.size(), filesize / 2);
    const std::u16string p = dir.u16(u"a.mp3");
    const std::string native = platform::tonative(p);
    const platform::filetime date{1200000000, 424242424};

    // One rewrite to the end: the new file, and how long a rewrite takes.
    testutil::writefile(native, old);
    ASSERT_TRUE(platform::setfiletime(p, date));
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    const pid_t first = startrewrite(p);
    ASSERT_EQ(waitpid(first, &status, 0), first);
    const auto duration = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string fresh = slurp(native);
    const std::size_t audiosize = old.size() - extent(old) - 128;
    ASSERT_EQ(fresh.compare(extent(fresh), audiosize, old, extent(old), audiosize), 0);
    ASSERT_EQ(read(p).artist, "Artist");

    int sawold = 0, sawnew = 0, finished = 0;
    for (int i = 0; i < kills; ++i) {
        SCOPED_TRACE(i);
        testutil::writefile(native, old);
        ASSERT_TRUE(platform::setfiletime(p, date));
        // One moment in each twentieth of one and a half rewrites,
        // at a varying place within it.
        const auto at = duration * (i + (i * 7 % 10) / 10.0) * 1.5 / kills;
        const pid_t pid = startrewrite(p);
        ASSERT_GT(pid, 0);
        sleepfor(std::chrono::duration_cast<std::chrono::nanoseconds>(at));
        kill(pid, SIGKILL);
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        if (WIFEXITED(status)) ++finished;

        const std::string now = slurp(native);
        const bool isold = now == old, isnew = now == fresh;
        EXPECT_TRUE(isold || isnew) << "the path holds " << now.size() << " bytes of neither";
        sawold += isold;
        sawnew += isnew;
        EXPECT_EQ(mtime(p), date);
    }
    std::cout << "rewrite "
              << std::chrono::duration_cast<std::chrono::milliseconds>(duration).count()
              << " ms; after " << kills << " kills: " << sawold << " old, " << sawnew << " new; "
              << finished << " had finished\n";
    EXPECT_LT(finished, kills) << "no kill came during a rewrite";
}
