#include <gtest/gtest.h>

#include <iterator>
#include <tuple>

#include "checkerenv.h"
#include "testutil.h"
#include "worklists.h"

using namespace checker;

namespace {

std::vector<std::u16string> items(const dirchain& l) {
    std::vector<std::u16string> r;
    for (const SList& d : l) r.push_back(d.item);
    return r;
}

std::vector<std::u16string> names(const trackchain& l) {
    std::vector<std::u16string> r;
    for (const mp3data& t : l) r.push_back(t.filename);
    return r;
}

oplist& op(opchain& ops, std::u16string path, std::int32_t line, bool perform = true,
           opcodeset code = write_tag) {
    return addop(ops, code, perform, std::move(path), u"", u"", u"", u"", u"", line, false, u"",
                 u"-1", u"");
}

} // namespace

TEST(WorkLists, EveryListGrowsAtItsHeadAndEmptyRemovalsAreHarmless) {
    opchain ops;
    dirchain dirs;
    trackchain tracks;
    int count = 0;
    delop(ops), deldir(dirs), deltrack(tracks);
    freeops(ops), freedirs(dirs), freetracks(tracks);
    EXPECT_TRUE(ops.empty() && dirs.empty() && tracks.empty());

    op(ops, u"A", 0);
    op(ops, u"B", 1);
    EXPECT_EQ(ops.front().pathname, u"B");
    delop(ops);
    EXPECT_EQ(ops.front().pathname, u"A");
    EXPECT_EQ(std::distance(ops.begin(), ops.end()), 1);

    for (auto n : {u"x", u"y", u"z"}) adddir(dirs, n);
    EXPECT_EQ(items(dirs), (std::vector<std::u16string>{u"z", u"y", u"x"}));
    deldir(dirs);
    EXPECT_EQ(items(dirs), (std::vector<std::u16string>{u"y", u"x"}));

    count = 5; // a counter of the caller's own keeps counting from where it is
    for (auto n : {u"x.mp3", u"y.mp3", u"z.mp3"})
        addtrack(tracks, count, n, u"", u"", u"", u"", u"", u"", u"");
    EXPECT_EQ(count, 8);
    EXPECT_EQ(names(tracks), (std::vector<std::u16string>{u"z.mp3", u"y.mp3", u"x.mp3"}));
    deltrack(tracks);
    EXPECT_EQ(names(tracks).front(), u"y.mp3");

    freeops(ops), freedirs(dirs), freetracks(tracks);
    EXPECT_TRUE(ops.empty() && dirs.empty() && tracks.empty());
}

TEST(WorkLists, FieldsLandInTheirPlacesInArgumentOrder) {
    // title comes before album in addop but after year in addtrack: easy to swap.
    opchain ops;
    const oplist& o = addop(ops, rename_file, false, u"path", u"new", u"artist", u"title", u"album",
                            u"year", 42, true, u"07", u"Rock", u"1");
    using texts = std::vector<std::u16string>;
    EXPECT_EQ(
        (texts{o.pathname, o.newname, o.artist, o.title, o.album, o.year, o.trno, o.genre, o.icmp}),
        (texts{u"path", u"new", u"artist", u"title", u"album", u"year", u"07", u"Rock", u"1"}));
    EXPECT_EQ(std::tuple(o.opcode, o.perform, o.listindex, o.changetrno, o.undo),
              std::tuple(rename_file, false, 42, true, false));

    trackchain tracks;
    int n = 0;
    const mp3data& t = addtrack(tracks, n, u"f.mp3", u"artist", u"album", u"year", u"title",
                                u"3/12", u"Jazz", u"1");
    EXPECT_EQ((texts{t.filename, t.artist, t.album, t.year, t.title, t.trno, t.tcon, t.tcomp}),
              (texts{u"f.mp3", u"artist", u"album", u"year", u"title", u"3/12", u"Jazz", u"1"}));
    static_assert(sizeof(opcodeset) == 1 && rename_dir == 0 && backup_playlist == 3);
}

TEST(WorkLists, RecordsStayPutWhileTheListGrowsAndShrinks) {
    opchain ops;
    dirchain dirs;
    oplist* first = &op(ops, u"first", 0);
    SList* root = &adddir(dirs, u"/music");
    for (int i = 1; i <= 2000; ++i) {
        op(ops, u"more", i);
        adddir(dirs, u"/music/" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)));
    }
    for (int i = 0; i < 1000; ++i) delop(ops), deldir(dirs);
    // The oldest records are still where their first references point.
    EXPECT_EQ(first->pathname, u"first");
    EXPECT_EQ(root->item, u"/music");
    EXPECT_EQ(&*std::next(ops.begin(), 1000), first);
}

TEST(WorkLists, FindopMeetsTheNewestOperationOfALineFirst) {
    checkerenv e;
    auto& ops = e.c.plannedops;
    op(ops, u"old of 5", 5, false, write_tag);
    op(ops, u"of 3", 3);
    op(ops, u"middle of 5", 5, true, rename_dir);
    op(ops, u"of 4", 4);
    oplist& newest = op(ops, u"newest of 5", 5, true, rename_file);
    op(ops, u"of 6", 6);
    newest.undo = true;

    bool perform = false, undo = false;
    opcodeset code = write_tag;
    oplist* found = findop(e.c, 5, perform, undo, code);
    ASSERT_EQ(found, &newest);
    EXPECT_TRUE(perform);
    EXPECT_TRUE(undo);
    EXPECT_EQ(code, rename_file);

    // The first one met decides, also when older ones of the line differ.
    newest.perform = false;
    EXPECT_EQ(findop(e.c, 5, perform, undo, code), &newest);
    EXPECT_FALSE(perform);

    // Not found: perform is cleared, undo and opcode are left alone.
    perform = true, undo = true, code = backup_playlist;
    EXPECT_EQ(findop(e.c, 7, perform, undo, code), nullptr);
    EXPECT_FALSE(perform);
    EXPECT_TRUE(undo);
    EXPECT_EQ(code, backup_playlist);

    delop(ops); // "of 6"
    delop(ops); // the newest of line 5 goes; the middle one takes its place
    EXPECT_EQ(findop(ops, 5)->pathname, u"middle of 5");
    EXPECT_EQ(findop(ops, -1), nullptr);
}

TEST(WorkLists, DirlistedComparesWholePathsExactly) {
    checkerenv e;
    EXPECT_FALSE(dirlisted(e.c, u"/music/A"));
    adddir(e.c.dirlist, u"/music");
    adddir(e.c.dirlist, u"/music/A");
    adddir(e.c.dirlist, u"/music/Б");
    EXPECT_TRUE(dirlisted(e.c, u"/music/A"));
    EXPECT_TRUE(dirlisted(e.c, u"/music/Б"));
    // Letter case (also Cyrillic), the last component only, a trailing
    // separator, a prefix.
    for (auto p : {u"/music/a", u"/music/б", u"A", u"/music/A/", u"/mus"})
        EXPECT_FALSE(dirlisted(e.c, p)) << testutil::u8(p);
}

TEST(ReportLines, AddlineAppendsRepaintsAndHandlesNoInput) {
    checkerenv e;
    int pumpsduringrun = 0;
    e.host.onpump = [&] { ++pumpsduringrun; };
    EXPECT_EQ(linecount(e.c), 0);
    addline(e.c, u"/music/A");
    addline(e.c, u"");
    // An operation added before its line carries the index the line will get.
    const std::int32_t next = linecount(e.c);
    op(e.c.plannedops, u"/music/A", next);
    op(e.c.plannedops, u"/music/A", next);
    addline(e.c, u"  > Переименовать A В B");
    EXPECT_EQ(e.lines(),
              (std::vector<std::u16string>{u"/music/A", u"", u"  > Переименовать A В B"}));
    EXPECT_EQ(e.lines()[e.c.plannedops.front().listindex], u"  > Переименовать A В B");
    EXPECT_EQ(e.host.repaints, 3);
    EXPECT_EQ(e.host.pumps, 0);
    EXPECT_EQ(pumpsduringrun, 0);
}
