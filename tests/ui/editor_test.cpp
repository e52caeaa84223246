// The folder tag editor (lookup on 127.0.0.1, track list, write) and the
// review of a report (switching, re-planning, the rename editor) over the
// scripted host, on real MP3 files made by lame, tagged and read by mutagen.
#include <gtest/gtest.h>
#include <httplib.h>

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
const std::u16string folder = u"A - Bx (1990)";

struct recordinghost : forms::scriptedhost {
    std::vector<std::string> progress; // the progress window's "label@bar" as painted
    void repaint(forms::form& f) override {
        if (auto* w = dynamic_cast<forms::TForm4*>(&f)) {
            std::string shown =
                testutil::u8(w->Label1.caption) + "@" + std::to_string(w->ProgressBar1.position);
            if (progress.empty() || progress.back() != shown) progress.push_back(shown);
        }
        scriptedhost::repaint(f);
    }
};

struct env {
    testutil::tempdir prog, music;
    recordinghost host;
    ui::program p{host, {}, prog.u16()};
    forms::TForm1& m = p.Form1;
    forms::TForm10& f = p.Form10;
    forms::TForm11& d = p.Form11;
    int tags = 0, rename = 0, fill = 0, dir = 0; // lines of a run()

    env() { m.Label1.caption = music.u16(), m.CheckBox3.checked = false; }
    std::u16string path(std::u16string_view rel) const { return music.u16(rel); }
    fs::path native(std::u16string_view rel) const { return platform::tonative(path(rel)); }
    void mp3s(const std::vector<std::pair<std::u16string, mp3fixture::tags>>& files) {
        std::vector<std::pair<fs::path, mp3fixture::tags>> todo;
        for (const auto& [rel, tg] : files) {
            fs::create_directories(native(rel).parent_path());
            testutil::writefile(native(rel), mp3fixture::basemp3());
            todo.emplace_back(native(rel), tg);
        }
        mp3fixture::tagwithmutagen(todo);
    }
    std::string tag(std::u16string_view rel, const std::string& id) const {
        return mp3fixture::mutagenread(native(rel)).frames[id];
    }
    // The editor filled from a folder and shown, as a double click does.
    void editor(std::u16string_view rel) {
        f.Label1.caption = path(rel), ui::listfoldertags(p), f.init();
    }
    // A folder whose files disagree (the unify dialog says yes): two tag
    // writes on one line with the rename's operation between them; a second
    // folder with one tag write.
    void run() {
        mp3s({{folder + u"/1.mp3", {u"A", u"T1", u"B", u"1990", u"1", u"Rock"}},
              {folder + u"/2.mp3", {u"A", u"T2", u"B", u"1990", u"2", u"Pop"}},
              {folder + u"/3.mp3", {u"A", u"T3", u"B2", u"1990", u"3", u"Rock"}},
              {u"A - C (2000)/01 x.mp3", {u"A", u"", u"C", u"2000", u"", u"Rock"}}});
        host.press(u"Button1");
        ui::doBrellian(p);
        const cells& l = m.ListView1.items;
        auto line = [&](auto s) {
            return int(std::ranges::find_if(l, [&](auto& t) { return t.starts_with(s); }) -
                       l.begin());
        };
        tags = line(u"  > (Пере)записать id3-теги -> [A"), rename = line(u"  > Переименовать");
        fill = line(u"  > (Пере)записать id3-теги -> Заполнить"), dir = line(path(folder));
    }
    // Each operation of a line, newest first: "on " or "off ", after "-" when superseded.
    std::string states(int row) {
        std::string s;
        for (const checker::oplist* op : checker::lineops(p.c, row))
            s += std::string(op->undo ? "-" : "") + (op->perform ? "on " : "off ");
        return s;
    }
    // A right (2) or left (1) press on a report line, or a double click (0).
    void click(int row, int button) {
        m.select(m.ListView1, row);
        button ? ui::mouseswitchop(p, button, forms::ssCtrl) : ui::opEdit(p);
    }
};

// Every search finds release 1, whose reply the test sets between lookups.
struct releaseserver {
    httplib::Server s;
    std::string release;
    std::thread t;
    releaseserver() {
        const std::string base =
            "http://127.0.0.1:" + std::to_string(s.bind_to_any_port("127.0.0.1"));
        s.Get(".*", [this, base](const httplib::Request& q, httplib::Response& r) {
            const std::string found =
                R"({"results": [{"resource_url": ")" + base + R"(/releases/1"}]})";
            r.set_content(q.path == "/releases/1" ? release : found, "text/json");
        });
        t = std::thread([this] { s.listen_after_bind(); });
        while (!s.is_running()) std::this_thread::yield();
        for (const char* v : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) unsetenv(v);
        setenv("VORLINDE_DISCOGS_URL", base.c_str(), 1);
    }
    ~releaseserver() { s.stop(), t.join(), unsetenv("VORLINDE_DISCOGS_URL"); }
};

} // namespace

TEST(Editor, SoundexCodesOfFourCharacters) {
    // clang-format off
    const cells c = {u"Silver Lane.mp3", u"S416", u"Silver Lane ", u"S416", u"Hop.mp3", u"H151",
                     u"01 Silver Lane.mp3", u"0241", u"Hop", u"H100", u"Лето.mp3", u"Л510",
                     u"Лес", u"Л000", u"лес", u"л000", u"ashcraft", u"A261", u"", u""};
    // clang-format on
    for (std::size_t i = 0; i < c.size(); i += 2) EXPECT_EQ(lookup::soundex(c[i]), c[i + 1]);
}

TEST(Editor, TrackListTitlesBySoundElseByOrderTrackNumbersByOrderWhenEmpty) {
    // clang-format off
    const std::tuple<cells, cells, cells, bool> cases[] = {
        // files (the second with track number 7); track list; title|number after; all matched
        {{u"Sport.mp3", u"Blind.mp3"}, {u"Blind #1", u"Sport #"}, {u"Sport |1", u"Blind |7"}, true},
        {{u"Лето.mp3", u"Silver.mp3"}, {u"Лес #1", u"Silver"}, {u"Лес |1", u"|7"}, false},
        {{u"Silver.mp3", u"x.mp3"}, {u"Silver #9"}, {u"Silver |9", u"t|7"}, false}}; // no further
    // clang-format on
    for (const auto& [files, tracks, want, matched] : cases) {
        forms::listview r;
        for (const auto& f : files)
            r.addrow(f, {u"t", u"", u"", u"", r.items.empty() ? u"" : u"7"});
        const bool all = lookup::matchtitles(r, tracks);
        if (!all) lookup::fillbyorder(r, tracks);
        cells got;
        for (const cells& x : r.subitems) got.push_back(x[forms::coltitle] + u"|" + x[4]);
        EXPECT_EQ(std::pair(got, all), std::pair(want, matched));
    }
}

TEST(Editor, WriteGivesEveryFileItsRowAndNamesTheFilesNotWritten) {
    env e;
    e.mp3s({{u"d/01 Intro.mp3", {u"A", u"", u"X", u"1999"}},
            {u"d/02 Song.mp3", {u"B", u"Song", u"X", u"", u"2"}},
            {u"d/03 Stuck.mp3", {u"A", u"Old", u"X", u"1999", u"3"}},
            {u"one/a.mp3", {u"A", u"Solo"}}});
    for (auto f : {u"d/03 Stuck.mp3", u"one/a.mp3"}) // the rewrite cannot begin
        fs::create_directory(e.native(f + std::u16string(u"$delme.$$$")));
    e.editor(u"d");
    const auto& rows = e.f.ListView1.subitems;
    const cells disk = rows[0];
    ASSERT_EQ(disk, (cells{u"", u"A", u"X", u"1999", u"", u""}));
    e.host.press(u"Button1"), e.f.click(e.f.Button1); // Ok, every box ticked: nothing changes
    EXPECT_TRUE(!e.f.Button2.enabled && rows[1][1] == u"B");
    for (bool revert : {true, false}) {
        e.host.expect([&](forms::form&) {
            e.d.click(e.d.CheckBox1), e.d.settext(e.d.Edit1, u"New");
            e.d.click(e.d.Button1); // an empty title takes the file's name
        });
        e.f.click(e.f.Button1);
        EXPECT_EQ(rows[0], (cells{u"01 Intro", u"New", u"X", u"1999", u"", u""}));
        EXPECT_TRUE(e.f.Button2.enabled && e.f.Button4.enabled);
        if (!revert) continue;
        e.f.click(e.f.Button4); // "Отмена": the disk again, nothing to write
        EXPECT_TRUE(rows[0] == disk && !e.f.Button2.enabled && !e.f.Button4.enabled);
    }
    int inert = 0; // the rewrite lets messages through: the editor must not act on them
    e.host.onpump = [&] { inert += !e.f.enabled, e.f.click(e.f.Button3), e.f.click(e.f.Button1); };
    e.f.click(e.f.Button2);
    EXPECT_EQ(inert, 2); // a pass per block copied
    EXPECT_EQ(e.host.errors, cells{u"Не удалось записать теги в файлы:\n03 Stuck.mp3"});
    EXPECT_EQ(rows[2], (cells{u"Old", u"A", u"X", u"1999", u"3", u""}));
    EXPECT_EQ(e.f.written, (cells{u"01 Intro.mp3", u"02 Song.mp3"}));
    EXPECT_EQ(e.f.Button3.modalresult, forms::mrYes);
    EXPECT_EQ(e.tag(u"d/01 Intro.mp3", "TIT2") + e.tag(u"d/02 Song.mp3", "TPE1") +
                  e.tag(u"d/03 Stuck.mp3", "TPE1"),
              "01 IntroNewA");
    EXPECT_NE(testutil::readfile(e.native(u"d/02 Song.mp3")).find(mp3fixture::basemp3()),
              std::string::npos);
    e.editor(u"one"), e.f.arm(), e.f.click(e.f.Button2); // one file: "1 of 1", the bar at 0
    EXPECT_EQ(e.host.progress, (std::vector<std::string>{"file 1 of 3@0", "file 2 of 3@50",
                                                         "file 3 of 3@100", "file 1 of 1@0"}));
    EXPECT_EQ(e.f.Button3.modalresult, forms::mrOk); // nothing written: nothing to re-plan
}

TEST(Editor, LookupUnticksWhatChangedOrDisagreesAndOffersATrackListLongEnough) {
    releaseserver server;
    const std::pair<cells, cells> cases[] = {
        // rows' artist, year (proposed: A, X, 2001); after the track list (if offered) and Ok
        {{u"A2001", u"A1999"}, {u"Sport |A|2001|7", u"Blind |A|1999|7"}}, // titles by sound
        {{u"C", u"A"}, {u"Sport|A||7", u"Blind|A||7"}}}; // equal counts: the later artist
    for (const auto& [rows, after] : cases) {
        env e;
        e.editor(u"Band - X (2001)");
        for (int i : {0, 1})
            e.f.ListView1.addrow(i ? u"Blind.mp3" : u"Sport.mp3",
                                 {u"", rows[i].substr(0, 1), u"X", rows[i].substr(1), u"7"});
        const bool agree = rows[0][0] == rows[1][0];
        server.release =
            R"({"title": "X", "year": 2001, "artists": [{"name": "A"}], "tracklist": )" +
            std::string(agree ? R"([{"title": "Blind"}, {"title": "Sport"}]})"
                              : R"([{"title": "B"}]})");
        e.host.expect([&](forms::form&) {
            EXPECT_EQ(e.d.Edit1.text + e.d.Edit2.text + e.d.Edit3.text +
                          (e.d.Button4.enabled ? u"!" : u""),
                      u"AX2001");
            e.d.click(e.d.Button3);
            EXPECT_EQ(std::tuple(e.d.CheckBox1.checked, e.d.CheckBox2.checked,
                                 e.d.CheckBox3.checked, e.d.Button4.visible),
                      std::tuple(agree, true, true, agree));
            EXPECT_TRUE(e.f.Button4.enabled);
            e.d.click(e.d.Button4); // the track list, when offered
            e.d.click(e.d.Button1);
        });
        e.host.press(u"Button1"); // the chooser
        e.f.click(e.f.Button1);
        cells got;
        for (const cells& r : e.f.ListView1.subitems)
            got.push_back(r[0] + u"|" + r[1] + u"|" + r[3] + u"|" + r[4]);
        EXPECT_EQ(got, after);
        e.d.Button4.visible = true, e.p.Form6.ComboBox1.items.clear(), e.d.click(e.d.Button4);
        EXPECT_TRUE(e.d.Button4.visible); // an empty track list: the button does nothing
    }
}

TEST(Review, RightClickInvertsALineWholeAndAFoldersOperationsEachByItself) {
    env e;
    e.run();
    e.host.press(u"Button3"), e.click(e.dir, 0); // the editor closed without a write: nothing
    e.click(e.tags, 2);
    EXPECT_EQ(e.states(e.tags) + e.states(e.rename), "off off on ");
    EXPECT_TRUE(e.m.CheckBox5.visible && !e.m.CheckBox5.checked && !e.m.CheckBox5.bold);
    e.click(e.dir, 2); // mixed states stay mixed, inverted
    EXPECT_EQ(e.states(e.tags) + e.states(e.rename) + e.states(e.fill), "on on off on ");
    e.click(e.dir, 2);
    e.click(e.rename, 1); // a left press shows the line, and switches nothing
    EXPECT_EQ(e.states(e.tags) + e.states(e.rename) + (e.m.CheckBox5.bold ? "bold" : ""),
              "off off on bold");
    for (int row : {e.fill, e.rename}) e.click(row, 2);
    EXPECT_FALSE(e.m.Button3.enabled); // nothing left to perform
    e.click(e.rename, 0);              // a rename switched off: nothing opens
    e.m.click(e.m.CheckBox5);
    EXPECT_TRUE(e.m.Button3.enabled && e.m.CheckBox5.bold && e.states(e.rename) == "on ");
    bool enabled = false; // during a run Apply stays disabled whatever is switched
    e.host.onpump = [&] {
        e.click(e.tags, 2), e.click(e.rename, 0), enabled |= e.m.Button3.enabled;
    };
    e.host.press(u"Button1"), ui::doBrellian(e.p); // the rename editor does not open then
    EXPECT_TRUE(!enabled && e.m.Button3.enabled);
}

TEST(Review, FolderWrittenByTheEditorIsRePlannedFromTheDialogsFields) {
    const std::tuple<std::string, bool, cells, std::u16string, std::string> cases[] = {
        // the rename's state after (on before); the dialog's fields; its target; the tag line
        // after right clicks on the folder and the line, when 2.mp3 (or 3.mp3) alone was written
        {"on ", true, {u"A", u"B", u"", u"2.mp3"}, u"A - B", "-off off "},
        {"-off ", true, {u"A", u"Bx", u"1990", u"3.mp3"}, u"A - B (1990)", "on -off shown"},
        {"off ", false, {u"A:", u"C", u"1990", u"2.mp3"}, u"A. - C (1990)", "-off off "}};
    for (const auto& [state, on, edits, target, tagline] : cases) {
        env e;
        e.run();
        if (!on) e.click(e.rename, 2);
        e.f.written = {edits[3]}; // the other file could not be written: its write stays
        e.d.Edit1.text = edits[0], e.d.Edit2.text = edits[1], e.d.Edit3.text = edits[2];
        ui::switchfolderops(e.p, e.path(folder), 0);
        EXPECT_EQ(e.states(e.rename), state);
        EXPECT_EQ(checker::findop(e.p.c.plannedops, e.rename)->newname, e.path(target));
        EXPECT_EQ(e.m.ListView1.items[e.rename],
                  (state == "-off " ? u"  > Переименовать " : u"переименовать ") + folder + u" В " +
                      target);
        e.click(e.dir, 2);  // superseded writes stay off
        e.click(e.tags, 2); // a line whose first write is superseded cannot be switched
        EXPECT_EQ(e.states(e.tags) + (e.m.CheckBox5.visible ? "shown" : ""), tagline);
    }
}

TEST(Review, RenameEditorTakesACleanedNameAndRestoresTheDialog) {
    const std::pair<std::u16string, std::vector<std::pair<std::u16string, int>>> cases[] = {
        // target; per showing the new name and Button1, Button2 or (0) the main window closed
        {u"A.B.", {{u"A:B?", 1}}},
        {u"A - B (1990)", {{u"", 1}, {folder, 1}, {u"Z", 2}}},
        {u"A - B (1990)", {{u"", 0}}}};
    for (const auto& [target, answers] : cases) {
        env e;
        e.run();
        forms::TForm2& d = e.p.Form2;
        for (const auto& [name, button] : answers)
            e.host.expect([&](forms::form&) {
                const bool shown = d.Edit1.enabled || d.Edit3.visible || d.Button3.visible;
                EXPECT_EQ(d.caption + d.Edit1.text + (shown ? u"!" : u""),
                          u"Редактировать переименование" + folder);
                d.settext(d.Edit2, name);
                button ? d.click(button == 1 ? d.Button1 : d.Button2) : e.m.onclose();
            });
        e.click(e.rename, 0);
        EXPECT_EQ(e.host.pending(), 0u);
        EXPECT_EQ(std::tuple(checker::findop(e.p.c.plannedops, e.rename)->newname,
                             e.m.ListView1.items[e.rename]),
                  std::tuple(e.path(target), u"  > Переименовать " + folder + u" В " + target));
        const bool shown =
            d.Edit1.enabled && d.Edit3.visible && d.Label4.visible && d.Button5.visible;
        EXPECT_EQ(d.caption + d.Label2.caption + d.Button1.caption + d.Button2.caption +
                      (shown ? u"" : u"!"),
                  u"Требуется вмешательство пользователяИсполнительДаНет");
    }
}
