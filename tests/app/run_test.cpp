// A run as the user makes it: "Пуск" clicked on a generated tree, the
// dialogs answered through their buttons and fields, the report read as the
// list draws it.
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

#include "apply.h"
#include "apptest.h"
#include "testserver.h"
#include "tform4.h"
#include "worklists.h"

using namespace apptest;

namespace {

const QColor maroon(128, 0, 0), green(0, 128, 0), red(255, 0, 0);

// Some pixel of the area is near the colour (text is antialiased).
bool haspixel(const QImage& img, QRect r, const QColor& c) {
    r = r.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (const QColor p = img.pixelColor(x, y); std::abs(p.red() - c.red()) < 40 &&
                                                       std::abs(p.green() - c.green()) < 40 &&
                                                       std::abs(p.blue() - c.blue()) < 40)
                return true;
    return false;
}

// A tree with a folder of each kind a run meets.
void maketree(appenv& e) {
    for (int i = 1; i <= 3; ++i)
        e.mp3(u"Кино - Группа крови (1988)/0" + std::u16string(1, u'0' + i) + u" Песня.mp3",
              {u"Кино", u"Песня " + std::u16string(1, u'0' + i), u"Группа крови", u"1988",
               std::u16string(1, u'0' + i), u"Rock"});
    for (int i = 1; i <= 2; ++i) {
        const std::u16string n(1, u'0' + i);
        e.mp3(u"Нет альбома/0" + n + u" track.mp3",
              {u"Аквариум", u"Трек " + n, u"Радио Африка", u"1983", n, u"Rock"});
        e.mp3(u"old name/0" + n + u" track.mp3",
              {u"ДДТ", u"Трек " + n, u"Актриса весна", u"1992", n, u"Rock"});
        e.mp3(u"untagged/0" + n + u" track.mp3");
        e.mp3(u"mixed/0" + n + u" track.mp3",
              {u"Alpha", u"Track " + n, i == 1 ? u"Same" : u"Same (CD2)", u"2001", n, u"Pop"});
    }
    e.folder(u"empty");
    e.tagfiles();
}

} // namespace

TEST(Run, StartClickedWithTheDialogsAnsweredThroughTheirWidgets) {
    appenv e;
    maketree(e);
    e.setroot(e.root());
    forms::TForm1& f = e.main();
    ui::program& p = *e.p;

    // Folder names are to follow the tags.
    e.click(f, f.CheckBox3);
    ASSERT_FALSE(f.CheckBox3.checked);

    answers a(e);
    std::u16string caption1;
    bool startenabled = true;
    a.on(p.Form2, [&] {
        // The controls of the main window while the run waits.
        caption1 = uiqt::u16(e.widget<QPushButton>(f, f.Button1)->text());
        startenabled = e.widget(f, f.Button1)->isEnabled();
        EXPECT_EQ(uiqt::u16(e.widget<QLabel>(p.Form2, p.Form2.Label5)->text()),
                  u"untagged: нет альбома и исполнителя");
        auto* artist = e.widget<QLineEdit>(p.Form2, p.Form2.Edit1);
        auto* album = e.widget<QLineEdit>(p.Form2, p.Form2.Edit2);
        auto* year = e.widget<QLineEdit>(p.Form2, p.Form2.Edit3);
        artist->selectAll();
        typetext(artist, QStringLiteral("Наутилус Помпилиус"));
        album->selectAll();
        typetext(album, QStringLiteral("Разлука"));
        typetext(year, QStringLiteral("1986x"));
        EXPECT_EQ(p.Form2.Edit3.text, u"1986");
        shoot(&e.view(p.Form2), "form2-missing-data");
        e.click(p.Form2, p.Form2.Button1);
    });
    a.on(p.Form3, [&] {
        EXPECT_EQ(p.Form3.Label2.caption, e.path(u"mixed"));
        auto* album = e.widget<QComboBox>(p.Form3, p.Form3.ComboBox2);
        ASSERT_TRUE(album->isEditable());
        album->lineEdit()->selectAll();
        typetext(album->lineEdit(), QStringLiteral("Same & Other"));
        shoot(&e.view(p.Form3), "form3-unify");
        e.click(p.Form3, p.Form3.Button1);
    });
    e.click(f, f.Button1);
    EXPECT_TRUE(a.done());
    EXPECT_TRUE(a.unexpected.empty());

    EXPECT_EQ(caption1, u"Работаю...");
    EXPECT_FALSE(startenabled);

    // The run's lines, in the order the folders were taken.
    ASSERT_EQ(e.rowcount(), static_cast<int>(f.ListView1.items.size()));
    EXPECT_EQ(e.row(0), u"Обработка дерева папок " + e.root());
    std::vector<int> paths;
    for (auto rel : {u"Нет альбома", u"Кино - Группа крови (1988)", u"untagged", u"old name",
                     u"mixed", u"empty", u""})
        paths.push_back(e.line(e.path(rel)));
    for (std::size_t i = 0; i < paths.size(); ++i) {
        EXPECT_GT(paths[i], i ? paths[i - 1] : 0) << i;
        EXPECT_EQ(e.row(paths[i] - 1), u"") << i;
    }
    EXPECT_EQ(e.row(paths[1] + 4), u" -- Ok");
    EXPECT_EQ(e.row(paths[5] + 1), u" -- нет mp3-файлов");
    EXPECT_EQ(e.row(e.rowcount() - 2),
              u"Нажмите \"Применить\" для физического выполнения операций или \"Пуск\" для "
              u"повторной обработки дерева папок.");

    // Afterwards: Start again, Apply available for the operations planned.
    EXPECT_EQ(uiqt::u16(e.widget<QPushButton>(f, f.Button1)->text()), u"Пуск");
    for (const forms::control* c : {&f.Button1, &f.Button2, &f.Button3})
        EXPECT_TRUE(e.widget(f, *c)->isEnabled()) << u8(c->name);
    EXPECT_FALSE(p.c.plannedops.empty());
    EXPECT_FALSE(p.running);

    // Each line drawn as its text and its operation say.
    // A colour and bold or not; no colour is the list's own.
    const auto drawn = [&](int r) {
        return (e.color(r).isValid() ? e.color(r).name().toStdString() : "none") +
               (e.font(r).bold() ? " bold" : "") + (e.font(r).strikeOut() ? " struck" : "");
    };
    const int ok = paths[1] + 4;
    // A rename whose folder is called "Нет альбома": red, and bold while on.
    const int redrename = e.linestarting(u"  > Переименовать Нет альбома В ");
    const std::pair<int, std::string> styles[] = {
        {0, "none"},
        {ok, "#800000 bold"},
        {paths[5] + 1, "#800000 bold"},
        {redrename, "#ff0000 bold"},
        {e.line(u"  Нет исполнителя: 02 track.mp3"), "#ff0000"},
        {e.linestarting(u"  Номера треков отсутствуют или неверны"), "#ff0000"},
        {e.line(u"      Same (CD2): 1 трек"), "#800080"},
        {e.linestarting(u"  > (Пере)записать id3-теги -> [Alpha :: Same & Other"), "none bold"}};
    for (const auto& [r, style] : styles) {
        ASSERT_GE(r, 0) << style;
        EXPECT_EQ(drawn(r), style) << u8(e.row(r));
    }

    // A rename switched off is struck out and no longer bold; on again, bold.
    const int rename = e.line(u"  > Переименовать old name В ДДТ - Актриса весна (1992)");
    ASSERT_GT(rename, 0);
    EXPECT_EQ(drawn(rename), "#008000 bold");
    checker::oplist* op = checker::findop(p.c.plannedops, rename);
    ASSERT_NE(op, nullptr);
    EXPECT_EQ(op->opcode, checker::rename_dir);
    op->perform = false;
    e.h.repaint(f);
    EXPECT_EQ(drawn(rename), "#008000 struck");

    // The list paints those colours where the user sees them.
    QListView* list = e.view(f).listof(f.ListView1);
    list->scrollTo(e.rows()->index(redrename), QAbstractItemView::PositionAtTop);
    QApplication::processEvents();
    const QImage img = e.view(f).grab().toImage();
    auto rowrect = [&](int r) {
        const QRect rect = list->visualRect(e.rows()->index(r));
        return QRect(list->viewport()->mapTo(&e.view(f), rect.topLeft()), rect.size());
    };
    EXPECT_TRUE(haspixel(img, rowrect(redrename), red));
    EXPECT_FALSE(haspixel(img, rowrect(redrename), green));
    EXPECT_TRUE(haspixel(img, rowrect(ok), maroon));
    shoot(&e.view(f), "form1-after-run");
    op->perform = true;
    EXPECT_EQ(drawn(rename), "#008000 bold");

    // A run reads and reports; the disk stays as it was.
    for (auto rel : {u"untagged", u"old name", u"Нет альбома", u"mixed"})
        EXPECT_TRUE(fs::is_directory(e.native(rel))) << u8(rel);
    EXPECT_EQ(mutagenframes(e.native(u"mixed/02 track.mp3"), "TPE1,TALB"),
              "TPE1=Alpha;TALB=Same (CD2)");
}

TEST(Run, LookupFromTheMissingDataDialogShowsItsWindows) {
    for (const char* v :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(v);
    testutil::testserver server;
    setenv("VORLINDE_DISCOGS_URL", server.base().c_str(), 1);
    server.route("/database/search",
                 R"({"results": [
                     {"title": "Other - Something", "year": "1970", "format": ["LP"],
                      "resource_url": "{base}/releases/1"},
                     {"title": "Silver Lane - Harbour Lights", "year": "1999", "format": ["CD"],
                      "resource_url": "{base}/releases/7"}]})");
    server.route("/releases/7", R"j({"title": "Harbour Lights", "year": 1999,
        "artists": [{"name": "Silver Lane (2)"}],
        "tracklist": [{"position": "1", "title": "Low Tide"}, {"position": "2", "title": "Lanterns"}]})j");

    appenv e;
    e.mp3(u"unknown/01.mp3", {u"", u"Low Tide", u"", u"", u"1", u""});
    e.mp3(u"unknown/02.mp3", {u"", u"Lanterns", u"", u"", u"2", u""});
    e.tagfiles();
    e.setroot(e.root());
    ui::program& p = *e.p;
    answers a(e);
    bool waitshown = false;
    a.on(p.Form2, [&] {
        EXPECT_EQ(p.Form2.Edit1.text, u"unknown"); // proposed from the folder's name
        e.click(p.Form2, p.Form2.Button3);         // the lookup: its chooser answers below
        EXPECT_EQ(uiqt::u16(e.widget<QLineEdit>(p.Form2, p.Form2.Edit1)->text()), u"Silver Lane");
        EXPECT_EQ(uiqt::u16(e.widget<QLineEdit>(p.Form2, p.Form2.Edit2)->text()),
                  u"Harbour Lights");
        EXPECT_EQ(uiqt::u16(e.widget<QLineEdit>(p.Form2, p.Form2.Edit3)->text()), u"1999");
        EXPECT_TRUE(e.widget(p.Form2, p.Form2.Button7)->isVisible()); // "Вернуть"
        EXPECT_FALSE(e.view(p.Form6).isVisible());                    // the wait is over
        e.click(p.Form2, p.Form2.Button1);
    });
    a.on(p.Form7, [&] {
        // The wait window stays up while the user chooses.
        waitshown = e.view(p.Form6).isVisible();
        shoot(&e.view(p.Form6), "form6-wait");
        auto* combo = e.widget<QComboBox>(p.Form7, p.Form7.ComboBox1);
        ASSERT_EQ(combo->count(), 2);
        EXPECT_EQ(uiqt::u16(combo->itemText(1)), u"Silver Lane - Harbour Lights (1999) [\"CD\"]");
        // The second release, picked from the drop-down list.
        combo->showPopup();
        QAbstractItemView* popup = combo->view();
        QTest::mouseClick(popup->viewport(), Qt::LeftButton, {},
                          popup->visualRect(popup->model()->index(1, 0)).center());
        EXPECT_EQ(p.Form7.ComboBox1.itemindex, 1);
        shoot(&e.view(p.Form7), "form7-choose-release");
        e.click(p.Form7, p.Form7.Button1);
    });
    e.click(e.main(), e.main().Button1);
    unsetenv("VORLINDE_DISCOGS_URL");
    EXPECT_TRUE(a.done());
    EXPECT_TRUE(a.unexpected.empty());
    EXPECT_TRUE(waitshown);
    EXPECT_TRUE(e.errors.empty());
    ASSERT_EQ(server.targets().size(), 2u);
    EXPECT_EQ(server.targets()[1], "/releases/7");
    EXPECT_GT(e.line(u"  Исполнитель: Silver Lane"), 0);
    EXPECT_GT(e.linestarting(u"  > (Пере)записать id3-теги -> [Silver Lane :: Harbour Lights"), 0);
}

TEST(Run, ApplyAfterARunChangesTheDiskWithTheProgressWindowUp) {
    appenv e;
    for (int i = 1; i <= 2; ++i) {
        const std::u16string n(1, static_cast<char16_t>(u'0' + i));
        e.mp3(u"old name/0" + n + u" track.mp3",
              {u"ДДТ", u"Трек " + n, u"Актриса весна", u"1992", n, u"Rock"});
        e.mp3(u"Нет альбома/0" + n + u" track.mp3",
              {u"Аквариум", u"Трек " + n, u"Радио Африка", u"1983", n, u"Rock"});
    }
    // One file tagged fully, the other with its title alone: completed
    // without a question.
    e.mp3(u"partial/01 track.mp3",
          {u"Кино", u"Звезда", u"Звезда по имени Солнце", u"1989", u"1", u"Rock"});
    e.mp3(u"partial/02 track.mp3", {u"", u"Кукушка", u"", u"", u"2", u"Rock"});
    e.tagfiles();
    e.setroot(e.root());
    forms::TForm1& f = e.main();
    ui::program& p = *e.p;
    e.click(f, f.CheckBox3); // folders are to be renamed
    answers a(e);
    e.click(f, f.Button1);
    ASSERT_TRUE(a.unexpected.empty());
    ASSERT_TRUE(e.widget(f, f.Button3)->isEnabled());

    // The second folder's rename switched off.
    const int keep = e.linestarting(u"  > Переименовать Нет альбома В ");
    ASSERT_GT(keep, 0);
    checker::findop(p.c.plannedops, keep)->perform = false;
    const std::int32_t writes = checker::counttagwrites(p.c);
    ASSERT_GT(writes, 0);

    // While Apply works: the progress window on top, the main window disabled.
    struct seen {
        bool progress = false, ontop = false, mainenabled = true;
        std::u16string label;
        QString title;
    } s;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!p.c.form4) return;
        uiqt::formview* v = e.h.findview(*p.c.form4);
        if (!v || !v->isVisible()) return;
        if (!s.progress) {
            shoot(v, "form4-progress");
            // A folder dropped now changes nothing.
            drop(e, {local(e.native(u"old name"))});
            f.ondrop({e.path(u"partial")});
        }
        s.progress = true;
        s.ontop = v->windowFlags() & Qt::WindowStaysOnTopHint;
        s.title = v->windowTitle();
        s.label = uiqt::u16(v->widgetas<QLabel>(p.c.form4->Label1)->text());
        s.mainenabled = e.view(f).isEnabled();
    });
    poll.start(0);
    e.h.paintinterval = 0; // every repaint reaches the widgets, for the poll to see
    e.click(f, f.Button3);
    poll.stop();

    EXPECT_TRUE(s.progress);
    EXPECT_TRUE(s.ontop);
    EXPECT_FALSE(s.mainenabled);
    EXPECT_EQ(s.title, QStringLiteral("(Перез)записываю теги, ждите"));
    EXPECT_TRUE(s.label.starts_with(u"Файл ")) << u8(s.label);
    EXPECT_TRUE(
        s.label.ends_with(u" из " + std::u16string(1, u'0' + writes) + u" (02 track.mp3)") ||
        s.label.ends_with(u" из " + std::u16string(1, u'0' + writes) + u" (01 track.mp3)"))
        << u8(s.label);

    // Afterwards: the progress window gone, the controls restored.
    EXPECT_EQ(p.c.form4, nullptr);
    EXPECT_EQ(e.h.viewcount(), 1u); // the progress window kept none
    QApplication::processEvents();
    EXPECT_TRUE(e.view(f).isEnabled());
    EXPECT_EQ(uiqt::u16(e.widget<QPushButton>(f, f.Button1)->text()), u"Пуск");
    EXPECT_TRUE(e.widget(f, f.Button1)->isEnabled());
    EXPECT_FALSE(e.widget(f, f.Button3)->isEnabled());
    EXPECT_TRUE(p.c.plannedops.empty());
    EXPECT_GT(e.line(u"Вношу изменения"), 0);
    EXPECT_EQ(e.row(e.rowcount() - 1), u"Все выполнено");
    QApplication::processEvents();
    EXPECT_EQ(f.Label1.caption, e.root());
    EXPECT_EQ(e.row(e.rowcount() - 1), u"Все выполнено");
    EXPECT_FALSE(p.applying);

    // The disk: renamed where switched on, tags written and read back.
    EXPECT_TRUE(fs::is_directory(e.native(u"ДДТ - Актриса весна (1992)")));
    EXPECT_FALSE(fs::exists(e.native(u"old name")));
    EXPECT_TRUE(fs::is_directory(e.native(u"Нет альбома")));
    const fs::path partial = e.native(u"Кино - Звезда по имени Солнце (1989)");
    ASSERT_TRUE(fs::is_directory(partial));
    EXPECT_EQ(mutagenframes(partial / "02 track.mp3", "TPE1,TIT2,TALB,TDRC"),
              "TPE1=Кино;TIT2=Кукушка;TALB=Звезда по имени Солнце;TDRC=1989");
    EXPECT_TRUE(a.unexpected.empty());
}

TEST(Run, SecondStartBeginsAfreshAndApplyFollowsTheOperations) {
    appenv e;
    forms::TForm1& f = e.main();
    ui::program& p = *e.p;
    // "b" plans a rename without asking; "a" has no tags and asks first.
    for (int i = 1; i <= 2; ++i) {
        const std::u16string n(1, static_cast<char16_t>(u'0' + i));
        e.mp3(u"b/0" + n + u".mp3", {u"Пикник", u"Трек " + n, u"Иероглиф", u"1986", n, u"Rock"});
    }
    e.mp3(u"a/01.mp3");
    e.tagfiles();
    e.setroot(e.root());
    e.click(f, f.CheckBox3); // rename folders

    // Stopped in the second folder: the first one's rename stays, and Apply
    // is offered for it.
    answers a(e);
    a.on(p.Form2, [&] { e.click(p.Form2, p.Form2.Button5); });
    e.click(f, f.Button1);
    ASSERT_TRUE(a.done());
    EXPECT_EQ(e.row(e.rowcount() - 2), u"Обработка отменена пользователем");
    EXPECT_GT(e.linestarting(u"  > Переименовать b В Пикник - Иероглиф (1986)"), 0);
    EXPECT_TRUE(e.widget(f, f.Button3)->isEnabled());
    const std::vector<std::u16string> first = f.ListView1.items;

    // Again, the same answers: the same lines, not added to the old ones.
    a.on(p.Form2, [&] { e.click(p.Form2, p.Form2.Button5); });
    e.click(f, f.Button1);
    ASSERT_TRUE(a.done());
    EXPECT_EQ(f.ListView1.items, first);
    EXPECT_EQ(e.rowcount(), static_cast<int>(first.size()));
    EXPECT_EQ(std::distance(p.c.plannedops.begin(), p.c.plannedops.end()), 1);

    // A run that plans nothing leaves Apply disabled.
    e.click(f, f.CheckBox3); // keep folder names
    fs::remove_all(e.native(u"a"));
    e.click(f, f.Button1);
    EXPECT_TRUE(a.unexpected.empty());
    EXPECT_TRUE(p.c.plannedops.empty());
    EXPECT_FALSE(e.widget(f, f.Button3)->isEnabled());
    EXPECT_EQ(e.row(0), u"Обработка дерева папок " + e.root());
    EXPECT_EQ(e.line(e.path(u"a")), -1);
}
