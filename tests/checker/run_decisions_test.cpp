// The per-folder decisions over real folder trees: the dialogs as each
// showing dresses them, the answers, the report lines and the operations.
#include "runenv.h"

using namespace runtest;
using forms::TForm2;
using forms::TForm3;
using lines8 = std::vector<std::string>;

namespace {

TForm2& as2(forms::form& f) {
    return dynamic_cast<TForm2&>(f);
}
TForm3& as3(forms::form& f) {
    return dynamic_cast<TForm3&>(f);
}

// The user-intervention dialog as the user sees it.
std::string dress(const TForm2& f) {
    std::string s = u8(f.Label5.caption) + "\n" + u8(f.Label1.caption) + "\n" + u8(f.Edit1.text) +
                    " | " + u8(f.Edit2.text) + " | " + u8(f.Edit3.text) + "\n[" +
                    u8(f.Button1.caption) + "]";
    for (const forms::button* b :
         {&f.Button2, &f.Button3, &f.Button4, &f.Button5, &f.Button6, &f.Button7})
        if (b->visible) s += " [" + u8(b->caption) + "]";
    return s;
}

std::string dressbox(const forms::checkbox& box, const forms::combobox& list) {
    std::string s = u8(box.caption) + (box.checked ? " [x]" : " [ ]");
    if (!box.visible) s += " hidden";
    s += " {";
    for (std::size_t i = 0; i < list.items.size(); ++i) s += (i ? ", " : "") + u8(list.items[i]);
    s += "} " + u8(list.text);
    if (!list.enabled) s += " disabled";
    if (!list.visible) s += " hidden";
    return s;
}

// The unify dialog as the user sees it.
std::string dress(const TForm3& f) {
    std::string s = u8(f.Label2.caption) + "\n" + u8(f.Label1.caption) + "\n" +
                    dressbox(f.CheckBox1, f.ComboBox1) + "\n" + dressbox(f.CheckBox2, f.ComboBox2) +
                    "\n[Да" + (f.Button1.enabled ? "]" : " disabled]") + " [Нет] [Стоп]";
    if (f.Button4.visible) s += " [Личная компиляция]";
    return s;
}

// The analysis lines followed by the planned ones.
lines8 plus(lines8 head, std::initializer_list<std::string> tail) {
    head.insert(head.end(), tail);
    return head;
}

int modals(const runenv& e, const std::u16string& name) {
    int n = 0;
    for (const auto& l : e.host.log) n += l == u"modal " + name;
    return n;
}

} // namespace

TEST(RunDecisions, AgreeingFolderWithItsOwnNameEndsOk) {
    runenv e;
    e.keepnames(false);
    e.mp3(u"Artist - Album (1999)/01 Intro.mp3",
          {u"Artist", u"Intro", u"Album", u"1999", u"1/2", u"Rock"});
    e.mp3(u"Artist - Album (1999)/02 Song.mp3",
          {u"Artist", u"Song", u"Album", u"1999", u"2/2", u"Rock"});
    e.run();
    EXPECT_EQ(e.folderlines(u"Artist - Album (1999)"),
              (lines8{"  Исполнитель: Artist", "  Альбом: Album", "  Год: 1999", " -- Ok"}));
    EXPECT_TRUE(e.c.plannedops.empty());
    EXPECT_EQ(modals(e, u"Form2") + modals(e, u"Form3"), 0);
}

// x.mp3 has no artist and album Q, y.mp3 artist P and album R: the folder's
// artist comes from y and its album from x; the year only y has.
static void mixedfolder(runenv& e) {
    e.mp3(u"mixed/x.mp3", {u"", u"Tx", u"Q", u"", u"1"});
    e.mp3(u"mixed/y.mp3", {u"P", u"Ty", u"R", u"2001", u"2"});
}

static const lines8 mixedanalysis{"  Нет исполнителя: x.mp3",
                                  " -- Найдены расхождения",
                                  "  Исполнители:",
                                  "      P: 1 трек",
                                  "  Альбомы:",
                                  "      Q: 1 трек",
                                  "      R: 1 трек"};

TEST(RunDecisions, ArtistAndAlbumFromDifferentFilesThenUnifyYes) {
    runenv e;
    mixedfolder(e);
    const std::u16string folder = e.path(u"mixed");
    e.host.expect([&](forms::form& f) {
        EXPECT_EQ(dress(as3(f)), u8(folder) + "\nНайдены расхождения. Уравнять теги?"
                                              "\nПо исполнителю [ ] {P} P disabled"
                                              "\nПо альбому [x] {Q, R} Q"
                                              "\n[Да] [Нет] [Стоп] [Личная компиляция]");
        f.click(as3(f).Button1);
    });
    e.run();
    EXPECT_EQ(e.folderlines(u"mixed"),
              plus(mixedanalysis, {"  > (Пере)записать id3-теги -> [P :: Q :: 2001]"}));
    // Only y's album changes; x keeps its missing artist, since the artist
    // was not offered for unifying.
    EXPECT_EQ(e.ops(), std::vector<op>{tagop(folder, u"y.mp3", u"P", u"Ty", u"Q", u"2001", 9)});
    EXPECT_EQ(e.lines()[9], u"  > (Пере)записать id3-теги -> [P :: Q :: 2001]");
    EXPECT_EQ(e.host.pending(), 0u);
    EXPECT_EQ(modals(e, u"Form2"), 0); // "Да" needs no rename confirmation
}

TEST(RunDecisions, UnifyNoThenRenameConfirmationAnswers) {
    struct answer {
        const char* name;
        std::u16string button;
        std::u16string album; // typed into the album field first, when set
        lines8 tail;          // lines after the analysis
        bool rename;
    };
    const std::vector<answer> answers{
        {"no", u"Button2", u"", {}, false},
        {"yes", u"Button1", u"", {"  > Переименовать mixed В P - Q (2001)"}, true},
        {"edited", u"Button1", u"Other", {"  > Переименовать mixed В P - Other (2001)"}, true},
    };
    for (const answer& a : answers) {
        SCOPED_TRACE(a.name);
        runenv e;
        e.keepnames(false);
        mixedfolder(e);
        const std::u16string folder = e.path(u"mixed");
        e.host.press(u"Button2"); // "Нет" in the unify dialog
        e.host.expect([&](forms::form& f) {
            TForm2& d = as2(f);
            EXPECT_EQ(dress(d), "mixed: найдены расхождения в тегах"
                                "\nВсе равно переименовать, используя сведения ниже?"
                                "\nP | Q | 2001\n[Да] [Нет] [Discogs] [Стоп]");
            EXPECT_EQ(d.savedalbum, u"Q");
            if (!a.album.empty()) f.settext(d.Edit2, a.album);
            f.click(static_cast<forms::button&>(*f.find(a.button)));
        });
        e.run();
        lines8 want = mixedanalysis;
        want.insert(want.end(), a.tail.begin(), a.tail.end());
        EXPECT_EQ(e.folderlines(u"mixed"), want);
        // Declined: no tag writes and no genre check.
        if (a.rename) {
            EXPECT_EQ(e.ops(),
                      std::vector<op>{renameop(
                          folder,
                          e.root() + u"/" + u16(a.tail[0].substr(a.tail[0].find(" В ") + 4)), 9)});
        } else {
            EXPECT_TRUE(e.ops().empty());
        }
        EXPECT_TRUE(e.form2.Button4.visible); // shown again after the confirmation
        EXPECT_EQ(e.host.pending(), 0u);
    }
}

TEST(RunDecisions, KeepNamesBoxTickedAsksNoConfirmation) {
    runenv e;
    e.keepnames(true);
    mixedfolder(e);
    e.host.press(u"Button2");
    e.run();
    EXPECT_EQ(e.folderlines(u"mixed"), mixedanalysis);
    EXPECT_TRUE(e.ops().empty());
    EXPECT_EQ(modals(e, u"Form3"), 1);
    EXPECT_EQ(modals(e, u"Form2"), 0);
}

TEST(RunDecisions, PersonalCompilation) {
    runenv e;
    e.keepnames(false);
    e.mp3(u"mix/a.mp3", {u"A1", u"Ta", u"Alb", u"2000", u"1"});
    e.mp3(u"mix/b.mp3", {u"A2", u"Tb", u"Alb2", u"1998", u"2"});
    const std::u16string folder = e.path(u"mix");
    e.host.expect([&](forms::form& f) {
        EXPECT_EQ(dress(as3(f)), u8(folder) + "\nНайдены расхождения. Уравнять теги?"
                                              "\nПо исполнителю [x] {A1, A2} A1"
                                              "\nПо альбому [x] {Alb, Alb2} Alb"
                                              "\n[Да] [Нет] [Стоп] [Личная компиляция]");
        f.click(as3(f).Button4);
    });
    e.run();
    const std::string plan = "  > (Пере)записать теги:  [ %Исполнитель% :: %Исполнитель% - "
                             "%Название% :: mix  ::  %Год% ], номера треков оставить без изменения";
    EXPECT_EQ(
        e.folderlines(u"mix"),
        (lines8{" -- Найдены расхождения", "  Исполнители:", "      A1: 1 трек", "      A2: 1 трек",
                "  Альбомы:", "      Alb: 1 трек", "      Alb2: 1 трек", plan}));
    // Each track keeps its artist and year; no rename, genre or number step.
    EXPECT_EQ(e.ops(), (std::vector<op>{
                           tagop(folder, u"a.mp3", u"A1", u"A1 - Ta", u"mix", u"2000", 9, u"-1",
                                 u"1", false, u"1"),
                           tagop(folder, u"b.mp3", u"A2", u"A2 - Tb", u"mix", u"1998", 9, u"-1",
                                 u"1", false, u"2"),
                       }));
    EXPECT_EQ(modals(e, u"Form2"), 0);
}

// Three tracks, two artists, one album: an official compilation.
static void hits(runenv& e, std::u16string_view folder) {
    const std::u16string f(folder);
    e.mp3(f + u"/a.mp3", {u"X", u"Ta", u"Hits", u"2000", u"1"});
    e.mp3(f + u"/b.mp3", {u"Y", u"Tb", u"Hits", u"2000", u"2"});
    e.mp3(f + u"/c.mp3", {u"Y", u"Tc", u"Hits", u"2000", u"3"});
}

static const lines8 hitsanalysis{
    " -- Возможно, компиляция", "  Исполнители:", "      X: 1 трек",
    "      Y: 2 трека",         "  Альбомы:",     "      Hits: 3 трека"};
static const std::string flagline =
    "  > (Пере)записать теги  -> Установить флаг iTunes \"Часть сборника\"";

// The compilation-flag writes, planned from the tags as read.
static std::vector<op> flagops(const std::u16string& folder) {
    return {tagop(folder, u"a.mp3", u"X", u"Ta", u"Hits", u"2000", 8, u"", u"1", false, u"1"),
            tagop(folder, u"b.mp3", u"Y", u"Tb", u"Hits", u"2000", 8, u"", u"1", false, u"2"),
            tagop(folder, u"c.mp3", u"Y", u"Tc", u"Hits", u"2000", 8, u"", u"1", false, u"3")};
}

// Unified to artist Y: a.mp3's write, then the flag writes. The flag write of
// a.mp3, older, would be applied after the unified write and put "X" back:
// it writes the unified values too.
static std::vector<op> unifiedops(const std::u16string& folder) {
    std::vector<op> r{tagop(folder, u"a.mp3", u"Y", u"Ta", u"Hits", u"2000", 9, u"", u"1")};
    for (const op& o : flagops(folder)) r.push_back(o);
    r[1].artist = u"Y";
    return r;
}
static const std::string unifiedline = "  > (Пере)записать id3-теги -> [Y :: Hits :: 2000]";

TEST(RunDecisions, SkippedCompilationIsRenamedAfterTheCompilationName) {
    runenv e;
    e.keepnames(false);
    hits(e, u"Hits");
    const std::u16string folder = e.path(u"Hits");
    e.host.expect([&](forms::form& f) {
        EXPECT_EQ(dress(as2(f)), "Hits: возможно, компиляция"
                                 "\nПереименовать папку, используя сведения ниже?"
                                 "\nVA | Hits | 2000"
                                 "\n[Да] [Нет] [Discogs] [Стоп] [НЕ компиляция]");
        EXPECT_EQ(as2(f).realartist, u"X");
        EXPECT_EQ(as2(f).curdirname, u"Hits");
        EXPECT_EQ(as2(f).altdirname, u"X - Hits (2000)");
        EXPECT_EQ(as2(f).savedsuffix, u" (2000)");
        f.click(as2(f).Button1);
    });
    e.run();
    EXPECT_EQ(e.folderlines(u"Hits"),
              plus(hitsanalysis, {flagline, "  > Переименовать Hits В VA - Hits (2000)"}));
    std::vector<op> ops{renameop(folder, e.root() + u"/VA - Hits (2000)", 9)};
    for (const op& o : flagops(folder)) ops.push_back(o);
    EXPECT_EQ(e.ops(), ops);
    EXPECT_EQ(modals(e, u"Form3"), 0);
    EXPECT_FALSE(e.form2.Button6.visible);
    EXPECT_EQ(e.form2.Button6.caption, u"Личная компиляция");
    EXPECT_TRUE(e.form2.Button4.visible);
}

TEST(RunDecisions, NotACompilationUnifiesThenConfirmsTheRealArtist) {
    runenv e;
    e.keepnames(false);
    hits(e, u"Hits");
    const std::u16string folder = e.path(u"Hits");
    e.host.expect([&](forms::form& f) {
        TForm2& d = as2(f);
        f.click(d.Button6); // runs the unify dialog (next answer) inside this one
        EXPECT_EQ(e.host.log.back(), u"show Form2");
        EXPECT_EQ(dress(d), "Hits: найдены расхождения в тегах"
                            "\nПереименовать папку, используя сведения ниже?"
                            "\nY | Hits | 2000"
                            "\n[Да] [Нет] [Discogs] [Стоп] [Вернуть]");
        EXPECT_TRUE(d.cmunified);
        EXPECT_EQ(d.altdirname, u"Y - Hits (2000)");
        EXPECT_EQ(f.modalresult, forms::mrNone);
        f.click(d.Button1);
    });
    e.host.expect([&](forms::form& f) {
        TForm3& u = as3(f);
        EXPECT_EQ(dress(u), u8(folder) + "\nНайдены расхождения. Уравнять теги?"
                                         "\nПо исполнителю [x] {Y, X} X"
                                         "\nПо альбому [ ] {Hits} Hits disabled"
                                         "\n[Да] [Нет] [Стоп]");
        f.select(u.ComboBox1, 0);
        f.click(u.Button1);
    });
    e.run();
    EXPECT_EQ(e.host.pending(), 0u);
    EXPECT_EQ(
        e.folderlines(u"Hits"),
        plus(hitsanalysis, {flagline, unifiedline, "  > Переименовать Hits В Y - Hits (2000)"}));

    std::vector<op> ops = unifiedops(folder);
    ops.insert(ops.begin(), renameop(folder, e.root() + u"/Y - Hits (2000)", 10));
    EXPECT_EQ(e.ops(), ops);
    EXPECT_TRUE(e.form3.Button4.visible);
}

TEST(RunDecisions, NotACompilationUnifiedToTheFolderNameClosesWithNo) {
    runenv e;
    e.keepnames(false);
    hits(e, u"Y - Hits (2000)");
    const std::u16string folder = e.path(u"Y - Hits (2000)");
    e.host.expect([&](forms::form& f) {
        f.click(as2(f).Button6);
        EXPECT_EQ(f.modalresult, forms::mrCancel); // closed without showing again
    });
    e.host.expect([&](forms::form& f) {
        f.select(as3(f).ComboBox1, 0);
        f.click(as3(f).Button1);
    });
    e.run();
    EXPECT_EQ(std::count(e.host.log.begin(), e.host.log.end(), u"show Form2"), 0);
    // The folder keeps its name.
    EXPECT_EQ(e.folderlines(u"Y - Hits (2000)"), plus(hitsanalysis, {flagline, unifiedline}));
    EXPECT_EQ(e.ops(), unifiedops(folder));
}

TEST(RunDecisions, NotACompilationDeclinedPutsTheRealArtistBack) {
    runenv e;
    e.keepnames(false);
    hits(e, u"Hits");
    const std::u16string folder = e.path(u"Hits");
    e.host.expect([&](forms::form& f) {
        f.click(as2(f).Button6);
        EXPECT_EQ(u8(as2(f).Edit1.text), "X");
        EXPECT_FALSE(as2(f).cmunified);
        f.click(as2(f).Button1);
    });
    e.host.press(u"Button2");
    e.run();
    EXPECT_EQ(e.folderlines(u"Hits"),
              plus(hitsanalysis, {flagline, "  > Переименовать Hits В X - Hits (2000)"}));
    std::vector<op> ops{renameop(folder, e.root() + u"/X - Hits (2000)", 9)};
    for (const op& o : flagops(folder)) ops.push_back(o);
    EXPECT_EQ(e.ops(), ops);
}

TEST(RunDecisions, CompilationNotSkippedIsAskedAsADiscrepancy) {
    runenv e;
    e.keepnames(false);
    e.skipcompilations(false);
    hits(e, u"Hits");
    e.host.expect([&](forms::form& f) {
        EXPECT_EQ(dress(as3(f)), u8(e.path(u"Hits")) + "\nНайдены расхождения. Уравнять теги?"
                                                       "\nПо исполнителю [x] {Y, X} X"
                                                       "\nПо альбому [ ] {Hits} Hits disabled"
                                                       "\n[Да] [Нет] [Стоп] [Личная компиляция]");
        f.click(as3(f).Button2);
    });
    e.host.expect([&](forms::form& f) {
        EXPECT_EQ(dress(as2(f)), "Hits: найдены расхождения в тегах"
                                 "\nВсе равно переименовать, используя сведения ниже?"
                                 "\nX | Hits | 2000\n[Да] [Нет] [Discogs] [Стоп]");
        f.click(as2(f).Button2);
    });
    e.run();
    EXPECT_EQ(e.folderlines(u"Hits"), hitsanalysis);
    EXPECT_TRUE(e.ops().empty());
}

TEST(RunDecisions, MissingDataAskedAgainUntilTheYearIsValid) {
    runenv e;
    e.mp3(u"Band - Record/a.mp3", {u"", u"Ta", u"Record", u"", u"1"});
    e.mp3(u"Band - Record/b.mp3", {u"", u"Tb", u"Record", u"", u"2"});
    const std::u16string folder = e.path(u"Band - Record");
    e.host.expect([&](forms::form& f) {
        TForm2& d = as2(f);
        // The artist is proposed from the folder's name.
        EXPECT_EQ(dress(d), "Band - Record: Нет исполнителя"
                            "\nBand - Record: нет года (Ok - оставить пустым)"
                            "\nBand | Record | "
                            "\n[Ok] [Discogs] [>> Пропуск] [Стоп]");
        EXPECT_EQ(d.savedartist, u"Band");
        f.settext(d.Edit3, u"19x9"); // pasted: the keyboard filter does not see it
        f.click(d.Button1);
    });
    e.host.expect([&](forms::form& f) {
        TForm2& d = as2(f);
        EXPECT_EQ(dress(d), "\nBand - Record: нет года (Ok - оставить пустым)"
                            "\nBand | Record | 19x9"
                            "\n[Ok] [Discogs] [>> Пропуск] [Стоп]");
        f.settext(d.Edit3, u"");
        for (char16_t ch : u"19995") // the fifth digit is refused
            if (ch) f.type(d.Edit3, ch);
        EXPECT_EQ(d.Edit3.text, u"1999");
        f.click(d.Button1);
    });
    e.run();
    EXPECT_EQ(e.host.pending(), 0u);
    EXPECT_EQ(e.form2.Button1.caption, u"Да");
    // Incomplete but agreeing tags are fixed without asking (silentfix).
    EXPECT_EQ(e.folderlines(u"Band - Record"),
              (lines8{"  Нет исполнителя: b.mp3", "  Нет исполнителя: a.mp3", "  Исполнитель: Band",
                      "  Альбом: Record", "  Год: 1999",
                      "  > (Пере)записать id3-теги -> [Band :: Record :: 1999]"}));
    EXPECT_EQ(e.ops(), (std::vector<op>{
                           tagop(folder, u"a.mp3", u"Band", u"Ta", u"Record", u"1999", 7),
                           tagop(folder, u"b.mp3", u"Band", u"Tb", u"Record", u"1999", 7),
                       }));
    EXPECT_EQ(modals(e, u"Form3"), 0);
}

TEST(RunDecisions, InvalidTagYearAskedOnlyWithMissingNames) {
    runenv e;
    e.keepnames(false);
    // Artist missing, year "-199" (a number, so the tag reader keeps it).
    e.mp3(u"Band - Live 1999 [FLAC]/a.mp3", {u"", u"Ta", u"", u"-199", u"1"});
    // Everything present: never asked, the year goes into the name as it is.
    e.mp3(u"Old Name/a.mp3", {u"Art", u"Ta", u"Alb", u"-199", u"1"});
    e.host.expect([&](forms::form& f) {
        TForm2& d = as2(f);
        // Without a known year nothing is stripped from the name's parts.
        EXPECT_EQ(dress(d), "Band - Live 1999 [FLAC]: нет альбома и исполнителя"
                            "\nBand - Live 1999 [FLAC]: нет года (Ok - оставить пустым)"
                            "\nBand | Live 1999 | -199"
                            "\n[Ok] [Discogs] [>> Пропуск] [Стоп]");
        f.click(d.Button1);
    });
    e.host.expect([&](forms::form& f) {
        TForm2& d = as2(f);
        EXPECT_EQ(dress(d), "\nBand - Live 1999 [FLAC]: нет года (Ok - оставить пустым)"
                            "\nBand | Live 1999 | -199"
                            "\n[Ok] [Discogs] [>> Пропуск] [Стоп]");
        f.settext(d.Edit3, u""); // emptied: valid
        f.click(d.Button1);
    });
    e.run();
    EXPECT_EQ(e.host.pending(), 0u);
    EXPECT_EQ(e.folderlines(u"Old Name"),
              (lines8{"  Исполнитель: Art", "  Альбом: Alb", "  Год: -199",
                      "  > Переименовать Old Name В Art - Alb (-199)"}));
    EXPECT_EQ(e.folderlines(u"Band - Live 1999 [FLAC]"),
              (lines8{"  Нет исполнителя: a.mp3", "  Нет альбома: a.mp3", "  Исполнитель: Band",
                      "  Альбом: Live 1999", "  Год: не найден",
                      "  > (Пере)записать id3-теги -> [Band :: Live 1999]",
                      "  > Переименовать Band - Live 1999 [FLAC] В Band - Live 1999"}));
}

TEST(RunDecisions, YearFromTheFolderName) {
    runenv e;
    e.keepnames(false);
    e.mp3(u"Artist - Album (1987) [remaster 2005]/a.mp3", {u"Artist", u"Ta", u"Album", u"", u"1"});
    e.run();
    // The year of the name completes the folder's values; no dialog, and
    // since no track disagrees nothing else is planned.
    EXPECT_EQ(e.folderlines(u"Artist - Album (1987) [remaster 2005]"),
              (lines8{"  Исполнитель: Artist", "  Альбом: Album", "  Год: 1987",
                      "  > Переименовать Artist - Album (1987) [remaster 2005] В Artist - Album "
                      "(1987)"}));
    EXPECT_EQ(modals(e, u"Form2"), 0);
}

TEST(RunDecisions, YearMissingAskedOnceUnlessNamesAreKept) {
    for (bool keep : {true, false}) {
        SCOPED_TRACE(keep);
        runenv e;
        e.keepnames(keep);
        e.mp3(u"A - B/a.mp3", {u"A", u"Ta", u"B", u"", u"1"});
        if (!keep)
            e.host.expect([&](forms::form& f) {
                EXPECT_EQ(dress(as2(f)), "\nA - B: нет года (Ok - оставить пустым)"
                                         "\nA | B | \n[Ok] [Discogs] [>> Пропуск] [Стоп]");
                f.click(as2(f).Button1);
            });
        e.run();
        EXPECT_EQ(e.host.pending(), 0u);
        lines8 want{"  Исполнитель: A", "  Альбом: B", "  Год: не найден"};
        if (keep) want.push_back(" -- Ok"); // a shown dialog clears it
        EXPECT_EQ(e.folderlines(u"A - B"), want);
        EXPECT_TRUE(e.ops().empty());
    }
}

TEST(RunDecisions, SkipEndsOnlyTheFolderAndItsPlaylistsAreStillSeen) {
    runenv e;
    e.c.cfg.bkpplaylists = 1;
    e.mp3(u"Untagged/01.mp3");
    e.file(u"Untagged/list.m3u");
    e.mp3(u"Tagged (2000)/01.mp3", {u"A", u"T", u"B", u"2000", u"1"});
    e.host.press(u"Button4");
    e.run();
    const std::u16string folder = e.path(u"Untagged");
    EXPECT_EQ(e.folderlines(u"Untagged"),
              (lines8{" -- пропущено",
                      "  Найден плейлист. При копировании в плеер могут продублироваться треки!",
                      "  > Переименовать плейлист"}));
    EXPECT_EQ(e.folderlines(u"Tagged (2000)"),
              (lines8{"  Исполнитель: A", "  Альбом: B", "  Год: 2000", " -- Ok"}));
    EXPECT_EQ(e.ops(), (std::vector<op>{{checker::backup_playlist, true, folder + u"/list.m3u",
                                         folder + u"/list.m3u.bkp", u"", u"", u"", u"", 4, false,
                                         u"", u"", u""}}));
    const lines8 all = e.all();
    EXPECT_EQ(lines8(all.end() - endlines().size(), all.end()), endlines());
}

TEST(RunDecisions, StopInTheSecondOfThreeFolders) {
    runenv e;
    e.c.cfg.bkpplaylists = 1;
    for (std::u16string f : {u"A", u"B", u"C"})
        e.mp3(f + u"/01.mp3", {u"", u"T", u"Alb", u"2000", u"1"});
    e.file(u"B/b.m3u");
    e.host.expect([&](forms::form& f) {
        EXPECT_EQ(u8(as2(f).Label5.caption), "C: Нет исполнителя");
        f.click(as2(f).Button1);
    });
    e.host.expect([&](forms::form& f) {
        EXPECT_EQ(u8(as2(f).Label5.caption), "B: Нет исполнителя");
        f.click(as2(f).Button5);
    });
    e.run();
    lines8 want{"",
                u8(e.path(u"C")),
                "  Нет исполнителя: 01.mp3",
                "  Исполнитель: C",
                "  Альбом: Alb",
                "  Год: 2000",
                "  > (Пере)записать id3-теги -> [C :: Alb :: 2000]",
                "",
                u8(e.path(u"B")),
                "  Найден плейлист. При копировании в плеер могут продублироваться треки!",
                "  > Переименовать плейлист"};
    for (const std::string& s : stoplines()) want.push_back(s);
    EXPECT_EQ(e.all(), want);
    // Everything planned before the stop stays.
    EXPECT_EQ(e.ops(), (std::vector<op>{
                           {checker::backup_playlist, true, e.path(u"B/b.m3u"),
                            e.path(u"B/b.m3u.bkp"), u"", u"", u"", u"", 10, false, u"", u"", u""},
                           tagop(e.path(u"C"), u"01.mp3", u"C", u"T", u"Alb", u"2000", 6),
                       }));
    EXPECT_EQ(e.host.pumps, 2);
}

TEST(RunDecisions, TwoRunsInARowGiveTheSameLinesAndOperations) {
    runenv e;
    e.keepnames(false);
    mixedfolder(e);
    hits(e, u"Hits");
    e.mp3(u"Band - Record/a.mp3", {u"", u"Ta", u"Record", u"", u"1"});
    auto answers = [&] {
        e.host.press(u"Button2"); // mixed: unify "Нет"
        e.host.press(u"Button1"); // mixed: rename anyway
        e.host.press(u"Button1"); // Hits: rename confirmation of the compilation
        e.host.press(u"Button1"); // Band - Record: the missing artist, Ok
    };
    answers();
    e.run();
    EXPECT_EQ(e.host.pending(), 0u);
    const lines8 first = e.all();
    const std::vector<op> firstops = e.ops();
    answers();
    e.run();
    EXPECT_EQ(e.host.pending(), 0u);
    EXPECT_EQ(e.all(), first);
    EXPECT_EQ(e.ops(), firstops);
    EXPECT_EQ(firstops.size(), 1u + 3u + 1u + 1u);
}

TEST(RunDecisions, MissingTitlesFilledSilentlyOrAsked) {
    for (bool silent : {true, false}) {
        SCOPED_TRACE(silent);
        runenv e;
        e.c.cfg.silentfix = silent;
        e.mp3(u"Artist - Album (2001)/01 - Artist - Intro.mp3",
              {u"Artist", u"", u"Album", u"2001", u"1"});
        e.mp3(u"Artist - Album (2001)/02 - Artist - Song.mp3",
              {u"Artist", u"Song", u"Album", u"2001", u"2"});
        const std::u16string folder = e.path(u"Artist - Album (2001)");
        if (!silent)
            e.host.expect([&](forms::form& f) {
                EXPECT_EQ(dress(as3(f)),
                          u8(folder) +
                              "\nEmpty titles found. Would you like to fill them in with filenames?"
                              "\nПо исполнителю [x] hidden {Artist} Artist hidden"
                              "\nПо альбому [x] hidden {Album} Album hidden"
                              "\n[Да] [Нет] [Стоп]");
                f.click(as3(f).Button1);
            });
        e.run();
        EXPECT_EQ(e.host.pending(), 0u);
        EXPECT_EQ(e.folderlines(u"Artist - Album (2001)"),
                  (lines8{"  Нет названия трека: 01 - Artist - Intro.mp3", "  Исполнитель: Artist",
                          "  Альбом: Album", "  Год: 2001",
                          silent ? "  > (Пере)записать id3-теги -> Заполнить пустые названия треков"
                                 : "  > (Пере)записать id3-теги -> [Artist :: Album :: 2001]"}));
        // The artist occurs in every file name, so it leaves the title.
        EXPECT_EQ(e.ops(), (std::vector<op>{tagop(folder, u"01 - Artist - Intro.mp3", u"Artist",
                                                  u"01 - Intro", u"Album", u"2001", 6)}));
        EXPECT_TRUE(e.form3.ComboBox1.visible && e.form3.CheckBox2.visible);
    }
}
