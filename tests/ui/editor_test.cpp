// The folder tag editor (lookup on 127.0.0.1, track list, write) and the
// review of a report (switching, re-planning, the rename editor) over the
// scripted host, on real MP3 files made by lame, tagged and read by mutagen.
#include <gtest/gtest.h>
#include <httplib.h>

#include <set>
#include <thread>

#include "editor.h"
#include "mp3fixture.h"
#include "review.h"
#include "scriptedhost.h"
#include "tform4.h"
#include "trackmatch.h"

namespace {

namespace fs = std::filesystem;
using cells = std::vector<std::u16string>;
using testutil::u8;

const auto bits = [](auto... b) { return std::string{"01"[bool(b)]...}; };

struct recordinghost : forms::scriptedhost { // the progress window as painted: "label@bar"
    std::set<std::string> bars;
    void repaint(forms::form& f) override {
        if (auto* w = dynamic_cast<forms::TForm4*>(&f))
            bars.insert(u8(w->Label1.caption) + "@" + std::to_string(w->ProgressBar1.position));
    }
};

struct Editor : ::testing::Test {
    testutil::tempdir prog, music;
    recordinghost host;
    ui::program p{host, {}, prog.u16()};
    forms::TForm1& m = p.Form1;
    forms::TForm10& f = p.Form10;
    forms::TForm11& d = p.Form11;
    Editor() { m.Label1.caption = music.u16(), m.CheckBox3.checked = false; }
    fs::path native(std::u16string_view rel) const { return platform::tonative(music.u16(rel)); }
    void mp3s(const std::vector<std::pair<std::u16string, mp3fixture::tags>>& files) {
        std::vector<std::pair<fs::path, mp3fixture::tags>> todo;
        for (const auto& [rel, tg] : files) {
            fs::create_directories(native(rel).parent_path());
            testutil::writefile(todo.emplace_back(native(rel), tg).first, mp3fixture::basemp3());
        }
        mp3fixture::tagwithmutagen(todo);
    }
    void editor(auto rel) { f.Label1.caption = music.u16(rel), ui::listfoldertags(p), f.init(); }
};

} // namespace

TEST_F(Editor, TrackListTitlesBySoundexElseByOrderTrackNumbersByOrderWhenEmpty) {
    std::u16string codes;
    for (auto s : {u"Silver Lane.mp3", u"Silver Lane ", u"Hop.mp3", u"01 Silver Lane.mp3", u"Hop",
                   u"Лето.mp3", u"Лес", u"лес", u"ashcraft", u""})
        codes += lookup::soundex(s) + u" ";
    EXPECT_EQ(codes, u"S416 S416 H151 0241 H100 Л510 Л000 л000 A261  ");
    const std::tuple<cells, cells, std::u16string, std::u16string> cases[] = {
        // files; track list; titles|numbers after, "!" when all matched; the second file's number
        {{u"Sport.mp3", u"Blind.mp3"}, {u"Blind #1", u"Sport #"}, u"!Sport |1 Blind |7 ", u"7"},
        {{u"Лето.mp3", u"Silver.mp3"}, {u"Лес #1", u"Silver"}, u"Лес |1 |7 ", u"7"},
        {{u"Silver.mp3", u"x.mp3"}, {u"Silver #9"}, u"Silver |9 t|7 ", u"7"},
        // matched beyond the list's end: no number from a line that is not there
        {{u"x.mp3", u"Silver.mp3"}, {u"Silver #9"}, u"Silver |9 Silver | ", u""},
        // a name in windows-1251 bytes sounds like its text
        {{u"\xDCA8\xDCEB\xDCEA\xDCE0 Rumba.mp3"}, {u"Ёлка Rumba #2"}, u"!Ёлка Rumba |2 ", u""}};
    for (const auto& [files, tracks, want, second] : cases) {
        forms::listview r;
        for (auto f : files) r.addrow(f, {u"t", u"", u"", u"", r.items.empty() ? u"" : second});
        std::u16string got =
            lookup::matchtitles(r, tracks) ? u"!" : (lookup::fillbyorder(r, tracks), u"");
        for (const cells& x : r.subitems) got += x[0] + u"|" + x[4] + u" ";
        EXPECT_EQ(got, want);
    }
}

TEST_F(Editor, WriteGivesEveryFileItsRowAndNamesTheFilesNotWritten) {
    mp3s({{u"d/1 I.mp3", {u"A", u"", u"X", u"1999"}},
          {u"d/2.mp3", {u"B", u"S", u"X", u"", u"2"}},
          {u"d/3.mp3", {u"A", u"O", u"X", u"1999", u"3"}},
          {u"o/a.mp3", {u"A"}}});
    for (auto n : {u"d/3.mp3$delme.$$$", u"o/a.mp3$delme.$$$"}) fs::create_directory(native(n));
    editor(u"d"); // a folder in the way of 3.mp3's and a.mp3's rewrite
    const auto& now = f.ListView1.subitems;
    auto was = now, ed = now; // edited: the artist "New", an empty title the file's name
    for (cells& r : ed) r[forms::colartist] = u"New", r[0] += r[0].empty() ? u"1 I" : u"";
    // Ok with every box ticked; Cancel; Ok; Ok then "Отмена" (the disk again); Ok.
    for (auto [un, ok, back] : {std::tuple(0, 1, 0), {1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 1, 0}}) {
        host.expect([&, un, ok](forms::form&) {
            if (un) d.click(d.CheckBox1), d.settext(d.Edit1, u"New");
            d.click(ok ? d.Button1 : d.Button2);
        });
        f.click(f.Button1), back ? f.click(f.Button4) : void();
        const bool c = un && ok && !back;
        EXPECT_EQ(bits(now == (c ? ed : was), f.Button2.enabled, f.Button4.enabled), bits(1, c, c));
    }
    int inert = 0; // the rewrite lets messages through: the editor must not act on them
    host.onpump = [&] { inert += !f.enabled, f.click(f.Button3), f.click(f.Button1); };
    f.click(f.Button2);
    ed[2] = was[2]; // not written: its tags again
    EXPECT_EQ(std::tuple(now, inert, f.written, f.Button2.enabled, f.Button3.modalresult),
              std::tuple(ed, 2, cells{u"1 I.mp3", u"2.mp3"}, false, forms::mrYes));
    EXPECT_EQ(host.errors, cells{u"Не удалось записать теги в файлы:\n3.mp3"});
    auto t = [&](auto n, auto id) { return mp3fixture::mutagenread(native(n)).frames[id]; };
    EXPECT_EQ(t(u"d/1 I.mp3", "TIT2") + t(u"d/2.mp3", "TRCK") + t(u"d/3.mp3", "TPE1"), "1 I2A");
    const std::string w = testutil::readfile(native(u"d/1 I.mp3")), a = mp3fixture::basemp3();
    EXPECT_EQ(w.substr(w.size() - 128 - a.size(), a.size()), a); // the audio whole, then ID3v1
    editor(u"o"), f.arm(), f.click(f.Button2); // one file: "1 of 1", the bar at 0; not written
    EXPECT_EQ(f.Button3.modalresult, forms::mrOk);
    EXPECT_EQ(host.bars, (std::set<std::string>{"file 1 of 3@0", "file 2 of 3@50",
                                                "file 3 of 3@100", "file 1 of 1@0"}));
}

// A folder and a file named in windows-1251 bytes: the proposal and the title
// from the name are that text, in both tags; the paths keep their bytes.
TEST_F(Editor, ALegacyNameProposesItsTextAndGivesTheTitle) {
    const std::u16string dir = testutil::legacyname("Кино - Звезда (1988)"),
                         song = dir + u"/" + testutil::legacyname("01 - Песня.mp3");
    mp3s({{song, {u"", u"", u"", u"", u"1"}}});
    editor(dir);
    host.expect([&](forms::form&) { // all three taken, the empty title filled
        EXPECT_EQ(u8(d.Edit1.text + u"|" + d.Edit2.text + u"|" + d.Edit3.text), "Кино|Звезда|1988");
        d.click(d.CheckBox1), d.click(d.CheckBox2), d.click(d.CheckBox3), d.click(d.Button1);
    });
    f.click(f.Button1);
    EXPECT_EQ(u8(f.ListView1.subitems.at(0).at(forms::coltitle)), "01 - Песня"); // as shown
    f.click(f.Button2);
    auto tag = mp3fixture::mutagenread(native(song)).frames;
    EXPECT_EQ(tag["TPE1"] + "|" + tag["TIT2"] + "|" + tag["TALB"] + "|" + tag["TYER"],
              "Кино|01 - Песня|Звезда|1988");
    const std::string bytes = testutil::readfile(native(song)); // the ID3v1 title
    EXPECT_EQ(bytes.substr(bytes.size() - 125, 30),
              "01 - \xCF\xE5\xF1\xED\xFF" + std::string(20, 0));
}

// Apply after a review: the lines switched off stay undone (names, bytes, no
// numbering header); the progress window shows each file it writes, also one
// that fails before its copy; with every tag write off Apply still runs.
TEST_F(Editor, ApplyLeavesWhatTheReviewSwitchedOffAndShowsEveryFile) {
    p.c.cfg.numbering = 1, m.CheckBox3.checked = true; // no folder renames
    mp3s({{u"A - B (2000)/Intro.mp3", {u"A", u"Intro", u"B", u"2000", u"1"}},
          {u"A - B (2000)/Song.mp3", {u"A", u"Song", u"B", u"2000", u"2"}},
          {u"C - D (2001)/Intro.mp3", {u"C", u"Intro", u"D", u"2001", u"1"}},
          {u"C - D (2001)/Song.mp3", {u"C", u"Song", u"D", u"2001", u"2"}},
          {u"E/01.mp3", {u"E", u"", u"F", u"2002", u"1"}},
          {u"E/02.mp3", {u"E", u"", u"F", u"2002", u"2"}},
          {u"E/03.mp3", {u"E", u"", u"F", u"2002", u"3"}},
          {u"G/01.mp3", {u"G", u"", u"H", u"2003", u"1"}}});
    std::map<std::u16string, std::string> before; // the files whose lines go off
    for (auto file : {u"C - D (2001)/Intro.mp3", u"C - D (2001)/Song.mp3", u"G/01.mp3"})
        before[file] = testutil::readfile(native(file));
    // Switched off by a right click on their lines: C's numbering and G's tag write.
    auto lineoff = [&](checker::opcodeset code, std::u16string_view folder) {
        for (const checker::oplist& o : p.c.plannedops)
            if (o.perform && o.opcode == code && o.pathname.find(folder) != std::u16string::npos)
                m.select(m.ListView1, o.listindex), ui::mouseswitchop(p, 2, forms::ssCtrl);
    };
    ui::doBrellian(p);
    lineoff(checker::rename_file, u"/C - D"), lineoff(checker::write_tag, u"/G");
    fs::remove(native(u"E/02.mp3")); // gone since the run
    const std::size_t from = m.ListView1.items.size();
    ui::apply(p);
    std::string lines;
    for (std::size_t i = from; i < m.ListView1.items.size(); ++i)
        lines += u8(m.ListView1.items[i]) + "|";
    const std::string w = "(пере)запись id3-тегов -> [E :: F :: 0";
    EXPECT_EQ(lines, "Вношу изменения|  01.mp3: " + w + "1 :: 2002]|  02.mp3: " + w +
                         "2 :: 2002]|не удалось записать тег|  03.mp3: " + w +
                         "3 :: 2002]|  A - B (2000): добавление номеров к именам файлов|Произошли "
                         "некоторые ошибки|");
    // Each file named on the window with the batch bar at its share, before its write.
    const std::set<std::string> shown{"Файл 1 из 3 (01.mp3)@33", "Файл 2 из 3 (02.mp3)@66",
                                      "Файл 3 из 3 (03.mp3)@100"};
    EXPECT_TRUE(std::ranges::includes(host.bars, shown));
    for (const auto& [file, bytes] : before) EXPECT_TRUE(testutil::readfile(native(file)) == bytes);
    EXPECT_TRUE(fs::exists(native(u"A - B (2000)/01 Intro.mp3")));
    // Again with every tag write off: nothing to count, nothing written.
    ui::doBrellian(p);
    lineoff(checker::write_tag, u"/");
    ui::apply(p);
    EXPECT_EQ(u8(m.ListView1.items.back()), "Все выполнено");
    EXPECT_TRUE(testutil::readfile(native(u"G/01.mp3")) == before[u"G/01.mp3"]);
}

TEST_F(Editor, LookupUnticksWhatChangedOrDisagreesAndOffersATrackListLongEnough) {
    httplib::Server server; // every search finds the reply itself as its release
    const auto url = "http://127.0.0.1:" + std::to_string(server.bind_to_any_port("127.0.0.1"));
    std::string reply;
    server.Get(".*", [&](const auto&, httplib::Response& r) { r.set_content(reply, "text/json"); });
    std::thread listener([&] { server.listen_after_bind(); });
    for (const char* v : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) unsetenv(v);
    setenv("VORLINDE_DISCOGS_URL", url.c_str(), 1);
    // clang-format off
    const std::tuple<std::string, cells, std::string, std::string> cases[] = {
        // the release; rows (artist, year); fields open, list offered, "Отмена" and the write
        // armed, list still offered after a click with it as it is; the rows after
        {R"("B"}],"title":"X","year":2002,"tracklist":[{"title":"P"},{"title":"Q"}]})",
         {u"A2001", u"A1999"}, "1011110", "P |B|X|2002|7|Q |B|X|2002|7|"}, // titles by order
        {R"("A"}],"title":"Y","year":2001,"tracklist":[{"title":"B"}]})",
         {u"C", u"A"}, "1100100", "C|A|Y||7|A|A|Y||7|"}, // equal counts: the later artist
        {R"("A"}],"title":"X","year":2001,"tracklist":[]})",
         {u"A1999", u"A2001"}, "0000101", "|A|X|1999|7||A|X|2001|7|"}};
    // clang-format on
    for (const auto& [release, rows, state, after] : cases) {
        editor(u"Band - X (2001)"); // proposes A, X, 2001 as the rows say, else as its name does
        for (auto r : rows) f.ListView1.addrow(r, {u"", r.substr(0, 1), u"X", r.substr(1), u"7"});
        reply = R"({"results":[{"resource_url":")" + url + R"("}],"artists":[{"name":)" + release;
        std::string got;
        host.expect([&](forms::form&) {
            got = u8(d.Edit1.text + d.Edit2.text + d.Edit3.text) + bits(d.Button4.enabled);
            d.click(d.Button3), got += bits(d.Edit1.enabled, d.Edit2.enabled, d.Edit3.enabled);
            got += bits(d.Button4.visible, f.Button4.enabled), d.click(d.Button4);
            got += bits(f.Button2.enabled), d.click(d.Button1);
        });
        host.press(u"Button1"), f.click(f.Button1); // the chooser
        d.Button4.visible = true, d.click(d.Button4), got += bits(d.Button4.visible);
        for (const cells& r : f.ListView1.subitems)
            for (const auto& c : r) got += u8(c) + "|";
        EXPECT_EQ(got, "AX20010" + state + after); // no list to take before a lookup
    }
    server.stop(), listener.join();
}

TEST_F(Editor, ReviewSwitchesAndRePlansAfterTheEditorAndTheRenameEditor) {
    const std::u16string name = u"A - Bx (1990)", dir = music.u16(name);
    mp3s({{name + u"/1.mp3", {u"A", u"T1", u"B", u"1990", u"1", u"Rock"}},
          {name + u"/2.mp3", {u"A", u"T2", u"B", u"1990", u"2", u"Pop"}},
          {name + u"/3.mp3", {u"A", u"T3", u"B2", u"1990", u"3", u"Rock"}}});
    host.press(u"Button1"), ui::doBrellian(p); // unified: the tag line writes 2.mp3 and 3.mp3
    const cells& rep = m.ListView1.items;
    auto at = [&](std::u16string_view s) {
        return int(std::ranges::find_if(rep, [&](auto& l) { return l.find(s) + 1; }) - rep.begin());
    };
    const int tags = at(u"-> ["), rename = at(u"Переим"), folder = at(dir);
    std::u16string to; // the rename's target as last seen
    // Every operation planned ("1" on, "0" off, "s" superseded, "S" superseded yet on); the line
    // switch (if shown) checked, bold; Apply; the rename line as planned (">") or re-planned ("r")
    // by the editor, and its target.
    auto look = [&] {
        std::string s;
        for (const checker::oplist& o : p.c.plannedops) s += (o.undo ? "sS" : "01")[o.perform];
        const forms::checkbox& b = m.CheckBox5;
        s += (b.visible ? "|" + bits(b.checked, b.bold) : "|-") + bits(m.Button3.enabled) + "|";
        to = checker::findop(p.c.plannedops, rename)->newname.substr(dir.size() - name.size());
        const std::u16string tail = u" " + name + u" В " + to, &l = rep[rename];
        s += "?>r"[(l == u"  > Переименовать" + tail) + 2 * (l == u"переименовать" + tail)];
        return s + u8(to);
    };
    // A right (2) or left (1) press on a report line, or a double click (0); then the look.
    auto step = [&](int row, int button, std::string want) {
        m.select(m.ListView1, row);
        button ? ui::mouseswitchop(p, button, forms::ssCtrl) : ui::opEdit(p);
        EXPECT_EQ(want.empty() ? want : look(), want); // no look while a run re-plans
    };
    auto replan = [&](cells x) { // the editor wrote x[3] alone, x[0..2] in its dialog
        d.Edit1.text = x[0], d.Edit2.text = x[1], d.Edit3.text = x[2], f.written = {x[3]};
        ui::switchfolderops(p, dir, 0);
    };
    forms::TForm2& r = p.Form2;
    auto answer = [&](std::u16string typed, bool close) { // to the rename editor, then Ok
        host.expect([&, typed, close](forms::form&) {
            const bool dressed = !r.Edit1.enabled && !r.Edit3.visible && !r.Button3.visible;
            EXPECT_EQ(r.Edit1.text + r.Edit2.text + (dressed ? u"" : u"!"), name + to);
            r.settext(r.Edit2, to = typed), close ? m.onclose() : void(), r.click(r.Button1);
        });
    };
    host.press(u"Button3"); // the editor closed without a write: nothing changes
    step(folder, 0, "111|-1|>A - B (1990)");
    step(tags, 2, "010|001|>A - B (1990)"), step(folder, 2, "101|-1|>A - B (1990)");
    step(rename, 1, "101|001|>A - B (1990)"); // a left press switches nothing
    step(rename, 0, "101|001|>A - B (1990)"); // a rename switched off: nothing opens
    step(tags, 2, "000|000|>A - B (1990)"), step(rename, 2, "010|111|>A - B (1990)");
    bool enabled = false; // during a run Apply stays disabled whatever is switched
    host.onpump = [&] { step(tags, 2, ""), step(rename, 0, ""), enabled |= m.Button3.enabled; };
    host.press(u"Button1"), ui::doBrellian(p), host.onpump = {};
    answer(u"A:B?", false), step(rename, 0, "010|111|>A.B.");
    // Esc is the rename editor's "Cancel"; the run's dialog, dressed again, takes no Esc.
    host.expect([&](forms::form&) {
        r.settext(r.Edit2, u"X");
        EXPECT_EQ(r.keydown(&r.Edit2, forms::vkEscape), 0);
    });
    step(rename, 0, "010|111|>A.B.");
    r.modalresult = forms::mrNone;
    EXPECT_EQ(r.keydown(&r.Edit2, forms::vkEscape), forms::vkEscape);
    EXPECT_EQ(r.modalresult, forms::mrNone);
    answer(u"", false), answer(name, true); // asked again for a new name, till the program closes
    step(rename, 0, "010|111|>A.B.");
    replan({u"A", u"B", u"", u"3.mp3"}), step(folder, 1, "01s|-1|rA - B");
    step(tags, 2, "11s|111|rA - B"), step(folder, 2, "00s|-0|rA - B");
    replan({u"A:", u"C", u"1990", u"2.mp3"}), step(tags, 2, "s0s|-0|rA. - C (1990)");
    step(rename, 2, "s1s|111|rA. - C (1990)");
    replan({u"A", u"Bx", u"1990", u"3.mp3"}), step(folder, 1, "sss|-0|rA. - C (1990)");
    EXPECT_TRUE(!enabled && !host.pending() && r.caption == forms::TForm2().caption);
}

TEST_F(Editor, AWriteRePlansTheFolderHoweverTheEditorIsClosed) {
    const std::u16string dir = music.u16(u"A - Bx (1990)");
    mp3s({{u"A - Bx (1990)/1.mp3", {u"A", u"T1", u"B", u"1990", u"1"}},
          {u"A - Bx (1990)/2.mp3", {u"A", u"T2", u"B2", u"1990", u"2"}}});
    host.press(u"Button1"), ui::doBrellian(p); // unified: a tag write, and the rename
    std::vector<std::tuple<bool, bool, std::u16string>> planned;
    for (const checker::oplist& o : p.c.plannedops)
        planned.emplace_back(o.perform, o.undo, o.newname);
    const cells report = m.ListView1.items;
    const int folder = int(std::ranges::find(report, dir) - report.begin());
    std::string got; // each operation as in the review test, then the editor's result
    // "Закрыть" or the close box (which Esc is too), without and with a write.
    for (auto [write, box] : {std::pair(0, 0), {0, 1}, {1, 0}, {1, 1}}) {
        auto was = planned.begin();
        for (checker::oplist& o : p.c.plannedops) std::tie(o.perform, o.undo, o.newname) = *was++;
        m.ListView1.items = report;
        host.expect([&, write, box](forms::form&) {
            if (write) f.arm(), f.click(f.Button2);
            box ? void(f.modalresult = forms::mrCancel) : f.click(f.Button3);
        });
        m.select(m.ListView1, folder), ui::opEdit(p);
        for (const checker::oplist& o : p.c.plannedops) got += (o.undo ? "sS" : "01")[o.perform];
        got += std::to_string(f.modalresult) + " ";
    }
    EXPECT_EQ(got, "111 112 ss6 ss2 ");
}

// Folders and files named in windows-1251 bytes: every name the user reads
// (report lines, the dialog's headline, the editor's caption and file names,
// the rename editor's current name, the progress window) is their text, while
// the lines keep the bytes, a double click opens the folder itself, a new name
// that reads like the old one is still a new name, and Apply renames the
// folder that has those bytes.
TEST_F(Editor, LegacyNamesAreShownAsTextAndKeepTheirBytes) {
    const auto cp = [](const char* s) { return testutil::legacyname(s); };
    const std::u16string ddt = cp("ДДТ - Осень"), kino = cp("Кино - Звезда"),
                         autumn = cp("01 Осень.mp3"), star = cp("01 Звезда.mp3");
    mp3s({{ddt + u"/" + autumn, {u"ДДТ", u"Осень", u"Осень", u"1991", u"1"}},
          {ddt + u"/" + cp("02 Дождь.mp3"), {u"ДДТ", u"Дождь", u"Осень live", u"1991", u"2"}},
          {kino + u"/" + star, {u"Кино", u"Звезда", u"", u"1988", u"1"}}});
    std::u16string headlines; // of every dialog shown, as the user reads them
    host.fallback = [&](forms::form& shown) {
        if (&shown == &p.Form2) headlines += p.Form2.Label5.caption + u"; ";
        if (&shown == &p.Form3) headlines += p.Form3.Label2.caption + u"; ";
        shown.click(&shown == &p.Form2 ? p.Form2.Button1 : p.Form3.Button1);
    };
    ui::doBrellian(p);
    host.fallback = {}; // from here each showing is answered once, as scripted
    EXPECT_EQ(headlines, u"Кино - Звезда: Нет альбома; " + music.u16(u"ДДТ - Осень; "));
    const cells& rep = m.ListView1.items;
    std::string shown; // the lines as the report shows them, the root as "~"
    for (int row = 0; row < int(rep.size()); ++row) {
        std::u16string l = checker::linetext(p.c, row);
        for (std::size_t at; (at = l.find(music.u16())) != l.npos;)
            l.replace(at, music.u16().size(), u"~");
        shown += u8(l) + "|";
    }
    for (const char* line :
         {"|~/ДДТ - Осень|", "|  > Переименовать ДДТ - Осень В ДДТ - Осень (1991)|",
          "|~/Кино - Звезда|", "|  Нет альбома: 01 Звезда.mp3|"})
        EXPECT_NE(shown.find(line), std::string::npos) << line << "\n" << shown;
    // The lines themselves keep the bytes: the folder line is the folder's path.
    const int folder = int(std::ranges::find(rep, music.u16(ddt)) - rep.begin());
    ASSERT_LT(folder, int(rep.size()));
    const int rename =
        int(std::ranges::find(rep, u"  > Переименовать " + ddt + u" В ДДТ - Осень (1991)") -
            rep.begin());
    ASSERT_LT(rename, int(rep.size()));

    host.expect([&](forms::form&) { // the double click opened the folder itself
        EXPECT_EQ(u8(f.caption + u"|" + f.ListView1.items.at(0)),
                  "Редактор MP3-тегов папки: ДДТ - Осень|01 Осень.mp3");
        EXPECT_EQ(f.files, (cells{autumn, cp("02 Дождь.mp3")}));
        EXPECT_EQ(u8(f.ListView1.subitems.at(0).at(forms::colartist)), "ДДТ");
        f.ListView1.subitem(1, forms::coltitle) = u"Дождь!"; // written to the file itself
        f.arm(), f.click(f.Button2), f.click(f.Button3);
    });
    m.select(m.ListView1, folder), ui::opEdit(p);
    EXPECT_EQ(mp3fixture::mutagenread(native(ddt + u"/" + cp("02 Дождь.mp3"))).frames["TIT2"],
              "Дождь!");
    // Re-planned from the name's proposal: the line says so, in text.
    EXPECT_EQ(u8(checker::linetext(p.c, rename)), "переименовать ДДТ - Осень В ДДТ - Осень");
    // The rename editor: the current name as text; the same text typed is
    // another name (other bytes), and taken.
    host.expect([&](forms::form&) {
        EXPECT_EQ(u8(p.Form2.Edit1.text), "ДДТ - Осень");
        p.Form2.settext(p.Form2.Edit2, u"ДДТ - Осень"), p.Form2.click(p.Form2.Button1);
    });
    m.select(m.ListView1, rename), ui::opEdit(p);
    EXPECT_EQ(u8(checker::linetext(p.c, rename)), "  > Переименовать ДДТ - Осень В ДДТ - Осень");
    EXPECT_EQ(rep.at(rename), u"  > Переименовать " + ddt + u" В ДДТ - Осень");
    EXPECT_EQ(host.pending(), 0u);

    const std::size_t from = rep.size();
    ui::apply(p);
    std::string applied;
    for (std::size_t row = from; row < rep.size(); ++row)
        applied += u8(checker::linetext(p.c, int(row))) + "|";
    EXPECT_EQ(applied.find('\xEF'), std::string::npos) << applied; // no U+FFFD
    EXPECT_NE(applied.find("переименование " + u8(music.u16()) + "/ДДТ - Осень В "),
              std::string::npos)
        << applied;
    EXPECT_TRUE(host.bars.contains("Файл 1 из 1 (01 Звезда.mp3)@100")); // the editor wrote ДДТ
    EXPECT_FALSE(fs::exists(native(ddt)));
    EXPECT_TRUE(fs::exists(native(u"ДДТ - Осень/" + autumn))); // the file keeps its bytes
    EXPECT_TRUE(fs::exists(native(u"Кино - Звезда (1988)/" + star)));
}
