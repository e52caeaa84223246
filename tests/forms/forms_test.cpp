// The dialogs as a user meets them, one table per rule: typing into the
// missing-data dialog (the year's keyboard filter), revert and swap, the
// unify dialog's enable rules, the sort order's radio buttons; F1 and Ctrl+A.
#include <gtest/gtest.h>

#include <sstream>

#include "help.h"
#include "platform.h"
#include "scriptedhost.h"
#include "tform2.h"
#include "tform3.h"
#include "tform8.h"

using namespace forms;
using platform::utf16to8;
using platform::utf8to16;

namespace {

// Actions split by " ": a control's name clicks it, "name=text" pastes a
// text, "name+text" types it key by key ("<" is Backspace).
void act(form& f, const std::string& actions) {
    std::istringstream in(actions);
    for (std::string a; in >> a;) {
        const std::size_t op = std::min(a.find_first_of("=+"), a.size());
        control* c = f.find(utf8to16(a.substr(0, op)));
        ASSERT_TRUE(c) << a;
        const std::u16string text = utf8to16(a.substr(std::min(op + 1, a.size())));
        if (auto* b = dynamic_cast<button*>(c)) f.click(*b);
        if (auto* x = dynamic_cast<checkbox*>(c)) f.click(*x);
        if (auto* e = dynamic_cast<edit*>(c); e && a[op] == '=') f.settext(*e, text);
        if (auto* e = dynamic_cast<edit*>(c); e && a[op] == '+')
            for (char16_t ch : text) f.type(*e, ch == u'<' ? u'\b' : ch);
    }
}

// The missing-data dialog's fields and " revert" when offered; the unify
// dialog's lists and "Да" enabled or not, and its answer; the sort order.
std::string state(const form& f) {
    if (auto* d = dynamic_cast<const TForm2*>(&f))
        return utf16to8(d->Edit1.text + u"|" + d->Edit2.text + u"|" + d->Edit3.text) +
               (d->Button7.visible ? " revert" : "");
    if (auto* u = dynamic_cast<const TForm3*>(&f))
        return std::string(u->ComboBox1.enabled ? "y" : "n") + (u->ComboBox2.enabled ? "y" : "n") +
               (u->Button1.enabled ? "y" : "n") + std::to_string(u->modalresult);
    return std::to_string(static_cast<const TForm8&>(f).sortorder());
}

} // namespace

TEST(Forms, UserActions) {
    const std::tuple<int, std::string, std::string> rows[] = {
        {2, "Edit3+995", "Artist|Album|1999 revert"}, // a fifth digit is refused
        {2, "Edit3= Edit3+2a0_b-0.1x", "Artist|Album|2001 revert"},
        {2, "Edit3+9<<8", "Artist|Album|18 revert"},
        {2, "Edit3=20011 Edit3+2", "Artist|Album|20011 revert"}, // pasted text is not filtered
        {2, "Edit3+١１²", "Artist|Album|19"},
        {2, "Edit1+_2000!", "Artist_2000!|Album|19 revert"},
        {2, "Button8", "Album|Artist|19 revert"},
        {2, "Edit2= Button8", "|Artist|19 revert"},
        {2, "Button8 Edit3+9 Button7", "Artist|Album|19"},
        {2, "Edit1=X Button7 Edit1+Y", "ArtistY|Album|19 revert"},
        {3, "Button1", "yyy1"},
        {3, "CheckBox1 Button1", "nyy1"},
        {3, "CheckBox1 CheckBox2 Button1", "nnn0"}, // "Да" answers only while enabled
        {3, "CheckBox2", "yny0"},
        {8, "RadioButton2 RadioButton5 RadioButton5", "5"}};
    for (const auto& [which, actions, want] : rows) {
        TForm2 f2;
        TForm3 f3;
        TForm8 f8;
        f2.Edit1.text = u"Artist", f2.Edit2.text = u"Album", f2.Edit3.text = u"19";
        f2.keepedits();
        form& f = which == 2 ? static_cast<form&>(f2) : which == 3 ? static_cast<form&>(f3) : f8;
        act(f, actions);
        EXPECT_EQ(state(f), want) << actions;
    }
}

TEST(Forms, KeysOpenHelpAndSelectAll) {
    const std::tuple<int, std::string, std::uint16_t, unsigned, std::string> rows[] = {
        {2, "Edit1", vkF1, ssNone, "tagmissing kept"},
        {2, "Button8", vkF1, ssNone, "- kept"},
        {2, "Edit2", vkA, ssCtrl, "- eaten all"},
        {2, "Button1", vkA, ssCtrl, "- eaten"},
        {2, "Button8", vkA, ssCtrl, "- kept"},
        {2, "Edit2", vkA, ssNone, "- kept"},
        {3, "ComboBox2", vkF1, ssNone, "discrepancy kept"},
        {3, "Button4", vkF1, ssNone, "- kept"},
        {3, "ComboBox1", vkA, ssCtrl, "- eaten all"},
        {3, "CheckBox1", vkA, ssCtrl, "- eaten"},
        {8, "Edit4", vkF1, ssNone, "compsetup kept"},
        {8, "CheckBox2", vkF1, ssNone, "- kept"},
        {2, "Edit3", vkReturn, ssNone, "- eaten =1"}, // Enter outside a button: the default one
        {2, "Button5", vkReturn, ssNone, "- kept"},
        {3, "ComboBox2", vkReturn, ssNone, "- eaten =1"},
        {8, "", vkReturn, ssNone, "- eaten =1"}};
    for (const auto& [which, name, key, shift, want] : rows) {
        scriptedhost h;
        TForm2 f2;
        TForm3 f3;
        TForm8 f8;
        form& f = which == 2 ? static_cast<form&>(f2) : which == 3 ? static_cast<form&>(f3) : f8;
        f.owner = &h;
        control* from = f.find(utf8to16(name));
        std::string got = f.keydown(from, key, shift) ? " kept" : " eaten";
        got.insert(0, h.urls.empty() ? "-" : utf16to8(h.urls[0].substr(h.urls[0].find(u'#') + 1)));
        EXPECT_TRUE(h.urls.empty() || h.urls[0] == helpurl(utf8to16(got.substr(0, got.find(' ')))));
        if (f.modalresult) got += " =" + std::to_string(f.modalresult);
        EXPECT_EQ(got + (from && from->selectallrequest ? " all" : ""), want) << name;
    }
}
