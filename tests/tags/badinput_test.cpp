// Files that are not what they claim: nothing may be read outside the file or
// the tag, nothing thrown, and the values are those the rules give.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tagbuilder.h"

using namespace tagbuild;
using namespace std::string_literals;

namespace {

bool allempty(const values& v) {
    return v.artist.empty() && v.title.empty() && v.album.empty() && v.year.empty() &&
           v.trno.empty() && v.genre.empty() && v.tcmp.empty() && !v.haspicture;
}

} // namespace

TEST(BadInput, TinyFiles) {
    testutil::tempdir dir;
    const std::string header = tag(3, frame23("TIT2", text0("T")));
    for (std::size_t n = 0; n <= 10; ++n) {
        const values v = read(put(dir, "tiny.mp3", header.substr(0, n)), true);
        EXPECT_TRUE(allempty(v)) << n;
        EXPECT_FALSE(id3v2::hasid3v2) << n;
        EXPECT_FALSE(id3v2::picdata);
    }
    // Eleven bytes: a header and one byte of a tag that claims more.
    read(put(dir, "eleven.mp3", header.substr(0, 11)));
    EXPECT_TRUE(id3v2::hasid3v2);
}

TEST(BadInput, FoldersAndMissingFiles) {
    testutil::tempdir dir;
    std::filesystem::create_directory(dir.path() / "folder.mp3");
    EXPECT_TRUE(allempty(read(dir.u16(u"folder.mp3"), true)));
    EXPECT_TRUE(allempty(read(dir.u16(u"missing.mp3"), true)));
    EXPECT_TRUE(allempty(read(u"", true)));
    EXPECT_TRUE(id3v2::v1tail.empty());
}

TEST(BadInput, UnreadableFile) {
    testutil::tempdir dir;
    const std::u16string p =
        put(dir, "locked.mp3",
            tag(3, frame23("TIT2", text0("Secret"))) + audio() + id3v1("V1", "", "", ""));
    chmod(dir.path().c_str(), 0755);
    chmod((dir.path() / "locked.mp3").c_str(), 0);
    // Root reads any file; a child that gives up root tries instead.
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(77);
        const values v = read(p, true);
        _exit(allempty(v) && !id3v2::hasid3v2 && id3v2::v1tail.empty() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot drop root to test an unreadable file";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(BadInput, DeclaredSizesBeyondTheFile) {
    testutil::tempdir dir;
    const std::string frames = frame23("TIT2", text0("Kept")) + frame23("TPE1", text0("Artist"));
    // 0xFFFFFFFF read with whole bytes is over 500 MB; the file holds 60 bytes of it.
    for (int version : {2, 3, 4}) {
        const std::string f =
            version == 2 ? frame22("TT2", text0("Kept")) + frame22("TP1", text0("Artist")) : frames;
        const values v = read(put(dir, "big.mp3", tagraw(version, "\xFF\xFF\xFF\xFF"s, f)), true);
        EXPECT_EQ(v.title, "Kept") << version;
        EXPECT_EQ(v.artist, "Artist") << version;
        EXPECT_EQ(id3v2::tagsize, version == 2 ? 0x0FFFFFFF : 538984575) << version;
    }
    // The last frame is cut by the end of the file: not taken.
    const values v =
        read(put(dir, "cut.mp3", tag(3, frames + frame23("TALB", text0("Gone"))).substr(0, 54)));
    EXPECT_EQ(v.album, "");
    EXPECT_EQ(v.artist, "Artist");
}

TEST(BadInput, ZeroSizeAndTruncatedFrames) {
    testutil::tempdir dir;
    // Every frame the reader knows, with no data and with only the encoding byte.
    std::string body;
    for (const char* id :
         {"TIT2", "TYER", "TDRC", "TALB", "TPE1", "TRCK", "TCON", "TCMP", "APIC", "COMM"}) {
        body +=
            frame23(id, "") + frame23(id, "\x01") + frame23(id, "\x01\xFF") + frame23(id, "\x03");
    }
    const values v = read(put(dir, "zero.mp3", tag(3, body) + audio()), true);
    EXPECT_TRUE(v.haspicture);
    EXPECT_EQ(v.title, "");
    EXPECT_FALSE(id3v2::picdata);
    EXPECT_EQ(id3v2::keptframes, kept("COMM", "") + kept("COMM", "\x01") +
                                     kept("COMM", "\x01\xFF") + kept("COMM", "\x03"));
    // A frame header cut short at the end of the tag ends the walk quietly.
    EXPECT_EQ(read(put(dir, "cut.mp3", tag(3, frame23("TIT2", text0("T")) + "TPE1\0\0"s) + audio()))
                  .title,
              "T");
    EXPECT_EQ(
        read(put(dir, "cut22.mp3", tag(2, frame22("TT2", text0("T")) + "TP1\0"s) + audio())).title,
        "T");
}

TEST(BadInput, GarbageAfterTheHeader) {
    testutil::tempdir dir;
    std::string noise;
    std::uint32_t x = 12345;
    for (int i = 0; i < 5000; ++i) {
        x = x * 1103515245 + 12345;
        noise += static_cast<char>(x >> 24);
    }
    for (int version : {2, 3, 4})
        for (unsigned char flags : {0x00, 0x40, 0x80, 0xC0}) {
            const std::string bytes = tag(version, noise, flags) + noise;
            read(put(dir, "noise.mp3", bytes), true);
            read(put(dir, "noise.mp3", bytes), false);
            if (id3v2::picdata) {
                EXPECT_EQ(id3v2::piclen, static_cast<std::int32_t>(id3v2::picdata->size()));
            }
            EXPECT_LE(id3v2::keptframes.size(), bytes.size() * 2);
        }
}
