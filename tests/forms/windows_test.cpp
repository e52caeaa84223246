// The progress window, the about box, the settings dialog, and the layout of
// every window of this group.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "help.h"
#include "platform.h"
#include "scriptedhost.h"
#include "tform2.h"
#include "tform3.h"
#include "tform4.h"
#include "tform5.h"
#include "tform8.h"

using namespace forms;

// ---- the progress window

TEST(Form4, ABatchOpensDrivesAndClosesTheWindow) {
    scriptedhost h;
    auto f = std::make_unique<TForm4>();
    f->owner = &h;
    EXPECT_EQ(f->caption, u"(Перез)записываю теги, ждите");
    EXPECT_TRUE(f->stayontop);
    EXPECT_FALSE(f->closebox); // the batch runs to its end
    EXPECT_FALSE(f->visible);
    f->open();
    EXPECT_TRUE(f->visible);
    EXPECT_EQ(h.log, std::vector<std::u16string>{u"show Form4"});

    // What an apply of three tag writes does, with the rewrite's block bar
    // for a file of ten blocks in between.
    ASSERT_EQ(f->barmax(), 100);
    ASSERT_EQ(f->ProgressBar1.max, 100);
    std::vector<int> batch, blocks;
    for (int n = 1; n <= 3; ++n) {
        f->setbatchposition(f->ProgressBar1.max * n / 3);
        f->setlabel(u"Файл " + std::u16string(1, static_cast<char16_t>(u'0' + n)) +
                    u" из 3 (a.mp3)");
        f->repaintnow();
        f->tofront();
        batch.push_back(f->ProgressBar1.position);
        for (int i = 0; i < 10; ++i) {
            f->setfileposition(f->barmax() * i / 10);
            f->repaintnow();
            f->processmessages();
            blocks.push_back(f->ProgressBar2.position);
        }
    }
    EXPECT_EQ(batch, (std::vector<int>{33, 66, 100}));
    EXPECT_EQ(blocks[9], 90);
    EXPECT_EQ(f->Label1.caption, u"Файл 3 из 3 (a.mp3)");
    EXPECT_EQ(h.repaints, 33);
    EXPECT_EQ(h.pumps, 30);

    // The close request hides and frees the window, once.
    int closes = 0;
    auto disappear = f->onclose;
    f->onclose = [&] {
        ++closes;
        disappear();
    };
    f->close();
    EXPECT_TRUE(f->closed);
    EXPECT_FALSE(f->visible);
    f->close();
    f->repaintnow();
    f->tofront();
    f->open();
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(h.repaints, 33);
    EXPECT_FALSE(f->visible);
    EXPECT_EQ(std::count(h.log.begin(), h.log.end(), u"hide Form4"), 1);
    f.reset(); // the owner drops it

    // A window the host already hid is freed all the same, hidden once.
    TForm4 g;
    g.owner = &h;
    g.open();
    h.hide(g);
    g.close();
    EXPECT_TRUE(g.closed);
    EXPECT_EQ(std::count(h.log.begin(), h.log.end(), u"hide Form4"), 2);
}

// ---- the about box

TEST(Form5, NamesTheProductAndLinksToTheIndexPage) {
    scriptedhost h;
    TForm5 f;
    f.owner = &h;
    EXPECT_EQ(f.caption, u"Info");
    EXPECT_NE(f.Label1.caption.find(u"vorlinde"), std::u16string::npos);
    EXPECT_NE(f.Label1.caption.find(u"0.98"), std::u16string::npos);
    EXPECT_EQ(f.Label4.caption, u"быстрая автоматическая коррекция ошибок в MP3-тегах");
    EXPECT_EQ(f.Label2.caption, u"Последнюю версию и подробное описание ищите на сайте");
    EXPECT_EQ(f.Label3.hint, siteurl());
    EXPECT_TRUE(f.Label3.hint.ends_with(u"/site/index.html"));
    EXPECT_EQ(f.Label3.caption.find(u"file:"), std::u16string::npos); // no local path shown

    h.expect([](form& ff) {
        auto& d = static_cast<TForm5&>(ff);
        d.click(d.Label3);
        EXPECT_EQ(d.modalresult, mrNone); // the box stays open
        d.golink(d.Button1);              // only a label's hint is a link
        d.click(d.Button1);
    });
    EXPECT_NE(h.showmodal(f), mrNone);
    EXPECT_EQ(f.Button1.caption, u"Ok");
    EXPECT_EQ(h.urls, std::vector<std::u16string>{siteurl()});
    // Keys open no help here.
    f.keydown(&f.Button1, vkF1);
    EXPECT_EQ(h.urls.size(), 1u);
}

// ---- the settings dialog

TEST(Form8, SortOrderIsOneRadioButtonAtATime) {
    TForm8 f;
    // Nothing selected until the caller fills the dialog from the settings.
    EXPECT_EQ(f.sortorder(), 0);
    for (auto [b, order] :
         {std::pair{&f.RadioButton2, 2}, {&f.RadioButton5, 5}, {&f.RadioButton5, 5}}) {
        f.click(*b);
        EXPECT_EQ(f.sortorder(), order);
    }
    EXPECT_FALSE(f.RadioButton2.checked);
    f.setsortorder(6);
    EXPECT_EQ(f.sortorder(), 6);
    EXPECT_EQ(static_cast<int>(f.RadioButton1.checked + f.RadioButton2.checked +
                               f.RadioButton3.checked + f.RadioButton4.checked +
                               f.RadioButton5.checked + f.RadioButton6.checked),
              1);
    // An order the settings cannot hold leaves the selection as it was.
    for (int bad : {0, 7, -1}) f.setsortorder(bad);
    EXPECT_EQ(f.sortorder(), 6);
    // The check boxes are independent of the radio buttons.
    f.click(f.CheckBox4);
    EXPECT_TRUE(f.CheckBox4.checked);
    EXPECT_EQ(f.sortorder(), 6);
}

TEST(Form8, OpensUntickedWithItsCaptionsAndHelpKeyOpensCompSetup) {
    TForm8 f;
    scriptedhost h;
    f.owner = &h;
    for (control* c :
         std::vector<control*>{nullptr, &f.Button1, &f.Button2, &f.CheckBox1, &f.Edit4})
        f.keydown(c, vkF1);
    ASSERT_EQ(h.urls.size(), 5u);
    for (const auto& u : h.urls) EXPECT_EQ(u, helpurl(u"compsetup"));
    f.keydown(&f.Edit4, vkA, ssCtrl);
    EXPECT_EQ(h.urls.size(), 5u);

    EXPECT_EQ(f.caption, u"Настройки");
    EXPECT_EQ(f.Edit4.text, u"");
    for (checkbox* c :
         {&f.CheckBox1, &f.CheckBox2, &f.CheckBox3, &f.CheckBox4, &f.CheckBox5, &f.CheckBox6})
        EXPECT_FALSE(c->checked);
    EXPECT_EQ(f.CheckBox1.caption, u"Пропускать официальные компиляции");
    EXPECT_EQ(f.CheckBox6.caption, u"Ставить флаг iTunes \"Часть сборника\"");
    EXPECT_EQ(f.CheckBox6.hint, u"Also works on Personal compilations");
    EXPECT_TRUE(f.CheckBox6.showhint);
    EXPECT_EQ(f.CheckBox5.caption, u"Нумеровать mp3-файлы");
    EXPECT_EQ(f.RadioButton6.caption, u"не сортировать");
    EXPECT_TRUE(f.RadioButton6.bold);
    EXPECT_EQ(f.Button1.caption, u"Сохранить");
    EXPECT_TRUE(f.Button1.bold);
    EXPECT_EQ(f.Button2.caption, u"Отмена");
    h.press(u"Button1");
    h.press(u"Button2");
    EXPECT_EQ(h.showmodal(f), mrOk);
    EXPECT_EQ(h.showmodal(f), mrCancel);
}

// ---- layout

namespace {

struct rect {
    int left, top, right, bottom;
};

rect onform(const control& c) {
    rect r{c.left, c.top, c.left + c.width, c.top + c.height};
    for (const control* p = c.parent; p; p = p->parent) {
        r.left += p->left, r.right += p->left;
        r.top += p->top, r.bottom += p->top;
    }
    return r;
}

std::string n8(const control& c) {
    return platform::utf16to8(c.name);
}

// Every control has a size and lies inside the client area (and inside its
// group box); no two controls other than frames cover each other, hidden ones
// included, since a caller may show any of them.
void checklayout(const form& f) {
    for (const control* c : f.controls()) {
        SCOPED_TRACE(n8(*c));
        EXPECT_GT(c->width, 0);
        EXPECT_GT(c->height, 0);
        rect r = onform(*c);
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.right, f.width);
        EXPECT_LE(r.bottom, f.height);
        if (c->parent) {
            EXPECT_LE(c->left + c->width, c->parent->width);
            EXPECT_LE(c->top + c->height, c->parent->height);
        }
    }
    const auto& cs = f.controls();
    for (std::size_t i = 0; i < cs.size(); ++i)
        for (std::size_t j = i + 1; j < cs.size(); ++j) {
            if (cs[i]->what == kind::groupbox || cs[j]->what == kind::groupbox) continue;
            rect a = onform(*cs[i]), b = onform(*cs[j]);
            bool apart =
                a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
            EXPECT_TRUE(apart) << n8(*cs[i]) << " covers " << n8(*cs[j]);
        }
}

std::vector<std::u16string> taborder(const form& f) {
    std::vector<const control*> stops;
    for (const control* c : f.controls())
        if (c->taborder >= 0) stops.push_back(c);
    std::sort(stops.begin(), stops.end(),
              [](const control* a, const control* b) { return a->taborder < b->taborder; });
    std::vector<std::u16string> names;
    for (std::size_t i = 0; i < stops.size(); ++i) {
        EXPECT_EQ(stops[i]->taborder, static_cast<int>(i)) << n8(*stops[i]);
        names.push_back(stops[i]->name);
    }
    return names;
}

} // namespace

TEST(Layout, EveryWindowFitsItsClientArea) {
    TForm2 f2;
    TForm3 f3;
    TForm4 f4;
    TForm5 f5;
    TForm8 f8;
    const auto size = [](const auto& c) { return std::pair(c.width, c.height); };
    EXPECT_EQ(size(f2), std::pair(551, 178));
    EXPECT_EQ(size(f3), std::pair(551, 173));
    EXPECT_EQ(size(f4), std::pair(510, 114));
    EXPECT_EQ(size(f4.ProgressBar1), std::pair(481, 33));
    EXPECT_EQ(size(f4.ProgressBar2), std::pair(481, 17));
    for (const form* f : std::initializer_list<const form*>{&f2, &f3, &f4, &f5, &f8}) {
        SCOPED_TRACE(platform::utf16to8(f->name()));
        EXPECT_FALSE(f->sizeable);
        EXPECT_TRUE(f->centred);
        checklayout(*f);
    }
}

TEST(Layout, TabOrders) {
    EXPECT_EQ(taborder(TForm2()),
              (std::vector<std::u16string>{u"Button1", u"Button2", u"Edit1", u"Edit2", u"Edit3",
                                           u"Button3", u"Button4", u"Button5", u"Button6",
                                           u"Button7", u"Button8"}));
    EXPECT_EQ(taborder(TForm3()),
              (std::vector<std::u16string>{u"Button1", u"Button2", u"ComboBox1", u"ComboBox2",
                                           u"CheckBox1", u"CheckBox2", u"Button3", u"Button4"}));
    // The settings dialog reads top to bottom, its buttons last.
    std::vector<std::u16string> settings = taborder(TForm8());
    ASSERT_EQ(settings.size(), 15u);
    EXPECT_EQ(settings.front(), u"Edit4");
    EXPECT_EQ(settings[settings.size() - 2], u"Button1");
    EXPECT_TRUE(taborder(TForm4()).empty());
}
