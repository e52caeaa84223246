#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform.h"
#include "testutil.h"

using testutil::readfile;
using testutil::tempdir;
using testutil::writefile;

TEST(Rename, RefusesAnExistingTargetAndKeepsBothButReplaceFileReplaces) {
    tempdir t;
    writefile(t.path() / "a.mp3", "old a");
    writefile(t.path() / "b.mp3", "old b");
    EXPECT_EQ(platform::renamepath(t.u16(u"a.mp3"), t.u16(u"b.mp3")), EEXIST);
    EXPECT_EQ(platform::lasterror(), EEXIST);
    EXPECT_EQ(readfile(t.path() / "a.mp3"), "old a");
    EXPECT_EQ(readfile(t.path() / "b.mp3"), "old b");

    std::filesystem::create_directories(t.path() / "Artist - Album" / "inner");
    std::filesystem::create_directory(t.path() / "Target");
    EXPECT_EQ(platform::renamepath(t.u16(u"Artist - Album"), t.u16(u"Target")), EEXIST);
    EXPECT_TRUE(std::filesystem::exists(t.path() / "Artist - Album" / "inner"));

    EXPECT_EQ(platform::renamepath(t.u16(u"Artist - Album"), t.u16(u"Новое имя (1999)")), 0);
    EXPECT_TRUE(std::filesystem::exists(t.path() / "Новое имя (1999)" / "inner"));
    EXPECT_EQ(platform::renamepath(t.u16(u"a.mp3"), t.u16(u"01 a.mp3")), 0);
    EXPECT_EQ(readfile(t.path() / "01 a.mp3"), "old a");
    EXPECT_EQ(platform::renamepath(t.u16(u"none"), t.u16(u"other")), ENOENT);

    // replacefile, unlike a rename, puts the new file in place of the old one.
    writefile(t.path() / "song.mp3", "old");
    writefile(t.path() / "song.mp3$delme.$$$", "new");
    EXPECT_EQ(platform::replacefile(t.u16(u"song.mp3$delme.$$$"), t.u16(u"song.mp3")), 0);
    EXPECT_EQ(readfile(t.path() / "song.mp3"), "new");
    EXPECT_FALSE(std::filesystem::exists(t.path() / "song.mp3$delme.$$$"));
}

TEST(Attributes, ReadOnlyRoundTripKeepsOtherBits) {
    tempdir t;
    writefile(t.path() / "f.mp3", "x");
    chmod((t.path() / "f.mp3").c_str(), 0640);
    bool ro = true;
    unsigned mode = 0;
    for (bool set : {false, true, false}) {
        if (set || mode) { // the first pass reads the mode as created
            ASSERT_TRUE(platform::setreadonly(t.u16(u"f.mp3"), set));
        }
        ASSERT_TRUE(platform::getreadonly(t.u16(u"f.mp3"), ro));
        ASSERT_TRUE(platform::getmode(t.u16(u"f.mp3"), mode));
        EXPECT_EQ(ro, set);
        EXPECT_EQ(mode, set ? 0440u : 0640u); // other bits kept
    }
    EXPECT_FALSE(platform::getreadonly(t.u16(u"missing"), ro));
    EXPECT_EQ(platform::lasterror(), ENOENT);
}

TEST(Times, LastWriteTimeExactToTheNanosecond) {
    tempdir t;
    writefile(t.path() / "f.mp3", "x");
    const platform::filetime when{1234567890, 123456789};
    ASSERT_TRUE(platform::setfiletime(t.u16(u"f.mp3"), when));
    platform::filetime got;
    ASSERT_TRUE(platform::getfiletime(t.u16(u"f.mp3"), got));
    EXPECT_EQ(got, when);

    platform::file f;
    ASSERT_TRUE(f.open(t.u16(u"f.mp3"), platform::openmode::readwrite));
    ASSERT_TRUE(f.write("yz", 2)); // a write moves the time ...
    const platform::filetime other{987654321, 1};
    ASSERT_TRUE(f.settime(other)); // ... and the handle sets it back
    ASSERT_TRUE(f.close());
    ASSERT_TRUE(platform::getfiletime(t.u16(u"f.mp3"), got));
    EXPECT_EQ(got, other);
    ASSERT_TRUE(f.open(t.u16(u"f.mp3"), platform::openmode::read));
    ASSERT_TRUE(f.gettime(got));
    EXPECT_EQ(got, other);
}

TEST(Files, ReadWriteSeekSizeAndShortReads) {
    tempdir t;
    platform::file f;
    ASSERT_TRUE(f.open(t.u16(u"new.bin"), platform::openmode::create));
    ASSERT_TRUE(f.write("0123456789", 10));
    ASSERT_TRUE(f.sync());
    ASSERT_TRUE(f.close());

    ASSERT_TRUE(f.open(t.u16(u"new.bin"), platform::openmode::readwrite));
    EXPECT_EQ(f.size(), 10);
    ASSERT_TRUE(f.seek(7));
    char buf[8] = {};
    EXPECT_EQ(f.read(buf, 8), 3); // a short read at the end is no error
    EXPECT_EQ(std::string(buf, 3), "789");
    EXPECT_EQ(f.read(buf, 8), 0);
    ASSERT_TRUE(f.seek(0));
    ASSERT_TRUE(f.write("AB", 2));
    f.close();
    EXPECT_EQ(readfile(t.path() / "new.bin"), "AB23456789");

    EXPECT_FALSE(f.open(t.u16(u"missing"), platform::openmode::read));
    EXPECT_EQ(platform::lasterror(), ENOENT);
    std::filesystem::create_directory(t.path() / "dir.mp3");
    EXPECT_FALSE(f.open(t.u16(u"dir.mp3"), platform::openmode::read));
    EXPECT_FALSE(f.isopen());
    // A FIFO named like an MP3 file must not hang the open.
    ASSERT_EQ(mkfifo((t.path() / "pipe.mp3").c_str(), 0644), 0);
    EXPECT_FALSE(f.open(t.u16(u"pipe.mp3"), platform::openmode::read));
    EXPECT_FALSE(f.open(t.u16(u"pipe.mp3"), platform::openmode::readwrite));
    EXPECT_FALSE(f.isopen());

    ASSERT_TRUE(platform::deletefile(t.u16(u"new.bin")));
    EXPECT_FALSE(platform::exists(t.u16(u"new.bin")));
    EXPECT_FALSE(platform::deletefile(t.u16(u"new.bin")));
}

TEST(System, ProgramDirDateAndClocks) {
    const std::u16string dir = platform::programdir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), u'/');
    EXPECT_TRUE(platform::isfolder(dir));
    const platform::date d = platform::today();
    EXPECT_GE(d.year, 2024);
    EXPECT_TRUE(d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= 31);
    const auto a = platform::perfcounter();
    const auto b = platform::perfcounter();
    EXPECT_LE(a, b);
}
