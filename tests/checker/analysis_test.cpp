// Track tag analysis, the unify dialog's dressing and tag-write planning on
// track lists built in the test.
#include <gtest/gtest.h>

#include "analysis.h"
#include "folderenv.h"
#include "tagplan.h"
#include "tform3.h"
#include "unify.h"

using testutil::u8;
using lines8 = std::vector<std::string>;

namespace {

struct analysisenv : folderenv {
    forms::TForm3 form3;
    int problems = 0;
    bool incomplete = false, compilation = false;

    analysisenv() : folderenv(u"/music/Some Folder") {
        c.form3 = &form3;
        c.cfg.titlesfromnames = 1;
    }
    // The folder's values as the run settles them: the first non-empty ones
    // in directory order.
    void settle() {
        std::vector<const checker::mp3data*> dirorder;
        for (const auto& t : c.tracks) dirorder.insert(dirorder.begin(), &t);
        for (const auto* t : dirorder) {
            if (c.dirartist.empty()) c.dirartist = t->artist;
            if (c.diralbum.empty()) c.diralbum = t->album;
            if (c.diryear.empty()) c.diryear = t->year;
        }
    }
    void check() {
        settle();
        checker::checktags(c, problems, incomplete, compilation, c.onlytitles);
    }
    lines8 all() const {
        lines8 r;
        for (const auto& l : lines()) r.push_back(u8(l));
        return r;
    }
    std::vector<std::string> items(const forms::combobox& b) const {
        std::vector<std::string> r;
        for (const auto& i : b.items) r.push_back(u8(i));
        return r;
    }
};

} // namespace

TEST(Analysis, TrackWordEndings) {
    const std::vector<std::pair<int, std::u16string>> cases{
        {0, u"ов"},   {1, u""},    {2, u"а"},   {3, u"а"},    {4, u"а"},   {5, u"ов"},
        {9, u"ов"},   {10, u"ов"}, {11, u"ов"}, {12, u"ов"},  {14, u"ов"}, {19, u"ов"},
        {21, u""},    {22, u"а"},  {25, u"ов"}, {100, u"ов"}, {101, u""},  {111, u"ов"},
        {112, u"ов"}, {121, u""},  {1004, u"а"}};
    for (const auto& [n, want] : cases) EXPECT_EQ(checker::trackword(n), want) << n;
}

TEST(Analysis, AgreeingTracksOnlyEmptyTheUnifyLists) {
    analysisenv e;
    e.form3.ComboBox1.items = {u"stale"};
    e.form3.Label1.caption = u"untouched";
    e.tracks({{u"1.mp3", u"A", u"B", u"1999", u"T1"}, {u"2.mp3", u"A", u"B", u"", u"T2"}});
    e.check();
    EXPECT_EQ(e.all(), (lines8{"  Исполнитель: A", "  Альбом: B", "  Год: 1999"}));
    EXPECT_EQ(e.problems, 0);
    EXPECT_FALSE(e.incomplete || e.compilation || e.c.onlytitles);
    EXPECT_TRUE(e.form3.ComboBox1.items.empty());
    EXPECT_EQ(e.form3.Label1.caption, u"untouched");
}

TEST(Analysis, OneTrackLackingItsArtistIsNoCompilation) {
    analysisenv e;
    e.tracks({{u"a.mp3", u"X", u"Alb", u"", u"Ta"},
              {u"b.mp3", u"Y", u"Alb", u"", u"Tb"},
              {u"c.mp3", u"Y", u"Alb", u"", u""},
              {u"d.mp3", u"", u"Alb", u"", u"Td"}});
    e.check();
    EXPECT_EQ(e.all(), (lines8{"  Нет исполнителя: d.mp3", "  Нет названия трека: c.mp3",
                               " -- Найдены расхождения", "  Исполнители:", "      X: 1 трек",
                               "      Y: 2 трека", "  Альбомы:", "      Alb: 4 трека"}));
    // d lacks its artist; c lacks its title and differs in artist; b differs.
    EXPECT_EQ(e.problems, 4);
    EXPECT_FALSE(e.compilation);
    EXPECT_FALSE(e.c.onlytitles);
    EXPECT_EQ(e.c.dirartist, u"Y"); // the prevailing artist
    EXPECT_EQ(e.items(e.form3.ComboBox1), (lines8{"Y", "X"}));
    EXPECT_EQ(e.form3.ComboBox1.text, u"Y");
    EXPECT_TRUE(e.form3.CheckBox1.checked && e.form3.ComboBox1.enabled);
    EXPECT_FALSE(e.form3.CheckBox2.checked || e.form3.ComboBox2.enabled);
    EXPECT_EQ(e.form3.Label1.caption, u"Найдены расхождения. Уравнять теги?");
    EXPECT_TRUE(e.form3.Button4.visible && e.form3.Button1.enabled);
    EXPECT_FALSE(e.c.tagsincomplete);
    EXPECT_EQ(e.form3.Label2.caption, u"/music/Some Folder");
}

TEST(Analysis, EqualCountsPreferTheValueMetLast) {
    // The tracks are walked from the last file found, so 1.mp3's album is met
    // last and stands at the head of the tally.
    analysisenv e;
    e.tracks({{u"1.mp3", u"A", u"B1", u"", u"T"}, {u"2.mp3", u"A", u"B2", u"", u"T"}});
    e.c.diralbum = u"B2";
    e.check();
    EXPECT_EQ(e.c.diralbum, u"B1");
    EXPECT_EQ(e.items(e.form3.ComboBox2), (lines8{"B1", "B2"}));
    EXPECT_EQ(e.form3.ComboBox2.text, u"B1");
    EXPECT_EQ(e.form3.ComboBox2.itemindex, 0);
}

TEST(Analysis, OnlyTitlesMissing) {
    analysisenv e;
    e.tracks({{u"1.mp3", u"A", u"B", u"", u""},
              {u"2.mp3", u"A", u"B", u"", u""},
              {u"3.mp3", u"A", u"B", u"", u"T"}});
    e.check();
    EXPECT_TRUE(e.c.onlytitles && e.incomplete && e.c.tagsincomplete);
    EXPECT_EQ(e.problems, 2);
}

TEST(Analysis, ArtistEnteredByTheUserHasNoVariants) {
    analysisenv e;
    e.form3.setchecked(e.form3.CheckBox1, false);
    e.tracks({{u"1.mp3", u"", u"B", u"", u"T"}, {u"2.mp3", u"", u"B", u"", u"T"}});
    e.c.dirartist = u"Entered";
    e.check();
    EXPECT_TRUE(e.form3.ComboBox1.items.empty());
    EXPECT_EQ(e.form3.ComboBox1.text, u"Entered");
    EXPECT_TRUE(e.form3.CheckBox1.checked && e.form3.ComboBox1.enabled);
    EXPECT_TRUE(e.form3.CheckBox2.checked && e.form3.ComboBox2.enabled);
    EXPECT_TRUE(e.form3.Button1.enabled);
    EXPECT_FALSE(e.form3.Button4.visible);
    EXPECT_EQ(e.form3.Label1.caption, u"Отсутствуют или неполные теги. Исправить?");
    EXPECT_TRUE(e.c.tagsincomplete);
}

TEST(TagPlan, AlbumOnlyKeepsEachArtistAndAnEmptyYear) {
    analysisenv e;
    e.tracks({{u"1.mp3", u"A1", u"B1", u"1990", u"T1"},
              {u"2.mp3", u"A2", u"B2", u"1991", u"T2"},
              {u"3.mp3", u"A3", u"B", u"1992", u"T3"}});
    e.c.dirartist = u"A1";
    e.c.diralbum = u"B";
    e.form3.setchecked(e.form3.CheckBox1, false);
    e.form3.setchecked(e.form3.CheckBox2, true);
    e.form3.ComboBox2.text = u"B";
    checker::plantagwrites(e.c, false);
    // Head first: 3 agrees, 2 then 1 are rewritten; the folder's artist is
    // the last rewritten track's.
    ASSERT_EQ(e.opcount(), 2u);
    EXPECT_EQ(e.opfor(u"1.mp3")->artist, u"A1");
    EXPECT_EQ(e.opfor(u"2.mp3")->artist, u"A2");
    EXPECT_EQ(e.opfor(u"2.mp3")->album, u"B");
    EXPECT_EQ(e.opfor(u"2.mp3")->year, u""); // never the track's own year
    EXPECT_EQ(e.c.dirartist, u"A1");
    EXPECT_EQ(e.all(), lines8{"  > (Пере)записать id3-теги -> [A1 :: B]"});
}

TEST(TagPlan, EmptyTitleRewrittenEvenWithoutTitlesFromNames) {
    analysisenv e;
    e.c.cfg.titlesfromnames = 0;
    e.tracks({{u"Some Folder - 01 Song.mp3", u"A", u"B", u"", u""}});
    e.c.dirartist = u"A";
    e.c.diralbum = u"B";
    e.c.diryear = u"2000";
    e.form3.ComboBox1.text = u"A";
    e.form3.ComboBox2.text = u"B";
    checker::plantagwrites(e.c, false);
    ASSERT_NE(e.opfor(u"Some Folder - 01 Song.mp3"), nullptr);
    EXPECT_EQ(e.opfor(u"Some Folder - 01 Song.mp3")->title, u"");

    analysisenv f;
    f.tracks({{u"A - 01 Song.mp3", u"A", u"B", u"", u""}});
    f.c.dirartist = u"A";
    f.c.diralbum = u"B";
    f.form3.setchecked(f.form3.CheckBox1, false);
    f.form3.setchecked(f.form3.CheckBox2, false);
    checker::plantagwrites(f.c, true);
    ASSERT_EQ(f.opcount(), 1u);
    EXPECT_EQ(f.opfor(u"A - 01 Song.mp3")->title, u"01 Song"); // the artist cut from the name
    EXPECT_EQ(f.all(), lines8{"  > (Пере)записать id3-теги -> Заполнить пустые названия треков"});

    // Nothing to change plans nothing.
    analysisenv g;
    g.tracks({{u"1.mp3", u"A", u"B", u"", u"T"}});
    g.c.dirartist = u"A";
    g.c.diralbum = u"B";
    g.form3.ComboBox1.text = u"A";
    g.form3.ComboBox2.text = u"B";
    checker::plantagwrites(g.c, false);
    EXPECT_EQ(g.opcount(), 0u);
    EXPECT_TRUE(g.lines().empty());
}
