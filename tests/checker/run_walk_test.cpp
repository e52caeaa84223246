// The folder walk and the run driver, over real folder trees.
#include "runenv.h"

using namespace runtest;

namespace {

const std::string nomp3 = " -- нет mp3-файлов";

// The folder-path lines of a run, in order, relative to the root.
std::vector<std::u16string> folderorder(const runenv& e) {
    std::vector<std::u16string> r;
    const auto& l = e.lines();
    for (std::size_t i = 1; i < l.size(); ++i)
        if (l[i - 1].empty() && l[i].starts_with(e.root()))
            r.push_back(l[i] == e.root() ? u"." : l[i].substr(e.root().size() + 1));
    return r;
}

} // namespace

TEST(RunWalk, SubfoldersFirstSiblingsReversedRootLastDotFoldersSkipped) {
    runenv e;
    e.folder(u"A/A1");
    e.folder(u"A/A2");
    e.folder(u"A/.git/objects");
    e.folder(u"B");
    e.mp3(u".hidden/X/01.mp3", {u"Artist", u"Song", u"Album", u"1999", u"1"});
    e.file(u"notes.txt");
    e.run();

    std::vector<std::string> want;
    for (std::u16string rel : {u"B", u"A/A2", u"A/A1", u"A", u""})
        for (const std::string& s : {std::string(), u8(e.path(rel)), nomp3}) want.push_back(s);
    for (const std::string& s : endlines()) want.push_back(s);
    EXPECT_EQ(e.all(), want);
    EXPECT_TRUE(e.c.plannedops.empty());
    // One round of pending messages at the head of every folder, and none elsewhere.
    EXPECT_EQ(e.host.pumps, 5);
    EXPECT_FALSE(e.form1.notstarted);
    EXPECT_FALSE(e.form1.Button3.enabled);
    EXPECT_EQ(e.form1.ListView1.showrow, static_cast<int>(want.size()) - 1);
    EXPECT_TRUE(e.c.dirlist.empty());
    EXPECT_TRUE(e.c.tracks.empty());
    EXPECT_EQ(e.c.curdir, nullptr);
}

TEST(RunWalk, FolderWithoutMp3FilesGivesThreeLinesAndNoPlaylistStep) {
    runenv e;
    e.c.cfg.bkpplaylists = 1;
    e.file(u"Empty/list.m3u");
    e.file(u"Empty/cover.jpg");
    e.folder(u"Empty/Fake.mp3"); // a folder matching the pattern holds no audio
    e.run();
    EXPECT_EQ(e.all().size(), 3u + 3u + 3u + endlines().size());
    EXPECT_EQ(e.folderlines(u"Empty"), std::vector<std::string>{nomp3});
    EXPECT_EQ(e.folderlines(u"Empty/Fake.mp3"), std::vector<std::string>{nomp3});
    EXPECT_TRUE(e.c.plannedops.empty());
}

TEST(RunWalk, LinksAreFollowedOnceAndNeverBackIntoTheTree) {
    runenv e;
    testutil::tempdir outside;
    namespace fs = std::filesystem;
    fs::create_directories(outside.path() / "S");
    fs::create_directory_symlink(e.t.path(), outside.path() / "back");

    e.folder(u"A");
    e.folder(u"B");
    fs::create_directory_symlink(e.t.path(), e.native(u"B/loop")); // the root itself
    fs::create_directory_symlink(e.native(u"A"), e.native(u"Z"));  // a folder of the tree
    // Met before the folder it leads to: the folder keeps its own path.
    fs::create_directory_symlink(e.native(u"B"), e.native(u"0first"));
    fs::create_directory_symlink(outside.path(), e.native(u"ext"));
    fs::create_directory_symlink(outside.path(), e.native(u"ext2")); // the same folder again
    fs::create_directory_symlink(e.native(u"nowhere"), e.native(u"broken"));
    e.run();

    EXPECT_EQ(folderorder(e), (std::vector<std::u16string>{u"ext/S", u"ext", u"B", u"A", u"."}));
    EXPECT_EQ(e.all().size(), 5 * 3 + endlines().size());

    // A followed link's folder holds a link back to itself: the folder's
    // identity is known, so the walk does not enter it again.
    runenv l;
    testutil::tempdir out;
    fs::create_directories(out.path() / "In");
    fs::create_directory_symlink(out.path(), out.path() / "In" / "again");
    fs::create_directory_symlink(out.path(), l.native(u"ext"));
    l.run();
    EXPECT_EQ(folderorder(l), (std::vector<std::u16string>{u"ext/In", u"ext", u"."}));
}

TEST(RunWalk, EmptyRootSearchesNothing) {
    runenv e;
    e.form1.Label1.caption.clear();
    e.run();
    std::vector<std::string> want{"", "", nomp3};
    for (const std::string& s : endlines()) want.push_back(s);
    EXPECT_EQ(e.all(), want);
}

TEST(RunWalk, RootWithoutSubfoldersIsTheOneFolder) {
    runenv e;
    e.mp3(u"01 Intro.mp3", {u"Artist", u"Intro", u"Album", u"1999", u"1", u"Rock"});
    e.mp3(u"02 Song.mp3", {u"Artist", u"Song", u"Album", u"1999", u"2", u"Rock"});
    e.run();
    std::vector<std::string> want{
        "", u8(e.root()), "  Исполнитель: Artist", "  Альбом: Album", "  Год: 1999", " -- Ok"};
    for (const std::string& s : endlines()) want.push_back(s);
    EXPECT_EQ(e.all(), want);
    EXPECT_EQ(e.host.pumps, 1);
}
