// The checker over the scripted host, its dialogs bound; a tempdir tree of real
// MP3 files tagged by mutagen; scripted answers; the outcome as plain text.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

#include "mp3fixture.h"
#include "scriptedhost.h"
#include "settings.h"
#include "walk.h"
#include "wiring.h"

namespace checkertest {

namespace fs = std::filesystem;
using testutil::u16, testutil::u8;
using texts = std::vector<std::string>;

struct env;
// A whole run: tree and settings, answers to the modal showings, the report
// (env::report, a text per folder) and operations (env::ops). An answer: ";"
// between actions, a name clicks, "name=text" pastes; " => " after the dialog
// as it must look (env::dress), if given.
struct scenario {
    const char* name;
    std::function<void(env&)> tree;
    texts answers, report, ops;
};

struct env {
    forms::scriptedhost host;
    forms::TForm1 form1;
    checker::context c{host, form1};
    forms::TForm2 form2{&form1};
    forms::TForm3 form3{&form1};
    forms::TForm6 form6;
    forms::TForm7 form7;
    testutil::tempdir t;
    std::vector<std::pair<fs::path, mp3fixture::tags>> pending;

    env() {
        form1.owner = form2.owner = form3.owner = form6.owner = form7.owner = &host;
        ui::bindrundialogs(c, form2, form3, form6, form7);
        c.programfolder = t.u16();
        checker::defaultcfg(c, c.cfg);
        form1.Label1.caption = t.u16();
    }

    fs::path native(std::u16string_view rel) const { return platform::tonative(t.u16(rel)); }
    void file(std::u16string_view rel, const std::string& bytes = "x") {
        fs::create_directories(native(rel).parent_path());
        testutil::writefile(native(rel), bytes);
    }
    // An MP3 file of `copies` times lame's audio, tagged before the next run
    // with "artist|title|album|year|trno|genre|flag" (fields left out: none).
    void mp3(std::u16string_view rel, std::u16string_view tags = u"", int copies = 1) {
        std::u16string v[7];
        int i = 0;
        for (char16_t ch : tags) ch == u'|' ? void(++i) : v[i].push_back(ch);
        std::string audio;
        while (copies-- > 0) audio += mp3fixture::basemp3();
        file(rel, audio);
        pending.emplace_back(native(rel),
                             mp3fixture::tags{v[0], v[1], v[2], v[3], v[4], v[5], v[6]});
    }

    // As the Start button: the last run's lines and operations go first.
    void run() {
        mp3fixture::tagwithmutagen(pending);
        pending.clear();
        checker::freeops(c.plannedops);
        form1.ListView1.items.clear();
        checker::processdirs(c);
    }

    std::string tilde(std::u16string s) const {
        for (std::size_t p; (p = s.find(t.u16())) != std::u16string::npos;)
            s.replace(p, t.u16().size(), u"~");
        return u8(s);
    }
    // The report lines from `from` on, "|" between them, an empty line as a
    // line break, every error box as "! <text>", the tempdir as "~".
    std::string report(std::size_t from = 0) const {
        std::string s;
        for (std::size_t i = from; i < form1.ListView1.items.size(); ++i) {
            const std::u16string& l = form1.ListView1.items[i];
            s += l.empty() ? "\n" : (s.empty() || s.back() == '\n' ? "" : "|") + tilde(l);
        }
        for (const auto& e : host.errors) s += "|! " + u8(e);
        return s;
    }
    // "[off ]<kind: d, t, f or m> <path> <new name> artist|title|album|year|genre|
    // flag[|n=trno] @line": rename_dir, write_tag, rename_file, backup_playlist.
    texts ops() const {
        texts r;
        for (const checker::oplist& o : c.plannedops)
            r.push_back(tilde((o.perform ? u"" : u"off ") + std::u16string(1, u"dtfm"[o.opcode]) +
                              u" " + o.pathname + u" " + o.newname + u" " + o.artist + u"|" +
                              o.title + u"|" + o.album + u"|" + o.year + u"|" + o.genre + u"|" +
                              o.icmp + (o.changetrno ? u"|n=" + o.trno : u"")) +
                        " @" + std::to_string(o.listindex));
        return r;
    }

    // A dialog as the user sees it: its visible controls' captions, texts,
    // boxes ("[x]") and lists ("{items} text"), "-" after a disabled one.
    std::string dress(const forms::form& f) const {
        using namespace forms;
        std::u16string s;
        for (const control* c : f.controls()) {
            if (!c->visible) continue;
            if (auto* l = dynamic_cast<const label*>(c)) s += l->caption;
            if (auto* b = dynamic_cast<const button*>(c)) s += b->caption;
            if (auto* e = dynamic_cast<const edit*>(c)) s += e->text;
            if (auto* x = dynamic_cast<const checkbox*>(c)) s += x->checked ? u"[x]" : u"[ ]";
            if (auto* l = dynamic_cast<const combobox*>(c)) {
                s += u"{";
                for (const auto& i : l->items) s += (&i == &l->items[0] ? u"" : u", ") + i;
                s += u"} " + l->text;
            }
            s += c->enabled ? u"|" : u"-|";
        }
        return tilde(s.substr(0, s.size() - 1));
    }

    void act(forms::form& f, const std::string& does) {
        std::istringstream in(does);
        for (std::string a; std::getline(in, a, ';');) {
            const std::size_t eq = std::min(a.find('='), a.size());
            forms::control* ctl = f.find(u16(a.substr(0, eq)));
            ASSERT_TRUE(ctl) << a;
            const std::u16string text = u16(a.substr(std::min(eq + 1, a.size())));
            try { // the application's error box takes what a handler throws
                if (auto* b = dynamic_cast<forms::button*>(ctl)) f.click(*b);
                if (auto* e = dynamic_cast<forms::edit*>(ctl)) f.settext(*e, text);
                if (auto* l = dynamic_cast<forms::combobox*>(ctl)) f.settext(*l, text);
            } catch (const std::exception& x) {
                host.errorbox(u16(x.what()));
            }
        }
    }

    // Runs the scenario twice: a second Start must give the same.
    void play(const scenario& s) {
        SCOPED_TRACE(s.name);
        s.tree(*this);
        const bool keep = form1.CheckBox3.checked, skip = form1.CheckBox2.checked;
        const checker::cfgrec cfg = c.cfg;
        for (int round = 0; round < 2; ++round) {
            form1.CheckBox3.checked = keep, form1.CheckBox2.checked = skip, c.cfg = cfg;
            host.pumps = 0, host.errors.clear();
            for (const std::string& a : s.answers)
                host.expect([this, a](forms::form& f) {
                    const std::size_t to = a.rfind(" => "), from = to == a.npos ? 0 : to + 4;
                    EXPECT_EQ(from ? dress(f) : "", a.substr(0, from ? to : 0));
                    act(f, a.substr(from));
                });
            run();
            EXPECT_EQ(host.pending(), 0u);
            std::string want;
            for (const std::string& b : s.report) want += "\n" + b;
            EXPECT_EQ(report(), want);
            EXPECT_EQ(ops(), s.ops);
        }
    }
};

} // namespace checkertest
