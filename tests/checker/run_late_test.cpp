// The folder rename and the late steps of a folder as a run reaches them:
// genres, track numbers, file numbering, and the settings read at each use.
#include "runenv.h"

using namespace runtest;
using lines8 = std::vector<std::string>;

TEST(RunLate, NumberingKeepsTheFolderOk) {
    runenv e;
    e.c.cfg.numbering = 1;
    e.mp3(u"A - B (2000)/Intro.mp3", {u"A", u"Intro", u"B", u"2000", u"1", u"Rock"});
    e.mp3(u"A - B (2000)/Song.mp3", {u"A", u"Song", u"B", u"2000", u"2", u"Rock"});
    e.run();
    EXPECT_EQ(e.folderlines(u"A - B (2000)"),
              (lines8{"  Исполнитель: A", "  Альбом: B", "  Год: 2000",
                      "  Похоже, файлы не пронумерованы. Будет исправлено", " -- Ok"}));
    const std::u16string f = e.path(u"A - B (2000)");
    auto renamefile = [&](std::u16string from, std::u16string to) {
        op o = renameop(f + u"/" + from, f + u"/" + to, 5);
        o.opcode = checker::rename_file, o.genre = u"";
        return o;
    };
    EXPECT_EQ(e.ops(), (std::vector<op>{renamefile(u"Intro.mp3", u"01 Intro.mp3"),
                                        renamefile(u"Song.mp3", u"02 Song.mp3")}));
}

TEST(RunLate, TrackNumbersFromFileNamesJoinTheUnifiedWrites) {
    runenv e;
    e.mp3(u"mixed/01 x.mp3", {u"P", u"Tx", u"Q", u"2001"});
    e.mp3(u"mixed/02 y.mp3", {u"P", u"Ty", u"R", u"2001"});
    const std::u16string f = e.path(u"mixed");
    e.host.press(u"Button1");
    e.run();
    EXPECT_EQ(e.folderlines(u"mixed"),
              (lines8{" -- Найдены расхождения", "  Исполнители:", "      P: 2 трека",
                      "  Альбомы:", "      Q: 1 трек", "      R: 1 трек",
                      "  > (Пере)записать id3-теги -> [P :: Q :: 2001]",
                      "  Номера треков отсутствуют или неверны (двойной щелчок на пути к папке, "
                      "чтобы посмотреть подробности)",
                      "  При перезаписи тега номера треков будут взяты из имен файлов"}));
    EXPECT_EQ(e.ops(),
              (std::vector<op>{
                  tagop(f, u"01 x.mp3", u"P", u"Tx", u"Q", u"2001", 8, u"-1", u"", true, u"1"),
                  tagop(f, u"02 y.mp3", u"P", u"Ty", u"Q", u"2001", 8, u"-1", u"", true, u"2"),
              }));
}

TEST(RunLate, DifferingGenresAreMadeTheSameUnlessUnifyWasDeclined) {
    for (bool declined : {false, true}) {
        SCOPED_TRACE(declined);
        runenv e;
        e.mp3(u"A - B (1990)/1.mp3", {u"A", u"T1", u"B", u"1990", u"1", u"Rock"});
        e.mp3(u"A - B (1990)/2.mp3", {u"A", u"T2", u"B", u"1990", u"2", u"Rock"});
        e.mp3(u"A - B (1990)/3.mp3", {u"A", u"T3", u"B2", u"1990", u"3", u""});
        e.host.press(declined ? u"Button2" : u"Button1");
        e.run();
        const std::u16string f = e.path(u"A - B (1990)");
        lines8 want{" -- Найдены расхождения", "  Исполнители:",  "      A: 3 трека", "  Альбомы:",
                    "      B: 2 трека",        "      B2: 1 трек"};
        if (!declined) {
            want.push_back("  > (Пере)записать id3-теги -> [A :: B :: 1990]");
            want.push_back("  Найдены расхождения в жанрах (двойной щелчок на пути папки, чтобы "
                           "посмотреть подробности)");
            want.push_back("  При перезаписи тега будет выставлен преобладающий жанр: Rock");
            EXPECT_EQ(e.ops(), (std::vector<op>{
                                   tagop(f, u"3.mp3", u"A", u"T3", u"B", u"1990", 8, u"Rock")}));
        } else {
            EXPECT_TRUE(e.ops().empty());
        }
        EXPECT_EQ(e.folderlines(u"A - B (1990)"), want);
    }
}

TEST(RunLate, RenameProposedForCaseAndUnsafeCharacters) {
    runenv e;
    e.keepnames(false);
    e.mp3(u"ac.dc - back in black (1980)/01.mp3",
          {u"AC/DC", u"Hells Bells", u"Back in Black", u"1980", u"1"});
    e.run();
    const std::u16string f = e.path(u"ac.dc - back in black (1980)");
    EXPECT_EQ(e.folderlines(u"ac.dc - back in black (1980)"),
              (lines8{"  Исполнитель: AC/DC", "  Альбом: Back in Black", "  Год: 1980",
                      "  > Переименовать ac.dc - back in black (1980) В AC.DC - Back in Black "
                      "(1980)"}));
    EXPECT_EQ(e.ops(),
              std::vector<op>{renameop(f, e.root() + u"/AC.DC - Back in Black (1980)", 5)});
}

TEST(RunLate, KeepNamesBoxIsReadAnewAtEveryFolder) {
    runenv e;
    e.mp3(u"Old1/01.mp3", {u"A", u"T", u"B", u"2000", u"1"});
    e.mp3(u"Old2/01.mp3", {u"C", u"T", u"D", u"2000", u"1"});
    e.keepnames(true);
    // The user unticks the box while the run handles messages before the
    // second folder (Old1; Old2 comes first).
    e.host.onpump = [&] {
        if (e.host.pumps == 2) e.keepnames(false);
    };
    e.run();
    EXPECT_EQ(e.folderlines(u"Old2"),
              (lines8{"  Исполнитель: C", "  Альбом: D", "  Год: 2000", " -- Ok"}));
    EXPECT_EQ(e.folderlines(u"Old1"), (lines8{"  Исполнитель: A", "  Альбом: B", "  Год: 2000",
                                              "  > Переименовать Old1 В A - B (2000)"}));
}

TEST(RunLate, UnifyRepeatedWhileATextIsEmpty) {
    runenv e;
    e.mp3(u"f/x.mp3", {u"P", u"Tx", u"Q", u"2001", u"1"});
    e.mp3(u"f/y.mp3", {u"P", u"Ty", u"R", u"2001", u"2"});
    e.host.expect([&](forms::form& f) {
        auto& u = dynamic_cast<forms::TForm3&>(f);
        f.settext(u.ComboBox2, u"");
        f.click(u.Button1);
    });
    e.host.expect([&](forms::form& f) {
        auto& u = dynamic_cast<forms::TForm3&>(f);
        EXPECT_EQ(u.ComboBox2.text, u"");
        f.settext(u.ComboBox2, u"Typed  ");
        f.click(u.Button1);
    });
    e.run();
    EXPECT_EQ(e.host.pending(), 0u);
    const std::u16string f = e.path(u"f");
    // The typed text is written trimmed; both tracks differ from it.
    EXPECT_EQ(e.ops(), (std::vector<op>{tagop(f, u"x.mp3", u"P", u"Tx", u"Typed", u"2001", 8),
                                        tagop(f, u"y.mp3", u"P", u"Ty", u"Typed", u"2001", 8)}));
    EXPECT_EQ(e.lines()[8], u"  > (Пере)записать id3-теги -> [P :: Typed :: 2001]");
}

TEST(RunLate, StopInTheUnifyDialogOrTheConfirmationEndsTheRunAfterTheFolder) {
    for (bool inconfirm : {false, true}) {
        SCOPED_TRACE(inconfirm);
        runenv e;
        e.keepnames(false);
        e.c.cfg.bkpplaylists = 1;
        e.mp3(u"a/x.mp3", {u"P", u"Tx", u"Q", u"2001", u"1"});
        e.mp3(u"b/x.mp3", {u"P", u"Tx", u"Q", u"2001", u"1"});
        e.mp3(u"b/y.mp3", {u"P", u"Ty", u"R", u"2001", u"2"});
        e.file(u"b/b.m3u");
        if (inconfirm) {
            e.host.press(u"Button2"); // unify: "Нет"
            e.host.press(u"Button5"); // confirmation: "Стоп"
        } else {
            e.host.press(u"Button3"); // unify: "Стоп"
        }
        e.run();
        const lines8 all = e.all();
        lines8 tail{" -- Найдены расхождения",
                    "  Исполнители:",
                    "      P: 2 трека",
                    "  Альбомы:",
                    "      Q: 1 трек",
                    "      R: 1 трек",
                    "  Найден плейлист. При копировании в плеер могут продублироваться треки!",
                    "  > Переименовать плейлист"};
        for (const std::string& s : stoplines()) tail.push_back(s);
        EXPECT_EQ(lines8(all.begin() + 2, all.end()), tail);
        EXPECT_EQ(e.ops().size(), 1u); // the playlist backup
        EXPECT_EQ(e.host.pending(), 0u);
    }
}
