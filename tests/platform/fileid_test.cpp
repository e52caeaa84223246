#include <gtest/gtest.h>

#include "platform.h"
#include "testutil.h"

using testutil::tempdir;
namespace fs = std::filesystem;

TEST(FileId, LinksAndPathsReachingOneFolderShareItsId) {
    tempdir t;
    fs::create_directories(t.path() / "A" / "B");
    fs::create_directory_symlink(t.path() / "A", t.path() / "A" / "B" / "up");

    platform::fileid a, viaLink, viaDots, b;
    ASSERT_TRUE(platform::getfileid(t.u16(u"A"), a));
    ASSERT_TRUE(platform::getfileid(t.u16(u"A/B/up"), viaLink));
    ASSERT_TRUE(platform::getfileid(t.u16(u"A/B/.."), viaDots));
    ASSERT_TRUE(platform::getfileid(t.u16(u"A/B"), b));
    EXPECT_EQ(a, viaLink);
    EXPECT_EQ(a, viaDots);
    EXPECT_NE(a, b);

    platform::fileid none;
    EXPECT_FALSE(platform::getfileid(t.u16(u"missing"), none));
    EXPECT_EQ(platform::lasterror(), ENOENT);
}

TEST(FileId, ResolvedPathFollowsLinksAndDots) {
    tempdir t;
    fs::create_directories(t.path() / "Музыка" / "B");
    fs::create_directory_symlink(t.path() / "Музыка", t.path() / "Музыка" / "B" / "up");
    fs::create_directory_symlink(t.path() / "nowhere", t.path() / "broken");

    std::u16string root, r;
    ASSERT_TRUE(platform::resolvepath(t.u16(), root));
    ASSERT_TRUE(platform::resolvepath(t.u16(u"Музыка/B/up"), r));
    EXPECT_EQ(r, root + u"/Музыка");
    ASSERT_TRUE(platform::resolvepath(t.u16(u"Музыка/B/../B/./"), r));
    EXPECT_EQ(r, root + u"/Музыка/B");
    EXPECT_FALSE(platform::resolvepath(t.u16(u"broken"), r));
    EXPECT_EQ(r, root + u"/Музыка/B"); // untouched on failure
}
