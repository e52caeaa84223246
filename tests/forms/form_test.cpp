#include <gtest/gtest.h>

#include "help.h"
#include "scriptedhost.h"
#include "tform1.h"

using namespace forms;

namespace {

// A small dialog to drive the generic mechanics.
class dialog : public form {
public:
    dialog() : form(u"Dialog") {
        add(Edit1, u"Edit1");
        add(Button1, u"Button1");
        add(Button2, u"Button2");
        add(CheckBox1, u"CheckBox1");
        Button1.modalresult = mrOk;
        Button2.modalresult = mrCancel;
        Edit1.onkeypress = [](char16_t& k) {
            if (k != u'\b' && (k < u'0' || k > u'9')) k = 0;
        };
        Edit1.onchange = [this] { ++changes; };
        Button1.onclick = [this] { ++clicks; };
    }
    edit Edit1;
    button Button1, Button2;
    checkbox CheckBox1;
    int changes = 0, clicks = 0;
};

} // namespace

TEST(Form, ClicksRunHandlersAndSetModalResults) {
    dialog d;
    d.click(d.Button1);
    EXPECT_EQ(d.clicks, 1);
    EXPECT_EQ(d.modalresult, mrOk);
    // A disabled or hidden button does nothing.
    d.modalresult = mrNone;
    d.Button2.enabled = false;
    d.click(d.Button2);
    d.Button1.visible = false;
    d.click(d.Button1);
    EXPECT_EQ(d.modalresult, mrNone);
    EXPECT_EQ(d.clicks, 1);
    d.click(d.CheckBox1);
    EXPECT_TRUE(d.CheckBox1.checked);
    EXPECT_EQ(d.find(u"CheckBox1"), &d.CheckBox1);
    EXPECT_EQ(d.find(u"Nope"), nullptr);
}

TEST(Form, TypedCharactersPassTheFilter) {
    dialog d;
    for (char16_t c : std::u16string(u"1a9-")) d.type(d.Edit1, c);
    EXPECT_EQ(d.Edit1.text, u"19");
    EXPECT_EQ(d.changes, 2);
    d.type(d.Edit1, u'\b');
    EXPECT_EQ(d.Edit1.text, u"1");
    d.settext(d.Edit1, u"x");
    EXPECT_EQ(d.changes, 4);
}

TEST(ScriptedHost, AnswersModalShowingsInOrderAndRecords) {
    scriptedhost h;
    dialog d;
    h.press(u"Button2");
    h.expect([](form& f) {
        auto& dd = static_cast<dialog&>(f);
        dd.settext(dd.Edit1, u"42");
        dd.click(dd.Button1);
    });
    EXPECT_EQ(h.showmodal(d), mrCancel);
    EXPECT_EQ(h.showmodal(d), mrOk);
    EXPECT_EQ(d.Edit1.text, u"42");
    EXPECT_THROW(h.showmodal(d), std::logic_error);
    h.expect([](form&) {}); // no result: an error in the test
    EXPECT_THROW(h.showmodal(d), std::logic_error);
    EXPECT_EQ(h.log.front(), u"modal Dialog");
}

TEST(MainWindow, StartsAsDescribed) {
    TForm1 f;
    EXPECT_EQ(f.Label1.caption, u"Dir:");
    EXPECT_EQ(f.Button1.caption, u"Пуск");
    EXPECT_FALSE(f.Button3.enabled);
    EXPECT_TRUE(f.CheckBox3.checked && f.CheckBox2.checked && f.CheckBox4.checked);
    EXPECT_FALSE(f.CheckBox2.visible || f.CheckBox4.visible || f.CheckBox5.visible);
    EXPECT_TRUE(f.notstarted);
    EXPECT_EQ(f.width, 796);
    EXPECT_EQ(f.height, 540);
}

TEST(Help, OpensTheTopicsUrlThroughTheHost) {
    scriptedhost h;
    openhelp(h, u"start");
    ASSERT_EQ(h.urls.size(), 1u);
    EXPECT_EQ(h.urls[0], helpurl(u"start"));
}
