// Apply end to end: runs over real trees, operations switched off, the disk
// read back, the report lines and the windows' states.
#include <tuple>

#include "applyenv.h"
#include "rootdir.h"

using namespace applytest;

TEST(Apply, EmptyListOpensAndClosesTheProgressWindowOnly) {
    applyenv e;
    e.mp3(u"A - B (2000)/01 Song.mp3", {u"A", u"Song", u"B", u"2000", u"1"});
    e.run();
    ASSERT_TRUE(e.c.plannedops.empty());
    e.form1.Button3.enabled = true; // as if a switch had left it on
    e.form1.CheckBox5.visible = true;
    const int pumps = e.host.pumps;
    e.apply();
    EXPECT_EQ(e.applied(), (lines8{"Вношу изменения", done}));
    EXPECT_EQ(e.host.pumps, pumps);
    e.expectidle();
    EXPECT_EQ(e.form1.Label1.caption, e.root());
}

TEST(Apply, ThreeTagWritesCountedOnTheProgressWindowAndReadBack) {
    applyenv e;
    e.keepnames(true);
    e.mp3(u"f/x.mp3", {u"P", u"Tx", u"Q", u"2001", u"1", u"Rock"});
    e.mp3(u"f/y.mp3", {u"P", u"Ty", u"R", u"2001", u"2/9", u"Rock"});
    // Four blocks and more: the file bar moves.
    e.bigmp3(u"f/z.mp3", {u"P", u"Tz", u"S", u"2001", u"3", u"Rock"}, 4 * 49152 + 1000);
    e.unifyall(u"Typed");
    e.run();

    std::vector<std::u16string> order; // the files in the order Apply meets them
    for (const op& o : e.ops()) {
        ASSERT_EQ(o.opcode, checker::write_tag);
        ASSERT_FALSE(o.changetrno);
        order.push_back(o.newname);
    }
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(checker::counttagwrites(e.c), 3);

    for (int i = 0; i < 3; ++i) e.stamp(u"f/" + order[i], 1300000000 + i);
    // The tag mutagen wrote is what stands before the audio; keep the audio.
    std::map<std::u16string, std::string> audiobytes;
    for (const auto& name : order) {
        const std::string now = e.bytes(u"f/" + name);
        const auto b = [&](std::size_t i) { return static_cast<unsigned char>(now[i]) & 0x7f; };
        audiobytes[name] = now.substr(10 + (b(6) << 21 | b(7) << 14 | b(8) << 7 | b(9)));
    }

    e.apply();

    lines8 want{"Вношу изменения"};
    for (const auto& name : order)
        want.push_back("  " + u8(name) + ": (пере)запись id3-тегов -> [P :: Typed :: T" +
                       u8(name.substr(0, 1)) + " :: 2001]");
    want.push_back(done);
    EXPECT_EQ(e.applied(), want);
    e.expectidle();

    // One pump per copied block; the batch bar and the label per file.
    std::vector<std::pair<int, std::string>> batches;
    for (const snapshot& s : e.pumped) {
        if (batches.empty() || batches.back() != std::pair{s.batch, s.label})
            batches.emplace_back(s.batch, s.label);
        // Progress shown; main window, its buttons and the switch box off.
        EXPECT_EQ(std::tuple(s.progressvisible, s.mainenabled, s.button1, s.button1enabled,
                             s.button3enabled, s.checkbox5visible),
                  std::tuple(true, false, std::string("Ждите..."), false, false, false));
    }
    EXPECT_EQ(batches, (std::vector<std::pair<int, std::string>>{
                           {33, "Файл 1 из 3 (" + u8(order[0]) + ")"},
                           {66, "Файл 2 из 3 (" + u8(order[1]) + ")"},
                           {100, "Файл 3 из 3 (" + u8(order[2]) + ")"}}));
    std::vector<int> zbar;
    for (const snapshot& s : e.pumped)
        if (s.label.ends_with("(z.mp3)")) zbar.push_back(s.file);
    ASSERT_GE(zbar.size(), 4u);
    EXPECT_EQ(zbar.front(), 0);
    EXPECT_TRUE(std::is_sorted(zbar.begin(), zbar.end()));
    EXPECT_GT(zbar.back(), 50);

    // Our reader and mutagen agree on what was written; the track numbers and
    // genres were kept; the audio and the times are untouched.
    const std::map<std::u16string, readtags> wanttags{
        {u"x.mp3", {"P", "Tx", "Typed", "2001", "1", "Rock", ""}},
        {u"y.mp3", {"P", "Ty", "Typed", "2001", "2/9", "Rock", ""}},
        {u"z.mp3", {"P", "Tz", "Typed", "2001", "3", "Rock", ""}}};
    std::vector<std::u16string> paths;
    for (const auto& name : order) paths.push_back(e.path(u"f/" + name));
    const auto m = mutagen(paths);
    for (int i = 0; i < 3; ++i) {
        const std::u16string& name = order[i];
        SCOPED_TRACE(u8(name));
        const readtags& w = wanttags.at(name);
        EXPECT_EQ(ourreader(e.path(u"f/" + name)), w);
        const auto it = m.find(u8(e.path(u"f/" + name)));
        ASSERT_NE(it, m.end());
        EXPECT_EQ(it->second.major, 3);
        EXPECT_EQ(it->second.frames, (std::map<std::string, std::string>{{"TPE1", w.artist},
                                                                         {"TIT2", w.title},
                                                                         {"TALB", w.album},
                                                                         {"TYER", w.year},
                                                                         {"TRCK", w.trno},
                                                                         {"TCON", w.genre}}));
        expectaudio(e.bytes(u"f/" + name), audiobytes.at(name));
        EXPECT_EQ(e.mtime(u"f/" + name), (platform::filetime{1300000000 + i, 123456789}));
        EXPECT_FALSE(e.exists(u"f/" + name + u"$delme.$$$"));
    }
}

TEST(Apply, NoPerformedTagWriteMeansNoProgressStep) {
    applyenv e;
    e.keepnames(true);
    e.c.cfg.numbering = 1;
    e.mp3(u"mixed/01 x.mp3", {u"P", u"Tx", u"Q", u"2001", u"1"});
    e.mp3(u"mixed/02 y.mp3", {u"P", u"Ty", u"R", u"2001", u"2"});
    e.mp3(u"A - B (2000)/Intro.mp3", {u"A", u"Intro", u"B", u"2000", u"1"});
    e.mp3(u"A - B (2000)/Song.mp3", {u"A", u"Song", u"B", u"2000", u"2"});
    e.unifyall();
    e.run();
    e.switchoff(e.lineunder(u"mixed", checker::write_tag));
    EXPECT_EQ(checker::counttagwrites(e.c), 0);
    const std::string x = e.bytes(u"mixed/01 x.mp3"), y = e.bytes(u"mixed/02 y.mp3");
    e.apply();
    EXPECT_EQ(e.applied(), (lines8{"Вношу изменения",
                                   "  A - B (2000): добавление номеров к именам файлов", done}));
    EXPECT_TRUE(e.pumped.empty());
    e.expectidle();
    EXPECT_EQ(e.bytes(u"mixed/01 x.mp3"), x);
    EXPECT_EQ(e.bytes(u"mixed/02 y.mp3"), y);
    EXPECT_TRUE(e.exists(u"A - B (2000)/01 Intro.mp3"));
    EXPECT_TRUE(e.exists(u"A - B (2000)/02 Song.mp3"));
}

TEST(Apply, NumberedFoldersEachUnderTheirHeaderAndASwitchedOffLineLeftAlone) {
    applyenv e;
    e.keepnames(true);
    e.c.cfg.numbering = 1;
    for (std::u16string f : {u"A - B (2000)", u"C - D (2001)", u"Е - Ж (2002)"}) {
        const std::u16string a = f.substr(0, 1), b = f.substr(4, 1), y = f.substr(7, 4);
        e.mp3(f + u"/Intro.mp3", {a, u"Intro", b, y, u"1"});
        e.mp3(f + u"/Song.mp3", {a, u"Song", b, y, u"2"});
        e.mp3(f + u"/Outro.mp3", {a, u"Outro", b, y, u"3"});
    }
    e.run();
    e.switchoff(e.lineunder(u"C - D (2001)", checker::rename_file));
    for (std::u16string f : {u"A - B (2000)", u"C - D (2001)", u"Е - Ж (2002)"})
        for (std::u16string n : {u"Intro", u"Song", u"Outro"})
            e.stamp(f + u"/" + n + u".mp3", 1400000000 + static_cast<int>(n.size()));
    const std::string song = e.bytes(u"Е - Ж (2002)/Song.mp3");
    e.apply();
    // The folder planned last comes first.
    EXPECT_EQ(e.applied(),
              (lines8{"Вношу изменения", "  A - B (2000): добавление номеров к именам файлов",
                      "  Е - Ж (2002): добавление номеров к именам файлов", done}));
    e.expectidle();
    for (std::u16string f : {u"A - B (2000)", u"Е - Ж (2002)"}) {
        SCOPED_TRACE(u8(f));
        EXPECT_EQ(e.mtime(f + u"/01 Intro.mp3"), (platform::filetime{1400000005, 123456789}));
        EXPECT_EQ(e.mtime(f + u"/02 Song.mp3"), (platform::filetime{1400000004, 123456789}));
        EXPECT_EQ(e.mtime(f + u"/03 Outro.mp3"), (platform::filetime{1400000005, 123456789}));
        EXPECT_FALSE(e.exists(f + u"/Intro.mp3"));
    }
    EXPECT_EQ(e.bytes(u"Е - Ж (2002)/02 Song.mp3"), song);
    for (std::u16string n : {u"Intro", u"Song", u"Outro"})
        EXPECT_TRUE(e.exists(u"C - D (2001)/" + n + u".mp3"));
    EXPECT_FALSE(e.exists(u"C - D (2001)/01 Intro.mp3"));
}

TEST(Apply, ExistingTargetsAreNeverOverwritten) {
    applyenv e;
    e.keepnames(false);
    e.c.cfg.numbering = 1;
    e.mp3(u"Old/01.mp3", {u"A", u"T", u"B", u"2000", u"1"});
    e.file(u"A - B (2000)/keep.txt", "keep");
    e.mp3(u"N - M (2003)/Intro.mp3", {u"N", u"Intro", u"M", u"2003", u"1"});
    e.mp3(u"N - M (2003)/Song.mp3", {u"N", u"Song", u"M", u"2003", u"2"});
    e.run();
    // A file takes the numbered name between the run and Apply.
    e.file(u"N - M (2003)/01 Intro.mp3", "another file");
    const std::string intro = e.bytes(u"N - M (2003)/Intro.mp3");
    const std::string old = e.bytes(u"Old/01.mp3");
    e.apply();
    const lines8 a = e.applied();
    EXPECT_EQ(a.front(), "Вношу изменения");
    EXPECT_EQ(a.back(), someerrors);
    const std::string failed = "не удалось переименовать, код ошибки 17"; // EEXIST
    const std::string header = "  N - M (2003): добавление номеров к именам файлов";
    const std::string rename =
        "  переименование " + u8(e.path(u"Old")) + " В " + u8(e.path(u"A - B (2000)"));
    EXPECT_EQ(std::count(a.begin(), a.end(), failed), 2);
    const auto h = std::find(a.begin(), a.end(), header);
    ASSERT_NE(h, a.end());
    EXPECT_EQ(std::count(h, a.end(), failed), 2);
    const auto r = std::find(a.begin(), a.end(), rename);
    ASSERT_NE(r, a.end());
    EXPECT_EQ(*(r + 1), failed);
    e.expectidle();

    EXPECT_EQ(e.bytes(u"N - M (2003)/01 Intro.mp3"), "another file");
    EXPECT_EQ(e.bytes(u"N - M (2003)/Intro.mp3"), intro);
    EXPECT_TRUE(e.exists(u"N - M (2003)/02 Song.mp3"));
    EXPECT_EQ(e.bytes(u"Old/01.mp3"), old);
    EXPECT_EQ(e.bytes(u"A - B (2000)/keep.txt"), "keep");
    EXPECT_FALSE(e.exists(u"A - B (2000)/01.mp3"));
}

TEST(Apply, ParentAndChildFoldersBothRenamedDeeperFirst) {
    applyenv e;
    e.keepnames(false);
    e.c.cfg.bkpplaylists = 1;
    e.mp3(u"Old Parent/01.mp3", {u"P", u"Tp", u"Q", u"2001", u"1"});
    e.file(u"Old Parent/list.m3u", "01.mp3\n");
    e.mp3(u"Old Parent/Старый/01.mp3", {u"C", u"Tc", u"D", u"2002", u"1"});
    e.file(u"Old Parent/Старый/child.m3u", "01.mp3\n");
    e.run();
    const std::u16string parent = e.path(u"Old Parent"), child = parent + u"/Старый";
    e.stamp(u"Old Parent/Старый/01.mp3", 1500000000);
    e.apply();
    EXPECT_EQ(
        e.applied(),
        (lines8{"Вношу изменения", "  переименование плейлиста: " + u8(child) + "/child.m3u",
                "  переименование " + u8(child) + " В " + u8(parent) + "/C - D (2002)",
                "  переименование плейлиста: " + u8(parent) + "/list.m3u",
                "  переименование " + u8(parent) + " В " + u8(e.path(u"P - Q (2001)")), done}));
    e.expectidle();
    EXPECT_FALSE(e.exists(u"Old Parent"));
    EXPECT_EQ(e.bytes(u"P - Q (2001)/list.m3u.bkp"), "01.mp3\n");
    EXPECT_EQ(e.bytes(u"P - Q (2001)/C - D (2002)/child.m3u.bkp"), "01.mp3\n");
    EXPECT_EQ(e.bytes(u"P - Q (2001)/C - D (2002)/01.mp3").size(),
              e.bytes(u"P - Q (2001)/01.mp3").size());
    EXPECT_EQ(e.mtime(u"P - Q (2001)/C - D (2002)/01.mp3"),
              (platform::filetime{1500000000, 123456789}));
    EXPECT_EQ(ourreader(e.path(u"P - Q (2001)/C - D (2002)/01.mp3")).title, "Tc");
}

namespace {

// A root "music" below the tempdir (so that it can be renamed) with the
// settings file in a tempdir of its own.
struct rootenv : applyenv {
    testutil::tempdir settings;
    rootenv() {
        c.programfolder = settings.u16();
        checker::loadcfg(c);
        keepnames(false);
        form1.Label1.caption = path(u"music");
        mp3(u"music/01.mp3", {u"A", u"T", u"B", u"2000", u"1"});
    }
    std::u16string stored() const {
        return checker::rootdirtext(checker::unpackcfg([&] {
            checker::cfgbytes b{};
            const std::string s = testutil::readfile(settings.path() / "brellian_gui.cnf");
            EXPECT_EQ(s.size(), b.size());
            std::copy_n(s.begin(), std::min(s.size(), b.size()), b.begin());
            return b;
        }()));
    }
};

} // namespace

TEST(Apply, RenamedRootBecomesTheStoredRoot) {
    rootenv e;
    e.run();
    ASSERT_EQ(e.ops().size(), 1u);
    const std::u16string oldroot = e.path(u"music"), newroot = e.path(u"A - B (2000)");
    e.apply();
    EXPECT_EQ(e.applied(), (lines8{"Вношу изменения",
                                   "  переименование " + u8(oldroot) + " В " + u8(newroot), done}));
    e.expectidle();
    EXPECT_EQ(e.form1.Label1.caption, newroot);
    EXPECT_EQ(checker::rootdirtext(e.c.cfg), newroot);
    EXPECT_EQ(e.stored(), newroot);
    EXPECT_TRUE(e.exists(u"A - B (2000)/01.mp3"));

    // A failed rename keeps the root.
    rootenv f;
    f.run();
    const std::u16string before = f.stored();
    f.folder(u"A - B (2000)");
    f.apply();
    EXPECT_EQ(f.applied().back(), someerrors);
    EXPECT_EQ(f.form1.Label1.caption, f.path(u"music"));
    EXPECT_EQ(f.stored(), before);
    EXPECT_EQ(checker::rootdirtext(f.c.cfg), before);
    EXPECT_TRUE(f.exists(u"music/01.mp3"));
}

TEST(StoreRoot, ShownAndStoredWithApplyDisabledAndTheOperationsKept) {
    rootenv e;
    e.run();
    e.form1.Button3.enabled = true;
    checker::storeroot(e.c, u"/somewhere/else");
    EXPECT_EQ(e.form1.Label1.caption, u"/somewhere/else");
    EXPECT_FALSE(e.form1.Button3.enabled);
    EXPECT_EQ(e.stored(), u"/somewhere/else");
    EXPECT_EQ(e.ops().size(), 1u);

    // Too long for the record: shown, not stored; the file keeps the record.
    const std::u16string longpath = u"/" + std::u16string(checker::rootdirunits, u'x');
    checker::storeroot(e.c, longpath);
    EXPECT_EQ(e.form1.Label1.caption, longpath);
    EXPECT_EQ(e.stored(), u"/somewhere/else");

    // The file cannot be created: the record in memory keeps its root too.
    e.c.cfgfile = e.settings.u16(u"missing/brellian_gui.cnf");
    checker::storeroot(e.c, u"/third");
    EXPECT_EQ(e.form1.Label1.caption, u"/third");
    EXPECT_EQ(checker::rootdirtext(e.c.cfg), u"/somewhere/else");

    // Without a settings file ("-SC") nothing is written.
    e.c.cfgfile.clear();
    checker::storeroot(e.c, u"/fourth");
    EXPECT_EQ(e.form1.Label1.caption, u"/fourth");
    EXPECT_EQ(e.stored(), u"/somewhere/else");

    // An empty folder (a cancelled browser) changes nothing.
    checker::storeroot(e.c, u"");
    EXPECT_EQ(e.form1.Label1.caption, u"/fourth");
}

TEST(Apply, FileRenameHeadersFollowTheRunsOfTheList) {
    applyenv e;
    for (std::u16string f : {u"a/CD1", u"b/CD1", u"c"})
        for (std::u16string n : {u"1.mp3", u"2.mp3", u"3.mp3"}) e.file(f + u"/" + n, u8(f + n));
    // Planned as a run would, newest first: c, then b/CD1, then a/CD1.
    auto number = [&](std::u16string f, std::u16string n, bool perform = true) {
        checker::addop(e.c.plannedops, checker::rename_file, perform, e.path(f + u"/" + n),
                       e.path(f + u"/0" + n), u"", u"", u"", u"", 0, false, u"", u"", u"");
    };
    for (std::u16string n : {u"3.mp3", u"2.mp3", u"1.mp3"}) number(u"c", n, n != u"2.mp3");
    number(u"b/CD1", u"1.mp3");
    fs::remove(e.native(u"b/CD1/1.mp3")); // gone since the run
    for (std::u16string n : {u"2.mp3", u"1.mp3"}) number(u"a/CD1", n);
    e.apply();
    // A folder's run is broken by an operation switched off; folders that
    // share their last name and follow one another share a header.
    EXPECT_EQ(e.applied(), (lines8{"Вношу изменения", "  CD1: добавление номеров к именам файлов",
                                   "не удалось переименовать, код ошибки 2", // ENOENT
                                   "  c: добавление номеров к именам файлов",
                                   "  c: добавление номеров к именам файлов", someerrors}));
    e.expectidle();
    EXPECT_EQ(e.bytes(u"a/CD1/01.mp3"), "a/CD11.mp3");
    EXPECT_EQ(e.bytes(u"a/CD1/02.mp3"), "a/CD12.mp3");
    EXPECT_EQ(e.bytes(u"c/01.mp3"), "c1.mp3");
    EXPECT_EQ(e.bytes(u"c/2.mp3"), "c2.mp3");
    EXPECT_EQ(e.bytes(u"c/03.mp3"), "c3.mp3");
}
