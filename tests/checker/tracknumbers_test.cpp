#include <gtest/gtest.h>

#include "folderenv.h"
#include "tracknumbers.h"

using namespace checker;

namespace {

std::int32_t fnum(const std::u16string& s) {
    std::int32_t n = 12345;
    filenumber(s, n);
    return n;
}

std::int32_t tnum(const std::u16string& s) {
    std::int32_t n = 12345;
    trnoval(s, n);
    return n;
}

const std::u16string fixline = u"  > (Пере)записать id3-теги -> Исправить номера треков или жанр";
const std::u16string fromnames = u"  При перезаписи тега номера треков будут взяты из имен файлов";
const std::u16string numberingline = u"  Похоже, файлы не пронумерованы. Будет исправлено";

} // namespace

TEST(TrackNumbers, FileNumbersFromNamesUsersReallyHave) {
    struct {
        std::u16string name;
        std::int32_t n;
    } cases[] = {
        {u"01 - Intro.mp3", 1},
        {u"Track07.mp3", 7}, // two digits: any non-digit neighbour counts
        {u"Track7.mp3", -1}, // one digit: a letter before it does not
        {u"7 - Song.mp3", 7},
        {u"7_Song.mp3", -1},    // nor an underscore after it
        {u"2011 Song.mp3", -1}, // longer runs never count
        {u"101 Song.mp3", -1},
        {u"1-01 Song.mp3", 1}, // the disc number comes first
        {u"Song (7).mp3", 7},
        {u"Song 7.mp3", 7},
        {u"Song.mp3", -1},
        {u"12", -1}, // the last two characters never start a number
        {u"12a", 12},
        {u"a9b", -1},
        {u"Трек 05 Песня.mp3", 5},
        {u"Песня7.mp3", -1},
        {u"07Песня.mp3", 7},
        {u"Песня 3.mp3", 3},
        {u"\uFF10\uFF11 Song.mp3", -1}, // fullwidth digits are no digits
        {u"", -1},
    };
    for (const auto& [name, n] : cases) EXPECT_EQ(fnum(name), n) << testutil::u8(name);
}

TEST(TrackNumbers, TagNumbers) {
    for (const auto& [s, n] :
         std::vector<std::pair<std::u16string, std::int32_t>>{{u"3/12", 3},
                                                              {u" 4 ", 4},
                                                              {u"1 / 10", 1},
                                                              {u"07", 7},
                                                              {u"+5", 5},
                                                              {u"-2", -2},
                                                              {u"2147483647", 2147483647},
                                                              {u"-2147483648", -2147483647 - 1}})
        EXPECT_EQ(tnum(s), n) << testutil::u8(s);
    // Text that is no number counts as 0.
    for (auto s :
         {u"", u"a4", u"/5", u"-", u"4\t", u"0x1F", u"2147483648", u"99999999999999999999", u"٣"})
        EXPECT_EQ(tnum(s), 0) << testutil::u8(s);
}

TEST(TrackNumbers, ThreeDigitNames) {
    for (auto s : {u"101 Song.mp3", u"CD1 203 - Song.mp3", u"a101b"})
        EXPECT_TRUE(has3digits(s)) << testutil::u8(s);
    // A run at the very end ("Song101") is not seen.
    for (auto s : {u"Song 1999.mp3", u"12 Song.mp3", u"Song101", u""})
        EXPECT_FALSE(has3digits(s)) << testutil::u8(s);

    folderenv f;
    bool all3 = false;
    EXPECT_TRUE(trnocomplete(f.c, all3)); // an empty folder is complete
    EXPECT_TRUE(all3);

    f.numbered({{u"101 a.mp3", u""}, {u"102 b.mp3", u"7"}});
    EXPECT_FALSE(trnocomplete(f.c, all3));
    EXPECT_TRUE(all3);
    f.numbered({{u"03 c.mp3", u""}});
    trnocomplete(f.c, all3);
    EXPECT_FALSE(all3);
}

TEST(TrackNumbers, CompletenessAsksOnlyThatEveryNumberOccurs) {
    folderenv f;
    for (int i = 1; i <= 10; ++i) {
        std::string t = std::to_string(i) + "/10";
        f.numbered({{u"Song " + testutil::u16(std::string(1, char('a' + i))) + u".mp3",
                     testutil::u16(t)}});
    }
    bool all3 = true;
    EXPECT_TRUE(trnocomplete(f.c, all3));
    EXPECT_FALSE(all3);
    EXPECT_FALSE(filescomplete(f.c)); // the names carry no numbers

    folderenv dup;
    dup.numbered({{u"01 a.mp3", u"1"}, {u"01 b.mp3", u"1"}, {u"03 c.mp3", u"3"}});
    EXPECT_FALSE(trnocomplete(dup.c, all3)); // no 2
    EXPECT_FALSE(filescomplete(dup.c));
    EXPECT_TRUE(trnoused(dup.c, 3));
    EXPECT_FALSE(trnoused(dup.c, 2));
    EXPECT_TRUE(filenumberused(dup.c, 1));
    EXPECT_FALSE(filenumberused(dup.c, 2));

    folderenv extra; // numbers above N and repeats do not matter
    extra.numbered({{u"01 a.mp3", u"2"}, {u"02 b.mp3", u"1"}, {u"09 c.mp3", u"1"}});
    extra.c.trackcount = 2;
    EXPECT_TRUE(trnocomplete(extra.c, all3));
    EXPECT_TRUE(filescomplete(extra.c));
}

TEST(FixTrnos, PlansTagNumbersFromFileNamesBoundToItsLine) {
    folderenv f;
    f.tracks({{u"01 - Intro.mp3", u"A", u"B", u"1999", u"Intro", u"", u"Rock", u""},
              {u"Track02.mp3", u"A", u"B", u"1999", u"Second", u"0", u"", u""},
              {u"03 Третья.mp3", u"A", u"B", u"", u"Третья", u"3/3", u"", u""}});
    addline(f.c, u"/music/Artist - Album (1999)");
    ASSERT_TRUE(fixtrnos(f.c));

    ASSERT_EQ(f.lines().size(), 3u);
    EXPECT_EQ(f.lines()[1], fixline);
    EXPECT_EQ(f.lines()[2], fromnames);
    ASSERT_EQ(f.opcount(), 2u); // the third already carries its number
    const oplist* first = f.opfor(u"01 - Intro.mp3");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(
        (std::vector<std::u16string>{first->pathname, first->trno, first->artist, first->title,
                                     first->album, first->year, first->genre, first->icmp}),
        (std::vector<std::u16string>{f.folder(), u"1", u"A", u"Intro", u"B", u"1999", u"-1", u""}));
    EXPECT_TRUE(first->changetrno && first->perform);
    EXPECT_EQ(first->listindex, 1);
    EXPECT_EQ(f.opfor(u"Track02.mp3")->trno, u"2");
    EXPECT_EQ(f.opfor(u"Track02.mp3")->listindex, 1);
    EXPECT_EQ(f.opfor(u"03 Третья.mp3"), nullptr);
    EXPECT_EQ(folderopindex(f.c, f.folder()), 1);
}

TEST(FixTrnos, UpdatesTheUnifyStepsOperationsInsteadOfAddingOnes) {
    folderenv f;
    for (int i = 0; i < 10; ++i) f.c.form1.ListView1.items.push_back(u"earlier line");
    std::vector<std::u16string> names;
    for (int i = 1; i <= 10; ++i) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02d %c.mp3", i, 'a' + i - 1);
        names.push_back(testutil::u16(buf));
        f.tracks({{names.back(), u"A", u"B", u"1999", u"T", u"", u"", u""}});
    }
    // Another folder's operation for a file of the same name stays untouched.
    oplist& other = addop(f.c.plannedops, write_tag, true, u"/music/Other", u"01 a.mp3", u"", u"",
                          u"", u"", 2, false, u"", u"-1", u"");
    // An older operation of the first file: only the newest one is changed.
    oplist& older = f.unifyop(u"01 a.mp3", 4);
    for (const auto& n : names) f.unifyop(n, 7);

    ASSERT_TRUE(fixtrnos(f.c));
    EXPECT_EQ(f.opcount(), 12u);
    ASSERT_EQ(f.lines().size(), 11u);
    EXPECT_EQ(f.lines().back(), fromnames); // and no second rewrite line
    for (int i = 1; i <= 10; ++i) {
        const oplist* op = f.opfor(names[i - 1]);
        EXPECT_TRUE(op->changetrno);
        EXPECT_EQ(op->trno, testutil::u16(std::to_string(i)));
        EXPECT_EQ(op->listindex, 7);
        EXPECT_EQ(op->artist, u"Unified"); // the unify step's values stay
    }
    EXPECT_FALSE(older.changetrno);
    EXPECT_FALSE(other.changetrno);
    EXPECT_EQ(other.trno, u"");
}

TEST(FixTrnos, NewOperationsJoinTheFoldersExistingRewriteLine) {
    folderenv f;
    for (int i = 0; i < 6; ++i) f.c.form1.ListView1.items.push_back(u"line");
    f.numbered({{u"01 a.mp3", u""}, {u"02 b.mp3", u""}});
    f.unifyop(u"01 a.mp3", 3);
    ASSERT_TRUE(fixtrnos(f.c));
    EXPECT_EQ(f.opcount(), 2u);
    EXPECT_EQ(f.opfor(u"02 b.mp3")->listindex, 3);
    EXPECT_TRUE(f.opfor(u"02 b.mp3")->changetrno);
    EXPECT_EQ(f.lines().size(), 7u);
}

TEST(FixTrnos, RefusesWhenTheNamesDoNotNumberTheFolder) {
    folderenv unnumbered;
    unnumbered.numbered({{u"Intro.mp3", u""}, {u"Outro.mp3", u""}});
    EXPECT_FALSE(fixtrnos(unnumbered.c));
    EXPECT_EQ(unnumbered.opcount(), 0u);
    EXPECT_TRUE(unnumbered.lines().empty());

    folderenv twice; // two files named with 1, none with 2
    twice.numbered({{u"1 - a.mp3", u""}, {u"01 b.mp3", u""}});
    EXPECT_FALSE(fixtrnos(twice.c));
    EXPECT_EQ(twice.opcount(), 0u);
}

TEST(NumberFiles, RenamesEveryFileBoundToTheOneLine) {
    folderenv f(u"/music/Исполнитель - Альбом");
    f.numbered(
        {{u"Song.mp3", u"3/12"}, {u"Песня.mp3", u"12"}, {u"Long.mp3", u"105"}, {u"Bad.mp3", u"x"}});
    addline(f.c, u"/music/Исполнитель - Альбом");
    addline(f.c, numberingline);
    numberfiles(f.c);
    EXPECT_EQ(f.lines().size(), 2u); // no line of its own

    const std::u16string dir = u"/music/Исполнитель - Альбом/";
    struct {
        std::u16string from, to;
    } want[] = {{u"Song.mp3", u"03 Song.mp3"},
                {u"Песня.mp3", u"12 Песня.mp3"},
                {u"Long.mp3", u"105 Long.mp3"},
                {u"Bad.mp3", u"00 Bad.mp3"}};
    ASSERT_EQ(f.opcount(), 4u);
    for (const auto& [from, to] : want) {
        const oplist* op = f.opfor(dir + from, rename_file);
        ASSERT_NE(op, nullptr) << testutil::u8(from);
        EXPECT_EQ(op->newname, dir + to);
        EXPECT_EQ(op->listindex, 1);
        EXPECT_TRUE(op->perform);
        EXPECT_FALSE(op->changetrno);
        EXPECT_TRUE(op->artist.empty() && op->title.empty() && op->album.empty() &&
                    op->year.empty() && op->trno.empty() && op->genre.empty() && op->icmp.empty());
    }
    // The line's first operation is a rename of this folder's files.
    bool perform = false, undo = true;
    opcodeset code = write_tag;
    ASSERT_NE(findop(f.c, 1, perform, undo, code), nullptr);
    EXPECT_EQ(code, rename_file);
    EXPECT_TRUE(perform);
    EXPECT_FALSE(undo);
    EXPECT_EQ(findop(f.c, 0, perform, undo, code), nullptr);
}
