#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform.h"
#include "testutil.h"

using testutil::tempdir;
using testutil::writefile;

namespace {

std::vector<std::u16string> names(const std::vector<platform::direntry>& entries) {
    std::vector<std::u16string> out;
    for (const auto& e : entries) out.push_back(e.name);
    return out;
}

} // namespace

TEST(Search, FixedOrderCaseInsensitivePatternsAndAMissingFolder) {
    tempdir t;
    for (const char* n : {"b.mp3", "A.MP3", "c.Mp3", "Яблоко.mp3", "абв.mp3", "x.txt", "a.m3u"})
        writefile(t.path() / n, "x");
    std::filesystem::create_directory(t.path() / "Sub.mp3");

    std::vector<platform::direntry> found;
    ASSERT_TRUE(platform::search(t.u16(u"*.mp3"), found));
    EXPECT_EQ(names(found), (std::vector<std::u16string>{u"A.MP3", u"b.mp3", u"c.Mp3", u"Sub.mp3",
                                                         u"абв.mp3", u"Яблоко.mp3"}));
    EXPECT_TRUE(found[3].folder);
    EXPECT_FALSE(found[0].folder);
    EXPECT_EQ(found[0].size, 1);

    ASSERT_TRUE(platform::search(t.u16(u"*.*"), found));
    EXPECT_EQ(found.size(), 8u);
    ASSERT_TRUE(platform::search(t.u16(u"*.M3U"), found));
    EXPECT_EQ(names(found), std::vector<std::u16string>{u"a.m3u"});

    // Without the folder attribute in the mask, folders are left out.
    ASSERT_TRUE(platform::search(t.u16(u"*.mp3"), found, platform::attr_readonly));
    EXPECT_EQ(found.size(), 5u);

    found = {{}};
    EXPECT_FALSE(platform::search(t.u16(u"nothere/*.*"), found));
    EXPECT_EQ(platform::lasterror(), ENOENT);
    EXPECT_TRUE(found.empty());
}

TEST(Search, HiddenReadOnlyAndLinksAreFlagged) {
    tempdir t;
    std::filesystem::create_directory(t.path() / ".hidden");
    std::filesystem::create_directory(t.path() / "real");
    writefile(t.path() / "ro.mp3", "x");
    chmod((t.path() / "ro.mp3").c_str(), 0444);
    std::filesystem::create_directory_symlink(t.path() / "real", t.path() / "link");

    std::vector<platform::direntry> found;
    ASSERT_TRUE(platform::search(t.u16(u"*.*"), found));
    ASSERT_EQ(names(found), (std::vector<std::u16string>{u".hidden", u"link", u"real", u"ro.mp3"}));
    EXPECT_TRUE(found[0].hidden && found[0].folder);
    EXPECT_TRUE(found[1].link && found[1].folder);
    EXPECT_FALSE(found[2].link || found[2].hidden);
    EXPECT_TRUE(found[3].readonly);
    EXPECT_FALSE(found[2].readonly);

    ASSERT_TRUE(platform::search(t.u16(u"*.*"), found, platform::attr_folder));
    EXPECT_EQ(names(found), (std::vector<std::u16string>{u"link", u"real", u"ro.mp3"}));
}

TEST(Search, InvalidUtf8NameSurvivesSearchOpenAndRename) {
    tempdir t;
    const std::string raw("track\xFF\xFE.mp3", 11);
    writefile(t.path() / raw, "payload");

    std::vector<platform::direntry> found;
    ASSERT_TRUE(platform::search(t.u16(u"*.mp3"), found));
    ASSERT_EQ(found.size(), 1u);
    const std::u16string path = t.u16(found[0].name);

    platform::file f;
    ASSERT_TRUE(f.open(path, platform::openmode::read));
    char buf[16];
    EXPECT_EQ(f.read(buf, sizeof buf), 7);
    f.close();

    const std::u16string renamed = t.u16(u"01 " + found[0].name);
    ASSERT_EQ(platform::renamepath(path, renamed), 0);
    ASSERT_TRUE(platform::search(t.u16(u"*.mp3"), found));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(platform::tonative(found[0].name), "01 " + raw);
    EXPECT_EQ(testutil::readfile(t.path() / ("01 " + raw)), "payload");
}
