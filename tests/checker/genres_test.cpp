#include <gtest/gtest.h>

#include "folderenv.h"
#include "genres.h"
#include "testutil.h"

using namespace checker;

namespace {

const std::u16string discrepancy = u"  Найдены расхождения в жанрах (двойной щелчок на пути папки, "
                                   u"чтобы посмотреть подробности)";
const std::u16string prevailing = u"  При перезаписи тега будет выставлен преобладающий жанр: ";
const std::u16string genreline =
    u"  > (Пере)записать id3-теги  -> Исправить номера треков или жанр";
const std::u16string flagline =
    u"  > (Пере)записать теги  -> Установить флаг iTunes \"Часть сборника\"";
const std::u16string playlistline =
    u"  Найден плейлист. При копировании в плеер могут продублироваться треки!";
const std::u16string renameline = u"  > Переименовать плейлист";

using texts = std::vector<std::u16string>;

void genres(folderenv& f, const std::vector<std::u16string>& tcons) {
    int i = 0;
    for (const auto& g : tcons) {
        std::u16string name = testutil::u16(std::to_string(++i)) + u" track.mp3";
        f.tracks(
            {{name, u"A", u"B", u"1999", u"T" + name, testutil::u16(std::to_string(i)), g, u""}});
    }
}

} // namespace

TEST(CheckGenre, VerdictsLinesAndOperationCounts) {
    // The walk meets the files from the last in directory order: on a tie the
    // genre of the earlier files is met last and wins. Case and blanks make
    // different genres; without the same-genre option the check only reports.
    struct {
        const char* name;
        std::vector<std::u16string> tcons;
        bool samegenre, ok;
        std::u16string winner; // the prevailing genre, empty when none is set
        std::size_t ops;
    } cases[] = {
        {"agreeing", {u"Rock", u"Rock", u"Rock"}, true, true, u"", 0},
        {"absent", {u"", u"", u""}, true, true, u"", 0},
        {"empty folder", {}, false, true, u"", 0},
        {"five and five",
         {u"Pop", u"Pop", u"Pop", u"Pop", u"Pop", u"Rock", u"Rock", u"Rock", u"Rock", u"Rock"},
         true,
         false,
         u"Pop",
         5},
        {"two and two", {u"Rock", u"Pop", u"Rock", u"Pop"}, true, false, u"Rock", 2},
        {"case and blanks", {u"Rock", u"rock", u"Rock ", u"Rock"}, true, false, u"Rock", 2},
        {"report only", {u"Rock", u"Pop"}, false, false, u"", 0},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        folderenv f;
        f.c.cfg.samegenre = k.samegenre;
        genres(f, k.tcons);
        EXPECT_EQ(checkgenre(f.c), k.ok);
        std::vector<std::u16string> want;
        if (!k.ok) want.push_back(discrepancy);
        if (!k.winner.empty()) want.push_back(prevailing + k.winner), want.push_back(genreline);
        EXPECT_EQ(f.lines(), want);
        EXPECT_EQ(f.opcount(), k.ops);
        for (const oplist* op : f.ops()) EXPECT_EQ(op->genre, k.winner);
    }
}

TEST(CheckGenre, TracksWithoutAGenreGetThePrevailingOne) {
    folderenv f;
    f.c.cfg.samegenre = 1;
    genres(f, {u"Rock", u"Rock", u"", u"Rock", u"Rock", u"Rock", u"", u"Rock", u"Rock", u"Rock"});
    addline(f.c, f.folder());
    EXPECT_FALSE(checkgenre(f.c));
    ASSERT_EQ(f.lines().size(), 4u);
    EXPECT_EQ(f.lines()[1], discrepancy);
    EXPECT_EQ(f.lines()[2], prevailing + u"Rock");
    EXPECT_EQ(f.lines()[3], genreline);
    ASSERT_EQ(f.opcount(), 2u);
    for (auto name : {u"3 track.mp3", u"7 track.mp3"}) {
        const oplist* op = f.opfor(name);
        ASSERT_NE(op, nullptr);
        EXPECT_EQ(op->genre, u"Rock");
        EXPECT_EQ(op->listindex, 3);
        EXPECT_EQ(op->pathname, f.folder());
        EXPECT_FALSE(op->changetrno);
        EXPECT_EQ(op->trno, name[0] == u'3' ? u"3" : u"7"); // the track's own
        EXPECT_EQ(op->title, u"T" + std::u16string(name));
        EXPECT_EQ(op->icmp, u"");
    }
}

TEST(SetGenre, FoldsIntoTheUnifyOperationAndTheFlagFollows) {
    folderenv f;
    for (int i = 0; i < 5; ++i) f.c.form1.ListView1.items.push_back(u"line");
    genres(f, {u"Rock", u"", u"Jazz"});
    oplist& unified = f.unifyop(u"2 track.mp3", 4);
    setgenre(f.c, u"Rock");
    EXPECT_EQ(f.lines().size(), 5u); // joins the folder's rewrite line
    EXPECT_EQ(f.opcount(), 2u);
    EXPECT_EQ((texts{unified.genre, unified.artist, unified.title, unified.icmp}),
              (texts{u"Rock", u"Unified", u"Unified title", u""}));
    const oplist* jazz = f.opfor(u"3 track.mp3");
    ASSERT_NE(jazz, nullptr);
    EXPECT_EQ(jazz->genre, u"Rock");
    EXPECT_EQ(jazz->listindex, 4);

    setcompflag(f.c);
    EXPECT_EQ(f.opcount(), 3u); // the first track had none
    EXPECT_EQ(unified.icmp, u"1");
    EXPECT_EQ(unified.genre, u"Rock");
    EXPECT_EQ(f.opfor(u"3 track.mp3")->icmp, u"1");
    const oplist* first = f.opfor(u"1 track.mp3");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->genre, u"Rock"); // as read
    EXPECT_EQ(first->icmp, u"1");
    EXPECT_EQ(first->listindex, 4);
    EXPECT_EQ(f.lines().size(), 5u);
}

TEST(SetCompFlag, PlansTheFlagForTracksWithoutIt) {
    folderenv done;
    done.tracks({{u"a.mp3", u"X", u"VA", u"", u"a", u"1", u"", u"1"},
                 {u"b.mp3", u"Y", u"VA", u"", u"b", u"2", u"", u"1"}});
    setcompflag(done.c);
    EXPECT_EQ(done.opcount(), 0u);
    EXPECT_TRUE(done.lines().empty());

    folderenv f;
    addline(f.c, f.folder());
    f.tracks({{u"a.mp3", u"X", u"VA", u"2004", u"a", u"1/2", u"Pop", u"1"},
              {u"b.mp3", u"Y", u"VA", u"2004", u"b", u"2/2", u"", u"0"}});
    setcompflag(f.c);
    ASSERT_EQ(f.lines().size(), 2u);
    EXPECT_EQ(f.lines()[1], flagline);
    ASSERT_EQ(f.opcount(), 1u);
    const oplist* op = f.opfor(u"b.mp3");
    EXPECT_EQ((texts{op->icmp, op->genre, op->trno, op->artist}), (texts{u"1", u"", u"2/2", u"Y"}));
    EXPECT_FALSE(op->changetrno);
    EXPECT_EQ(op->listindex, 1);
}

TEST(BackupPlaylists, TwoPlaylistsOnOneLineInSearchOrder) {
    testutil::tempdir dir;
    for (const char* name : {"b.m3u", "A.M3U", "Плейлист.m3u", "song.mp3", "x.m3u8", "notes.txt"})
        testutil::writefile(dir.path() / name, "#EXTM3U\n");
    std::filesystem::create_directory(dir.path() / "folder.m3u");

    folderenv f(dir.u16());
    f.c.cfg.bkpplaylists = 1;
    addline(f.c, f.folder());
    backupplaylists(f.c);
    ASSERT_EQ(f.lines().size(), 3u);
    EXPECT_EQ(f.lines()[1], playlistline);
    EXPECT_EQ(f.lines()[2], renameline);
    // Planned in the search's order, so the list reads the other way round.
    std::vector<std::u16string> got;
    for (const oplist* op : f.ops()) {
        EXPECT_EQ(op->opcode, backup_playlist);
        EXPECT_EQ(op->newname, op->pathname + u".bkp");
        EXPECT_EQ(op->listindex, 2);
        EXPECT_TRUE(op->perform);
        EXPECT_TRUE(op->artist.empty() && op->genre.empty() && op->trno.empty());
        got.push_back(op->pathname);
    }
    EXPECT_EQ(got, (std::vector<std::u16string>{dir.u16(u"Плейлист.m3u"), dir.u16(u"b.m3u"),
                                                dir.u16(u"A.M3U")}));

    folderenv off(dir.u16());
    backupplaylists(off.c);
    EXPECT_EQ(off.lines(), std::vector<std::u16string>{playlistline});
    EXPECT_EQ(off.opcount(), 0u);
}

TEST(BackupPlaylists, NoPlaylistNoLine) {
    testutil::tempdir dir;
    testutil::writefile(dir.path() / "01 a.mp3", "x");
    std::filesystem::create_directory(dir.path() / "only a folder.m3u");
    folderenv f(dir.u16());
    f.c.cfg.bkpplaylists = 1;
    backupplaylists(f.c);
    EXPECT_TRUE(f.lines().empty());
    EXPECT_EQ(f.opcount(), 0u);

    folderenv gone(dir.u16(u"missing"));
    gone.c.cfg.bkpplaylists = 1;
    backupplaylists(gone.c);
    EXPECT_TRUE(gone.lines().empty());
    EXPECT_EQ(gone.opcount(), 0u);
}
