// Start-up, the settings (keep-names box and settings dialog), the help key
// in every window that has one, and the about box.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <fstream>

#include "apptest.h"
#include "help.h"

using namespace apptest;
using checker::cfgbytes;
namespace off = checker::cfgoffset;

namespace {

QString text(QWidget* w) {
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    return {};
}

bool ticked(QWidget* w) {
    auto* b = qobject_cast<QAbstractButton*>(w);
    return b && b->isChecked();
}

} // namespace

TEST(StartUp, FirstStartShowsTheProgramFolderAndWritesTheDefaults) {
    appenv e;
    forms::TForm1& f = e.main();
    uiqt::formview& v = e.view(f);
    EXPECT_TRUE(v.isVisible());
    EXPECT_EQ(v.windowTitle(), QStringLiteral(":: vorlinde 0.98 :: автокорректор mp3-тегов ::"));
    EXPECT_EQ(v.size(), QSize(796, 540));
    EXPECT_EQ(text(e.widget(f, f.Label1)), uiqt::qs(e.progdir.u16() + u"/"));
    EXPECT_TRUE(e.widget(f, f.Label1)->font().bold());
    EXPECT_TRUE(f.notstarted);

    // The report list: empty, one wide column, whole-row selection.
    EXPECT_EQ(e.rowcount(), 0);
    QListView* list = e.view(f).listof(f.ListView1);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);

    // Controls as they start.
    EXPECT_TRUE(ticked(e.widget(f, f.CheckBox3)));
    EXPECT_FALSE(e.widget(f, f.Button3)->isEnabled());
    EXPECT_TRUE(e.widget(f, f.Button1)->isEnabled());
    for (const forms::control* c : {&f.CheckBox5, &f.CheckBox2, &f.CheckBox4})
        EXPECT_FALSE(e.widget(f, *c)->isVisible()) << u8(c->name);
    EXPECT_EQ(text(e.widget(f, f.Button1)), QStringLiteral("Пуск"));
    // Hints on these four only.
    for (const forms::control* c : f.controls()) {
        const bool hinted =
            c == &f.Button2 || c == &f.Button1 || c == &f.CheckBox3 || c == &f.Button3;
        EXPECT_EQ(!e.widget(f, *c)->toolTip().isEmpty(), hinted) << u8(c->name);
    }

    // The settings file: the defaults, the program's folder as the root.
    ASSERT_EQ(fs::file_size(e.settingsfile()), checker::cfgsize);
    const cfgbytes b = readcfg(e.settingsfile());
    EXPECT_EQ(b[0] | (b[1] << 8), 9800);
    EXPECT_EQ(rootof(b), e.progdir.u16() + u"/");
    EXPECT_EQ(b[off::keepdirnames], 1);
    EXPECT_EQ(b[off::sortorder], 6);
    EXPECT_EQ(std::string(b.begin() + off::compname, b.begin() + off::compname + 3), "\x02VA");
    shoot(&v, "form1-start");
}

TEST(StartUp, StoredSettingsAreShownAndKept) {
    testutil::tempdir prog;
    {
        // A file as an earlier session wrote it: names not kept, root chosen,
        // personal compilations sorted by artist.
        appenv first;
        first.p->c.cfg.keepdirnames = 0;
        first.p->c.cfg.sortorder = 2;
        checker::strtobuf(first.p->c.cfg.rootdir, u"/музыка/альбомы");
        ASSERT_TRUE(checker::savecfg(first.p->c));
        fs::copy_file(first.settingsfile(), prog.path() / "brellian_gui.cnf");
    }
    const std::string before = testutil::readfile(prog.path() / "brellian_gui.cnf");
    appenv e;
    fs::copy_file(prog.path() / "brellian_gui.cnf", e.settingsfile(),
                  fs::copy_options::overwrite_existing);
    // A second program over that folder.
    uiqt::qthost h2;
    h2.urlopener = [](const std::u16string&) { return true; };
    ui::program p(h2, {}, e.progdir.u16());
    app::bindviews(h2, p);
    h2.show(p.Form1);
    EXPECT_EQ(text(h2.view(p.Form1).widgetas<QLabel>(p.Form1.Label1)),
              QStringLiteral("/музыка/альбомы"));
    EXPECT_FALSE(ticked(h2.view(p.Form1).widget(p.Form1.CheckBox3)));
    EXPECT_EQ(testutil::readfile(e.settingsfile()), before); // rewritten unchanged

    // The settings dialog shows the stored order; cancelling keeps the file.
    bool shown = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!p.Form8.visible || shown) return;
        shown = true;
        uiqt::formview& v = h2.view(p.Form8);
        EXPECT_TRUE(ticked(v.widget(p.Form8.RadioButton2)));
        EXPECT_FALSE(ticked(v.widget(p.Form8.RadioButton6)));
        QTest::mouseClick(v.widget(p.Form8.RadioButton4), Qt::LeftButton);
        QTest::mouseClick(v.widget(p.Form8.Button2), Qt::LeftButton);
    });
    poll.start(5);
    QTest::mouseClick(h2.view(p.Form1).widget(p.Form1.Button6), Qt::LeftButton);
    EXPECT_TRUE(shown);
    EXPECT_EQ(testutil::readfile(e.settingsfile()), before);
    EXPECT_EQ(p.c.cfg.sortorder, 2);
}

TEST(StartUp, SwitchScLeavesTheRootEmptyAndWritesNothing) {
    appenv e({u"-sC", u"ignored"});
    forms::TForm1& f = e.main();
    EXPECT_EQ(text(e.widget(f, f.Label1)), QString());
    EXPECT_FALSE(fs::exists(e.settingsfile()));
    EXPECT_TRUE(ticked(e.widget(f, f.CheckBox3)));
    EXPECT_TRUE(f.CheckBox2.checked);

    // The keep-names box and the settings dialog change the settings in
    // memory only.
    e.click(f, f.CheckBox3);
    EXPECT_FALSE(f.CheckBox3.checked);
    answers a(e);
    ui::program& p = *e.p;
    a.on(p.Form8, [&] {
        for (const forms::control* c : p.Form8.controls()) {
            if (c->what == forms::kind::checkbox || c->what == forms::kind::radiobutton) {
                EXPECT_FALSE(ticked(e.widget(p.Form8, *c))) << u8(c->name);
            }
        }
        EXPECT_EQ(text(e.widget(p.Form8, p.Form8.Edit4)), QString());
        typetext(e.widget(p.Form8, p.Form8.Edit4), QStringLiteral("Сборник"));
        e.click(p.Form8, p.Form8.Button1);
    });
    e.click(f, f.Button6);
    EXPECT_TRUE(a.done());
    EXPECT_EQ(p.c.vaname, u"Сборник");
    EXPECT_FALSE(fs::exists(e.settingsfile()));
    EXPECT_TRUE(fs::is_empty(e.progdir.path()));
}

TEST(Settings, KeepNamesBoxWritesTheFileEachTime) {
    appenv e;
    forms::TForm1& f = e.main();
    for (bool expect : {false, true, false}) {
        fs::remove(e.settingsfile());
        e.click(f, f.CheckBox3);
        ASSERT_TRUE(fs::exists(e.settingsfile()));
        const cfgbytes b = readcfg(e.settingsfile());
        EXPECT_EQ(b[off::keepdirnames], expect ? 1 : 0);
        EXPECT_EQ(rootof(b), e.progdir.u16() + u"/");
        EXPECT_EQ(ticked(e.widget(f, f.CheckBox3)), expect);
    }
}

TEST(Settings, DialogFilledFromTheSettingsAndSaved) {
    appenv e;
    forms::TForm1& f = e.main();
    ui::program& p = *e.p;
    forms::TForm8& d = p.Form8;
    answers a(e);
    a.on(d, [&] {
        uiqt::formview& v = e.view(d);
        EXPECT_EQ(v.windowTitle(), QStringLiteral("Настройки"));
        EXPECT_EQ(text(e.widget(d, d.Edit4)), QStringLiteral("VA"));
        for (auto [c, on] : {std::pair{&d.CheckBox1, true},
                             {&d.CheckBox2, true},
                             {&d.CheckBox3, true},
                             {&d.CheckBox4, false},
                             {&d.CheckBox5, false},
                             {&d.CheckBox6, true},
                             {&d.RadioButton6, true}})
            EXPECT_EQ(ticked(e.widget(d, *c)), on) << u8(c->name);
        shoot(&v, "form8-settings");
        auto* name = e.widget<QLineEdit>(d, d.Edit4);
        name->selectAll();
        typetext(name, QStringLiteral("Сборник"));
        e.click(d, d.RadioButton4);
        e.click(d, d.CheckBox1);
        e.click(d, d.CheckBox5);
        EXPECT_TRUE(ticked(e.widget(d, d.RadioButton4)));
        EXPECT_FALSE(ticked(e.widget(d, d.RadioButton6)));
        e.click(d, d.Button1);
    });
    fs::remove(e.settingsfile());
    e.click(f, f.Button6);
    ASSERT_TRUE(a.done());
    ASSERT_TRUE(fs::exists(e.settingsfile()));
    const cfgbytes b = readcfg(e.settingsfile());
    // "Сборник" in windows-1251.
    const std::string ansi = "\xD1\xE1\xEE\xF0\xED\xE8\xEA";
    EXPECT_EQ(b[off::compname], ansi.size());
    EXPECT_EQ(std::string(b.begin() + off::compname + 1, b.begin() + off::compname + 8), ansi);
    EXPECT_EQ((std::vector<int>{b[off::skipcompilations], b[off::numbering], b[off::sortorder],
                                b[off::titlesfromnames], b[off::itunesflag]}),
              (std::vector<int>{0, 1, 4, 1, 1}));
    EXPECT_EQ(rootof(b), e.progdir.u16() + u"/");
    EXPECT_FALSE(f.CheckBox2.checked); // the run's skip switch follows the dialog
    EXPECT_EQ(p.c.vaname, u"Сборник");

    // Changes cancelled are no changes; the dialog shows the settings again.
    const std::string saved = testutil::readfile(e.settingsfile());
    a.on(d, [&] {
        EXPECT_TRUE(ticked(e.widget(d, d.RadioButton4)));
        EXPECT_EQ(text(e.widget(d, d.Edit4)), QStringLiteral("Сборник"));
        e.click(d, d.CheckBox1);
        e.click(d, d.RadioButton1);
        e.click(d, d.Button2);
    });
    e.click(f, f.Button6);
    EXPECT_TRUE(a.done());
    EXPECT_EQ(testutil::readfile(e.settingsfile()), saved);
    EXPECT_FALSE(f.CheckBox2.checked);
    EXPECT_TRUE(a.unexpected.empty());
}

TEST(Help, F1OpensTheTopicOfEachWindow) {
    appenv e;
    forms::TForm1& f = e.main();
    ui::program& p = *e.p;
    auto pressed = [&](QWidget* w) {
        e.urls.clear();
        QTest::keyClick(w, Qt::Key_F1);
        return e.urls.empty() ? std::u16string() : e.urls.back();
    };

    // The main window: "start" until a run has begun.
    for (QWidget* w : {static_cast<QWidget*>(&e.view(f)), e.widget(f, f.ListView1),
                       e.widget(f, f.Button1), e.widget(f, f.CheckBox3)})
        EXPECT_EQ(pressed(w), forms::helpurl(u"start"));
    // Other keys open nothing.
    e.urls.clear();
    QTest::keyClick(&e.view(f), Qt::Key_F2);
    EXPECT_TRUE(e.urls.empty());

    // The settings dialog, on the controls that have the help key.
    answers a(e);
    a.on(p.Form8, [&] {
        EXPECT_EQ(pressed(e.widget(p.Form8, p.Form8.Edit4)), forms::helpurl(u"compsetup"));
        EXPECT_EQ(pressed(&e.view(p.Form8)), forms::helpurl(u"compsetup"));
        EXPECT_EQ(pressed(e.widget(p.Form8, p.Form8.CheckBox5)), u"");
        e.click(p.Form8, p.Form8.Button2);
    });
    e.click(f, f.Button6);

    // The run's dialogs: a folder without tags, one whose albums differ.
    e.mp3(u"a/01.mp3");
    e.mp3(u"b/01.mp3", {u"A", u"t1", u"X", u"2000", u"1", u"Pop"});
    e.mp3(u"b/02.mp3", {u"A", u"t2", u"Y", u"2000", u"2", u"Pop"});
    e.tagfiles();
    e.setroot(e.root());
    a.on(p.Form3, [&] {
        auto* combo = e.widget<QComboBox>(p.Form3, p.Form3.ComboBox1);
        EXPECT_EQ(pressed(combo->lineEdit()), forms::helpurl(u"discrepancy"));
        EXPECT_EQ(pressed(e.widget(p.Form3, p.Form3.Button1)), forms::helpurl(u"discrepancy"));
        EXPECT_EQ(pressed(e.widget(p.Form3, p.Form3.Button4)), u"");
        // Here the main window's topic has changed already.
        EXPECT_FALSE(f.notstarted);
        e.click(p.Form3, p.Form3.Button2);
    });
    a.on(p.Form2, [&] {
        for (auto [c, url] : {std::pair<forms::control*, std::u16string>{
                                  &p.Form2.Edit1, forms::helpurl(u"tagmissing")},
                              {&p.Form2.Button1, forms::helpurl(u"tagmissing")},
                              {&p.Form2.Button8, u""}})
            EXPECT_EQ(pressed(e.widget(p.Form2, *c)), url) << u8(c->name);
        e.click(p.Form2, p.Form2.Button5); // Stop
    });
    e.click(f, f.Button1);
    EXPECT_TRUE(a.done());
    EXPECT_TRUE(a.unexpected.empty());
    EXPECT_EQ(e.row(e.rowcount() - 2), u"Обработка отменена пользователем");

    // After a run: "editactions".
    for (QWidget* w : {static_cast<QWidget*>(&e.view(f)), e.widget(f, f.ListView1)})
        EXPECT_EQ(pressed(w), forms::helpurl(u"editactions"));
}

TEST(Help, PagesShipBesideTheProgramWithEveryTopic) {
    const fs::path site = fs::path(VORLINDE_APP_DIR) / "site";
    const std::string help = testutil::readfile(site / "russian.html");
    ASSERT_FALSE(help.empty());
    for (const char* topic : {"start", "editactions", "tagmissing", "discrepancy", "compsetup"})
        EXPECT_NE(help.find(std::string("id=\"") + topic + "\""), std::string::npos) << topic;
    EXPECT_NE(testutil::readfile(site / "index.html").find("vorlinde 0.98"), std::string::npos);
    // The address the program opens is a file URL of that page.
    const std::u16string url = forms::helpurl(u"start");
    EXPECT_TRUE(url.starts_with(u"file:///"));
    EXPECT_TRUE(url.ends_with(u"/site/russian.html#start"));
}

TEST(About, BoxNamesTheProgramAndLinksToTheSite) {
    appenv e;
    forms::TForm1& f = e.main();
    forms::TForm5& d = e.p->Form5;
    answers a(e);
    a.on(d, [&] {
        EXPECT_EQ(e.view(d).windowTitle(), QStringLiteral("Info"));
        EXPECT_EQ(text(e.widget(d, d.Label1)), QStringLiteral("vorlinde 0.98"));
        QWidget* link = e.widget(d, d.Label3);
        EXPECT_TRUE(link->font().underline());
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        shoot(&e.view(d), "form5-about");
        QTest::mouseClick(link, Qt::LeftButton);
        EXPECT_EQ(e.urls, std::vector<std::u16string>{forms::siteurl()});
        EXPECT_TRUE(e.view(d).isVisible()); // the link leaves the box open
        e.click(d, d.Button1);
    });
    e.click(f, f.Button5);
    EXPECT_TRUE(a.done());
    EXPECT_FALSE(e.view(d).isVisible());
    EXPECT_TRUE(forms::siteurl().ends_with(u"/site/index.html"));
}
