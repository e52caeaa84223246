// The tag rewrite on hand-built files, byte for byte: where the copy starts,
// how the new values merge with the stored ones, the frames written, the
// progress steps, and what the file keeps (date, permissions).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "writehelp.h"

using namespace writehelp;
using namespace std::string_literals;

namespace {

class Rewrite : public ::testing::Test {
protected:
    testutil::tempdir dir;
    std::u16string file(const std::string& bytes, const std::string& name = "a.mp3") {
        return put(dir, name, bytes);
    }
    std::string bytes(const std::u16string& path) {
        return testutil::readfile(platform::tonative(path));
    }
    static args abc() { return {u"Artist", u"Title", u"Album", u"1999"}; }
    // The ID3v1 block rewritetag leaves for abc() over `old` (the old block,
    // or empty when appended).
    static std::string v1of(std::string old, const std::string& tail = "") {
        if (old.empty()) old = std::string(127, '\0') + '\xFF';
        old.replace(0, 97, id3v1("Title", "Artist", "Album", "1999").substr(0, 97));
        if (!tail.empty()) old.replace(97, 31, tail);
        return old;
    }
};

const std::string abcframes = text("TPE1", u"Artist") + text("TIT2", u"Title") +
                              text("TALB", u"Album") + text("TYER", u"1999");

} // namespace

TEST_F(Rewrite, NoOldTagPutsTheTagInFrontOfTheWholeFile) {
    const std::string audio1 = audio(5000);
    const std::string v1 = id3v1("Old", "Old", "Old", "1980", "comment", 4, 17);
    const std::u16string p = file(audio1 + v1);
    ASSERT_TRUE(rewrite(p, abc()));
    // The stored track number and genre (from the ID3v1 block) are written;
    // the ID3v1 block at the end is overwritten in place.
    EXPECT_EQ(bytes(p), ours(abcframes + text("TRCK", u"4") + text("TCON", u"(17)")) + audio1 +
                            v1of(v1, v1.substr(97)));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "a.mp3$delme.$$$"));
}

TEST_F(Rewrite, DeclaredSizeZeroCopiesFromByteTen) {
    const std::string audio1 = audio(3000);
    const std::u16string p = file("ID3\x03\0\0\0\0\0\0"s + audio1);
    ASSERT_TRUE(rewrite(p, abc()));
    EXPECT_EQ(bytes(p), ours(abcframes) + audio1 + v1of(""));
}

TEST_F(Rewrite, AllEmptyGivesTheBareHeader) {
    const std::u16string p =
        file(tag(3, frame23("TIT2", text0("Old")) + std::string(500, '\0')) + audio(2000));
    ASSERT_TRUE(rewrite(p, {}));
    EXPECT_EQ(bytes(p).substr(0, 10), "ID3\x03\0\0\0\0\0\0"s);
    EXPECT_EQ(bytes(p).substr(10, 2000), audio(2000));
    // The appended ID3v1 block: empty fields, no genre.
    EXPECT_EQ(bytes(p).substr(2010), "TAG"s + std::string(124, '\0') + '\xFF');
}

TEST_F(Rewrite, MergesTheNewValuesWithTheStoredOnes) {
    const std::string old =
        tag(3, frame23("TPE1", text0("A")) + frame23("TRCK", text0("7/9")) +
                   frame23("TCON", text0("Rock")) + frame23("TCMP", text0("1")) +
                   frame23("COMM", "\0eng\0note"s) + frame23("TXXX", text0("dropped"))) +
        audio(2000);
    struct testcase {
        const char* name;
        args a;
        std::string frames;
    } cases[] = {
        {"keeps genre, track number and flag", abc(),
         abcframes + text("TRCK", u"7/9") + text("TCON", u"Rock") + text("TCMP", u"1")},
        {"new genre, track number and flag",
         {u"Artist", u"Title", u"Album", u"1999", u"Pop", true, u"3", u"0"},
         abcframes + text("TRCK", u"3") + text("TCON", u"Pop") + text("TCMP", u"0")},
        {"empty genre and track number remove them; an empty flag cannot",
         {u"", u"Title", u"", u"", u"", true, u"", u""},
         text("TIT2", u"Title") + text("TCMP", u"1")},
        {"a track number without changetrno is ignored",
         {u"Artist", u"Title", u"Album", u"1999", u"-1", false, u"12", u""},
         abcframes + text("TRCK", u"7/9") + text("TCON", u"Rock") + text("TCMP", u"1")},
        {"track number through the code page",
         {u"Artist", u"Title", u"Album", u"1999", u"-1", true, u"5\u00e9", u""},
         abcframes + text("TRCK", u"5?") + text("TCON", u"Rock") + text("TCMP", u"1")},
    };
    for (const testcase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string p = file(old);
        ASSERT_TRUE(rewrite(p, c.a));
        const std::string now = bytes(p);
        EXPECT_EQ(now.substr(0, now.size() - 2128), ours(c.frames + kept("COMM", "\0eng\0note"s)));
        EXPECT_EQ(now.substr(now.size() - 2128, 2000), audio(2000));
    }
}

TEST_F(Rewrite, GenreAndTrackFromTheId3v1Bytes) {
    const std::string v1 = id3v1("T", "A", "Al", "2001", "c", 5, 17);
    // "-1" takes the genre readtags made of the byte, so the byte stays.
    const std::u16string p = file(tag(3, frame23("TIT2", text0("T"))) + audio(1500) + v1);
    ASSERT_TRUE(rewrite(p, abc()));
    std::string now = bytes(p);
    EXPECT_EQ(now.substr(0, now.size() - 1628),
              ours(abcframes + text("TRCK", u"5") + text("TCON", u"(17)")));
    EXPECT_EQ(now.substr(now.size() - 128), v1of(v1, v1.substr(97)));

    // changetrno with an empty number removes TRCK and leaves the byte; a
    // new genre clears the genre byte to 0.
    args a = abc();
    a.changetrno = true;
    a.genre = u"Jazz";
    const std::u16string q = file(tag(3, frame23("TIT2", text0("T"))) + audio(1500) + v1, "b.mp3");
    ASSERT_TRUE(rewrite(q, a));
    now = bytes(q);
    EXPECT_EQ(now.substr(0, now.size() - 1628), ours(abcframes + text("TCON", u"Jazz")));
    std::string tail = v1.substr(97);
    tail[30] = 0;
    EXPECT_EQ(now.substr(now.size() - 128), v1of(v1, tail));
}

TEST_F(Rewrite, LongValuesAreWrittenWhole) {
    const std::u16string title(700, u'Ж');
    const std::u16string p = file(audio(1000));
    ASSERT_TRUE(rewrite(p, {u"", title, u"", u"1999-12-31 BC"}));
    const auto f = frames(bytes(p));
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].first, "TIT2");
    EXPECT_EQ(f[0].second.size(), 3u + 1400u);
    EXPECT_EQ(f[0].second, text1(title));
    EXPECT_EQ(f[1], std::make_pair("TYER"s, text1(u"1999-12-31 BC")));
    // Only the ID3v1 copy is cut: 30 bytes of title, 4 of year.
    const std::string now = bytes(p);
    EXPECT_EQ(now.substr(now.size() - 125, 30), std::string(30, '\xC6'));
    EXPECT_EQ(now.substr(now.size() - 35, 4), "1999");
}

TEST_F(Rewrite, PicturesStoredAndGiven) {
    const std::string cover = "\xFF\xD8\xFF\xE0 cover bytes"s, back = "\x89PNG back"s;
    // The first picture: type 6 with a UTF-16 description. The second one.
    const std::string second = apic("image/png", back, "B\0\0\0"s, '\x01', '\x04');
    const std::string old = tag(3, frame23("APIC", apic("jpg", cover,
                                                        "\xFF\xFE"
                                                        "D\0\0\0"s,
                                                        '\x01', '\x06')) +
                                       frame23("APIC", second)) +
                            audio(1200);
    const std::u16string p = file(old);
    ASSERT_TRUE(rewrite(p, abc()));
    std::string now = bytes(p);
    // Written back as a front cover with an empty description; the MIME type
    // as readtags gave it; the second picture travels unchanged.
    EXPECT_EQ(now.substr(0, now.size() - 1328),
              ours(abcframes + picture("image/jpeg", cover) + kept("APIC", second)));
    EXPECT_FALSE(id3v2::picdata);
    EXPECT_EQ(id3v2::piclen, 0);

    // A given picture takes the place of the first one.
    const std::u16string q = file(old, "b.mp3");
    args a = abc();
    a.picture = "GIF89a new";
    a.mime = "image/gif";
    ASSERT_TRUE(rewrite(q, a));
    now = bytes(q);
    EXPECT_EQ(now.substr(0, now.size() - 1328),
              ours(abcframes + picture("image/gif", "GIF89a new") + kept("APIC", second)));
}

TEST_F(Rewrite, Version22AndVersion24SourcesBecomeVersion23) {
    const std::string pic2 = "\0PNG\x05\0second"s;
    const std::u16string p22 =
        file(tag(2, frame22("TT2", text0("T")) + frame22("COM", "\0eng\0c22"s) +
                        frame22("PIC", "\0JPG\x03\0first"s) + frame22("PIC", pic2) +
                        frame22("TCM", text0("x"))) +
                 audio(1000),
             "v22.mp3");
    ASSERT_TRUE(rewrite(p22, abc()));
    std::string now = bytes(p22);
    EXPECT_EQ(now.substr(0, now.size() - 1128),
              ours(abcframes + picture("image/jpeg", "first") + kept("COMM", "\0eng\0c22"s) +
                   kept("APIC", "\0PNG\0\x05\0second"s)));

    // A version 2.4 tag with a footer: the footer is not part of the skipped
    // extent and is copied with the audio.
    const std::string body = frame24("TIT2", text3("T")) + frame24("TPOS", text3("1/2"));
    const std::string footer = "3DI\x04\0\x10"s + syncsafe(static_cast<std::uint32_t>(body.size()));
    const std::u16string p24 = file(tag(4, body, 0x10) + footer + audio(1000), "v24.mp3");
    ASSERT_TRUE(rewrite(p24, abc()));
    now = bytes(p24);
    EXPECT_EQ(now.substr(0, now.size() - 1138), ours(abcframes + kept("TPOS", text3("1/2"))));
    EXPECT_EQ(now.substr(now.size() - 1138, 1010), footer + audio(1000));
}

TEST_F(Rewrite, ExtentPastTheEndLeavesTheFileAlone) {
    const std::string old = tagraw(3, syncsafe(100000), frame23("TIT2", text0("T"))) + audio(2000);
    const std::u16string p = file(old);
    const platform::filetime t{1000000000, 123456789};
    ASSERT_TRUE(platform::setfiletime(p, t));
    EXPECT_FALSE(rewrite(p, abc()));
    EXPECT_EQ(bytes(p), old);
    EXPECT_EQ(mtime(p), t);
    // A tag that fills the whole file exactly leaves no audio, but loses none;
    // the new file is too short for an ID3v1 tag.
    const std::u16string q = file(tag(3, frame23("TIT2", text0("T"))), "b.mp3");
    ASSERT_TRUE(rewrite(q, abc()));
    EXPECT_EQ(bytes(q), ours(abcframes));
}

TEST_F(Rewrite, KeepsTheDateToTheNanosecondAndThePermissions) {
    for (unsigned m : {0640u, 0444u, 0400u, 0755u}) {
        SCOPED_TRACE(m);
        const std::u16string p = file(tag(3, frame23("TIT2", text0("T"))) + audio(70000) +
                                      id3v1("T", "A", "Al", "2001"));
        const platform::filetime t{1234567890, 987654321};
        ASSERT_TRUE(platform::setfiletime(p, t));
        ASSERT_TRUE(platform::setmode(p, m));
        ASSERT_TRUE(rewrite(p, abc()));
        EXPECT_EQ(mtime(p), t);
        // Read-only is cleared; the other bits stay.
        EXPECT_EQ(mode(p), m | 0200u);
    }
}

TEST_F(Rewrite, ProgressStepsOncePerBlock) {
    const std::string oldtag = tag(3, frame23("TIT2", text0("T")) + std::string(1000 - 22, '\0'));
    ASSERT_EQ(oldtag.size(), 1000u);
    const std::size_t block = 49152;
    const struct {
        const char* name;
        std::string tag;
        std::size_t audio;
        int max;
        std::vector<int> positions;
    } cases[] = {
        {"ten blocks of the whole file",
         oldtag,
         10 * block + 500 - 1000,
         100,
         {0, 10, 20, 30, 40, 50, 60, 70, 80, 90}},
        {"audio an exact multiple of the block: one more pass reads nothing",
         tag(3, ""),
         2 * block,
         100,
         {0, 50, 100}},
        {"shorter than a block, a maximum other than 100", "", 20000, 1000, {0}},
        {"an old tag of more than a block: the bar stops short",
         tag(3, frame23("TIT2", text0("T")) + std::string(100000, '\0')),
         50000,
         100,
         {0, 33}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        recorder r;
        r.max = c.max;
        id3v2::progressscope scope(r.progress());
        const std::u16string p = file(c.tag + audio(c.audio));
        ASSERT_TRUE(rewrite(p, abc()));
        EXPECT_EQ(r.positions, c.positions);
        EXPECT_EQ(r.repaints, static_cast<int>(c.positions.size()));
        EXPECT_EQ(r.pumps, static_cast<int>(c.positions.size()));
        const std::string now = bytes(p);
        EXPECT_TRUE(now.compare(now.size() - 128 - c.audio, c.audio, audio(c.audio)) == 0);
    }
}

TEST_F(Rewrite, SilentWithoutAProgress) {
    recorder r;
    {
        id3v2::progressscope scope(r.progress());
        id3v2::progressscope silent({});
        ASSERT_TRUE(rewrite(file(audio(200000)), abc()));
    }
    EXPECT_TRUE(r.positions.empty());
    EXPECT_FALSE(id3v2::currentprogress().barmax);
}

TEST_F(Rewrite, HandlersDuringTheCopyCannotDisturbIt) {
    const std::string v1 = id3v1("T", "A", "Al", "2001", "keep me", 9, 17);
    const std::u16string p = file(tag(3, frame23("TIT2", text0("T"))) + audio(150000) + v1);
    const std::u16string other = file(tag(3, frame23("TIT2", text0("Other"))) + audio(1000) +
                                          id3v1("O", "O", "O", "1970", "other", 1, 2),
                                      "other.mp3");
    const std::string otherbytes = bytes(other);
    recorder r;
    std::vector<bool> nested;
    r.onpump = [&] {
        // A second rewrite is refused; a read of another file changes the
        // module state, but not the rewrite that runs.
        nested.push_back(rewrite(other, abc()));
        read(other, true);
    };
    id3v2::progressscope scope(r.progress());
    ASSERT_TRUE(rewrite(p, abc()));
    EXPECT_EQ(nested, std::vector<bool>(4, false));
    EXPECT_EQ(bytes(other), otherbytes);
    const std::string now = bytes(p);
    EXPECT_EQ(now.substr(now.size() - 128), v1of(v1, v1.substr(97)));
    EXPECT_EQ(now.substr(now.size() - 128 - 150000, 150000), audio(150000));
}

TEST_F(Rewrite, ALeftoverTemporaryNameIsReplacedNotWrittenThrough) {
    const std::string victim = "someone else's file";
    testutil::writefile(dir.path() / "victim", victim);
    const std::u16string p = file(audio(3000));
    std::filesystem::create_hard_link(dir.path() / "victim", dir.path() / "a.mp3$delme.$$$");
    ASSERT_TRUE(rewrite(p, abc()));
    std::filesystem::create_symlink(dir.path() / "victim", dir.path() / "a.mp3$delme.$$$");
    ASSERT_TRUE(rewrite(p, abc()));
    EXPECT_EQ(testutil::readfile(dir.path() / "victim"), victim);
    EXPECT_EQ(bytes(p).substr(bytes(p).size() - 3128, 3000), audio(3000));

    // The MP3 file is a link to its own temporary name: deleting that name
    // would delete the music itself.
    const std::string only = tag(3, frame23("TIT2", text0("T"))) + audio(3000);
    testutil::writefile(dir.path() / "b.mp3$delme.$$$", only);
    std::filesystem::create_symlink("b.mp3$delme.$$$", dir.path() / "b.mp3");
    EXPECT_FALSE(rewrite(dir.u16(u"b.mp3"), abc()));
    EXPECT_TRUE(testutil::readfile(dir.path() / "b.mp3$delme.$$$") == only);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "b.mp3"));
}

TEST_F(Rewrite, SizeBytesThatAreNotSyncsafeLeaveTheFileAlone) {
    // A writer that broke the size rule: the frames and padding fill 128
    // bytes, but the size bytes 00 00 81 00 have a top bit set. Where the
    // audio begins cannot be known, so a rewrite would cut it or keep junk.
    const std::string body = frame23("TIT2", text0("T"));
    for (int version : {2, 3, 4}) {
        SCOPED_TRACE(version);
        const std::string old =
            tagraw(version, "\0\0\x81\0"s, body + std::string(128 - body.size(), '\0')) +
            audio(40000);
        const std::u16string p = file(old, "v" + std::to_string(version) + ".mp3");
        EXPECT_FALSE(rewrite(p, abc()));
        EXPECT_TRUE(bytes(p) == old) << "the file was changed";
    }
}

TEST_F(Rewrite, AFileWrittenOrReplacedDuringTheCopyIsNotReplaced) {
    const std::string old = tag(3, frame23("TIT2", text0("T"))) + audio(300000);
    struct testcase {
        const char* name;
        std::function<void(const std::u16string&)> change;
        std::string expect;
    } cases[] = {
        {"bytes already copied are written over, the size kept",
         [&](const std::u16string& p) {
             std::fstream f(platform::tonative(p), std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(1000);
             f.write("changed", 7);
         },
         std::string(old).replace(1000, 7, "changed")},
        {"another file takes its place",
         [&](const std::u16string& p) {
             testutil::writefile(platform::tonative(p) + ".new", "another file");
             std::filesystem::rename(platform::tonative(p) + ".new", platform::tonative(p));
         },
         "another file"},
        {"it shrinks",
         [&](const std::u16string& p) {
             std::filesystem::resize_file(platform::tonative(p), 100000);
         },
         old.substr(0, 100000)},
        {"it grows",
         [&](const std::u16string& p) {
             std::ofstream(platform::tonative(p), std::ios::app | std::ios::binary) << "more";
         },
         old + "more"},
    };
    for (const testcase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string p = file(old);
        recorder r;
        r.onpump = [&] {
            if (r.pumps != 3) return;
            // Past the coarsest clock tick a file system may stamp with.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            c.change(p);
        };
        id3v2::progressscope scope(r.progress());
        EXPECT_FALSE(rewrite(p, abc()));
        EXPECT_TRUE(bytes(p) == c.expect) << "the path holds " << bytes(p).size() << " bytes";
    }
}
