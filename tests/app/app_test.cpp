// The whole program with its real windows, offscreen, over MP3 files made by
// lame and tagged by mutagen: dialogs answered through their widgets, the
// report read as the list shows it, the disk read back after Apply.
#include <gtest/gtest.h>

#include <QTest>
#include <QtWidgets>

#include "answers.h"
#include "help.h"
#include "mp3fixture.h"
#include "program.h"
#include "reportmodel.h"
#include "tform4.h"
#include "window.h"

namespace fs = std::filesystem;
using forms::helpurl;

namespace {

// Saves a picture of the window when VORLINDE_SCREENSHOTS names a folder.
void shoot(QWidget* w, const QString& name) {
    const QString dir = qEnvironmentVariable("VORLINDE_SCREENSHOTS");
    if (!dir.isEmpty() && QDir().mkpath(dir)) w->grab().save(dir + "/" + name + ".png");
}

// The program, answering the modal windows in the order given, each showing
// once: a form's view or (no form) the folder browser.
struct env {
    testutil::tempdir progdir, music;
    uiqt::qthost h;
    std::u16string url; // opened instead of a browser
    ui::program p;
    testqt::answers todo;
    explicit env(std::vector<std::u16string> args = {}) : p(h, std::move(args), progdir.u16()) {
        h.urlopener = [this](const std::u16string& u) { return url = u, true; };
        app::bindviews(h, p);
        h.show(p.Form1);
    }
    void on(forms::form* f, std::function<void()> act) {
        todo.on(
            [this, f](QWidget* m) {
                return qobject_cast<uiqt::formview*>(m) == (f ? h.findview(*f) : nullptr) &&
                       (!f || f->modalresult == forms::mrNone);
            },
            [f, act = std::move(act)] {
                shoot(QApplication::activeModalWidget(),
                      f ? QString::fromStdU16String(f->name()) : "browser");
                act();
            });
    }
    QWidget* w(forms::form& f, const forms::control& c) { return h.view(f).widget(c); }
    void click(forms::form& f, forms::control& c) { QTest::mouseClick(w(f, c), Qt::LeftButton); }
    std::u16string f1(QWidget* x) { return url.clear(), QTest::keyClick(x, Qt::Key_F1), url; }
    void mp3s(const std::vector<std::pair<fs::path, mp3fixture::tags>>& files) {
        for (const auto& [path, tags] : files) fs::create_directories(path.parent_path());
        for (const auto& [path, tags] : files) testutil::writefile(path, mp3fixture::basemp3());
        mp3fixture::tagwithmutagen(files);
    }
    // The report as the list shows it.
    QStringList rows() {
        QStringList r;
        uiqt::reportmodel* m = h.view(p.Form1).rowsof(p.Form1.ListView1);
        for (int i = 0; i < m->rowCount(); ++i) r << m->index(i).data().toString();
        return r;
    }
    void drop(const fs::path& folder) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(folder.string()))});
        QDragEnterEvent enter({9, 9}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QDropEvent dropped({9, 9}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&h.view(p.Form1), &enter);
        QApplication::sendEvent(&h.view(p.Form1), &dropped);
    }
};

} // namespace

TEST(App, RunAndApplyThroughTheWindowChangeTheDiskAsAnswered) {
    env e;
    ui::program& p = e.p;
    forms::TForm1& f = p.Form1;
    EXPECT_TRUE(fs::exists(e.progdir.path() / "brellian_gui.cnf")); // written at the first start
    const fs::path top = e.music.path() / "top";
    std::vector<std::pair<fs::path, mp3fixture::tags>> files;
    for (auto [n, album] : {std::pair{"1.mp3", u"Same"}, {"2.mp3", u"Other"}}) {
        const std::u16string t(1, n[0]);
        files.push_back({top / "old name" / n, {u"ДДТ", t, u"Актриса весна", u"1992", t}});
        files.push_back({top / "mixed" / n, {u"Alpha", t, album, u"2001", t}});
        files.push_back({top / n, {}}); // asked last: a folder comes after its children
    }
    fs::create_directories(top / "empty");
    e.mp3s(files);

    EXPECT_EQ(e.f1(&e.h.view(f)), helpurl(u"start"));
    e.click(f, f.CheckBox3); // folders are to be renamed
    const QString root(top.c_str());
    e.on(nullptr, [&] {
        QWidget* browser = QApplication::activeModalWidget();
        browser->findChild<QLineEdit*>("fileNameEdit")->setText(root); // as if typed
        static_cast<QDialog*>(browser)->accept();
    });
    e.click(f, f.Button2);

    e.on(&p.Form3, [&] {
        QLineEdit* album = static_cast<QComboBox*>(e.w(p.Form3, p.Form3.ComboBox2))->lineEdit();
        EXPECT_EQ(e.f1(album), helpurl(u"discrepancy"));
        album->selectAll();
        QTest::keyClicks(album, "Same Album");
        e.click(p.Form3, p.Form3.Button1);
    });
    forms::TForm2& q = p.Form2;
    e.on(&q, [&] {
        EXPECT_EQ(e.f1(e.w(q, q.Edit1)), helpurl(u"tagmissing"));
        for (auto [c, t] : {std::pair{&q.Edit1, "Kino"}, {&q.Edit2, "Gold"}, {&q.Edit3, "19x86"}}) {
            static_cast<QLineEdit*>(e.w(q, *c))->selectAll();
            QTest::keyClicks(e.w(q, *c), t);
        }
        e.drop(e.progdir.path()); // ignored, through the window or not: the run is not over
        f.ondrop({e.progdir.u16()});
        e.click(q, q.Button1);
    });
    e.click(f, f.Button1);
    testqt::drain();                                              // the drops handled
    EXPECT_EQ(QString::fromStdU16String(f.Label1.caption), root); // the drops changed nothing
    for (const QString& line :
         QStringList{"Обработка дерева папок " + root, " -- нет mp3-файлов",
                     "  > Переименовать old name В ДДТ - Актриса весна (1992)",
                     "  > (Пере)записать id3-теги -> [Kino :: Gold :: 1986]",
                     "  > (Пере)записать id3-теги -> [Alpha :: Same Album :: 2001]",
                     "Обработка окончена. Теперь можно просмотреть запланированные операции."})
        EXPECT_TRUE(e.rows().contains(line)) << line.toStdString();
    EXPECT_EQ(e.f1(e.w(f, f.ListView1)), helpurl(u"editactions"));
    shoot(&e.h.view(f), "Form1");

    bool seen = false; // the progress window up and on top, the main window disabled
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        uiqt::formview* v = p.c.form4 ? e.h.findview(*p.c.form4) : nullptr;
        if (!v || !v->isVisible() || seen) return;
        seen = v->windowFlags() & Qt::WindowStaysOnTopHint && !e.h.view(f).isEnabled();
        shoot(v, "Form4");
    });
    poll.start(0);
    e.h.paintinterval = 0; // every repaint reaches the widgets, for the poll to see
    e.click(f, f.Button3);
    EXPECT_TRUE(seen);
    EXPECT_EQ(e.rows().back(), "Все выполнено");
    const fs::path asked = e.music.path() / "Kino - Gold (1986)/1.mp3";
    const fs::path kept = asked.parent_path() / "ДДТ - Актриса весна (1992)/2.mp3";
    const fs::path unified = asked.parent_path() / "Alpha - Same Album (2001)/2.mp3";
    auto tags = mp3fixture::mutagenread({asked, kept, unified});
    EXPECT_EQ(tags[asked.string()].major, 3);
    auto tag = [&](const fs::path& file, const char* id) { return tags[file.string()].frames[id]; };
    EXPECT_EQ(tag(asked, "TPE1") + "/" + tag(asked, "TALB") + "/" + tag(asked, "TYER"),
              "Kino/Gold/1986");
    EXPECT_EQ(tag(kept, "TPE1") + "/" + tag(unified, "TALB"), "ДДТ/Same Album");
    EXPECT_GT(mp3fixture::ffprobeframes(asked), 0);
    EXPECT_EQ(mp3fixture::ffprobeframes(asked), mp3fixture::ffprobeframes(kept));

    e.drop(kept.parent_path());                  // one folder dropped: a run over it
    EXPECT_EQ(e.rows().back(), "Все выполнено"); // not yet: once the drop is over
    testqt::drain();
    EXPECT_EQ(e.rows().at(0), "Обработка дерева папок " + QString(kept.parent_path().c_str()));
}

TEST(App, SwitchScWritesNoSettings) {
    env e({u"-SC"});
    forms::TForm8& d = e.p.Form8;
    e.click(e.p.Form1, e.p.Form1.CheckBox3);
    e.on(&d, [&] { e.click(d, d.Button1); }); // saved
    e.click(e.p.Form1, e.p.Form1.Button6);
    EXPECT_TRUE(e.todo.empty() && fs::is_empty(e.progdir.path()));
}

TEST(App, HelpPagesShipWithEveryTopicTheKeysOpen) {
    const std::string page = testutil::readfile(fs::path(VORLINDE_APP_DIR) / "site/russian.html");
    for (const char* topic : {"start", "editactions", "tagmissing", "discrepancy", "compsetup"})
        EXPECT_NE(page.find(std::string("id=\"") + topic + "\""), std::string::npos) << topic;
}

// The report reviewed in the real window: a right click on a row and the
// real check box, a double click opening the folder tag editor's table and
// its all-tracks dialog, the editor's write, then Apply; the disk read back.
TEST(EditorView, ReviewInTheRealWindowThenApply) {
    env e;
    const fs::path m = e.music.path();
    e.mp3s({{m / "one/01 a.mp3", {u"A", u"T1", u"B", u"1990", u"1"}},
            {m / "one/02 b.mp3", {u"A", u"T2", u"B", u"1990", u"2"}},
            {m / "two/01 c.mp3", {u"C", u"", u"D", u"2000", u"1"}}});
    forms::TForm1& f = e.p.Form1;
    ui::program& p = e.p;
    f.Label1.caption = e.music.u16();               // the root
    e.click(f, f.CheckBox3), e.click(f, f.Button1); // a run proposing folder renames
    QListView* list = e.h.view(f).listof(f.ListView1);
    auto line = [&](const QString& s) { // the first that starts so
        return e.rows().indexOf(QRegularExpression(QRegularExpression::escape(s) + ".*"));
    };
    auto at = [&](const QString& s) {
        return list->visualRect(list->model()->index(line(s), 0)).center();
    };
    // The title fill of "two": off by a right click, on by the box, off again.
    for (bool box : {false, true, false})
        box ? e.click(f, f.CheckBox5)
            : QTest::mouseClick(list->viewport(), Qt::RightButton, {}, at("  > (Пере)записать"));
    EXPECT_TRUE(!f.CheckBox5.checked && !e.w(f, f.CheckBox5)->font().bold());

    e.on(&p.Form10, [&] {
        auto* t = static_cast<QTableWidget*>(e.w(p.Form10, p.Form10.ListView1));
        QString columns;
        for (int c = 0; c < t->columnCount(); ++c)
            columns += t->horizontalHeaderItem(c)->text() + QString(":%1 ").arg(t->columnWidth(c));
        EXPECT_EQ(columns, "Имя файла:200 Название трека:200 Исполнитель:150 Альбом:150 Год:50 "
                           "Номер Трека:60 Жанр:150 ");
        EXPECT_TRUE(t->showGrid() && t->selectionBehavior() == QAbstractItemView::SelectRows &&
                    t->editTriggers() == QAbstractItemView::NoEditTriggers);
        e.click(p.Form10, p.Form10.Button1);
        EXPECT_EQ(t->item(1, 1)->text() + t->item(1, 3)->text(), "T2New");
        shoot(&e.h.view(p.Form10), "Form10");
        e.click(p.Form10, p.Form10.Button2), e.click(p.Form10, p.Form10.Button3); // write, close
    });
    e.on(&p.Form11, [&] {
        e.click(p.Form11, p.Form11.CheckBox2);
        QWidget* album = e.w(p.Form11, p.Form11.Edit2);
        QTest::keyClick(album, Qt::Key_A, Qt::ControlModifier); // selects all
        QTest::keyClicks(album, "New"), e.click(p.Form11, p.Form11.Button1);
    });
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at(QString(m.c_str()) + "/one"));
    EXPECT_EQ(p.Form10.caption, u"Редактор MP3-тегов папки: one");
    EXPECT_EQ(e.rows().value(line("переименовать")), "переименовать one В A - New (1990)");
    e.click(f, f.Button3);
    const fs::path b = m / "A - New (1990)/02 b.mp3", c = m / "C - D (2000)/01 c.mp3";
    auto tags = mp3fixture::mutagenread({b, c});
    EXPECT_EQ(tags[b.string()].frames["TALB"] + tags[b.string()].frames["TIT2"], "NewT2");
    EXPECT_EQ(tags[c.string()].frames["TIT2"], "");
    f.select(f.ListView1, line(QString(m.c_str()) + "/one")),
        f.ListView1.ondblclick(); // gone: nothing opens
    EXPECT_TRUE(e.todo.empty());
}

// Keys in the reused dialogs of a run and of the editor, sent where the focus
// is: Enter at a dialog shown again after another button, Esc in the
// all-tracks dialog and in the editor after a write; then Apply keeps what
// the editor wrote.
TEST(EditorView, KeysAnswerTheDialogsAndTheEditorsWriteSurvivesApply) {
    env e;
    const fs::path m = e.music.path();
    e.mp3s({{m / "one/01 a.mp3", {u"A", u"T1", u"B", u"1990", u"1"}},
            {m / "one/02 b.mp3", {u"A", u"T2", u"B2", u"1990", u"2"}},
            {m / "two/01 c.mp3", {u"C", u"T1", u"D", u"2000", u"1"}},
            {m / "two/02 d.mp3", {u"C", u"T2", u"D2", u"2000", u"2"}}});
    ui::program& p = e.p;
    forms::TForm1& f = p.Form1;
    auto key = [&](forms::form& d, Qt::Key k) { QTest::keyClick(e.h.view(d).focusWidget(), k); };
    std::u16string asked;                                       // the folder answered by Enter
    e.on(&p.Form3, [&] { e.click(p.Form3, p.Form3.Button4); }); // "Личная компиляция"
    e.on(&p.Form3, [&] {
        asked = p.Form3.Label2.caption;
        key(p.Form3, Qt::Key_Escape); // no answer: the close box is one here
        key(p.Form3, Qt::Key_Return);
        EXPECT_EQ(p.Form3.modalresult, forms::mrOk);
    });
    f.Label1.caption = e.music.u16(), e.click(f, f.Button1);
    ASSERT_FALSE(asked.empty());
    forms::TForm10& t = p.Form10;
    forms::TForm11& d = p.Form11;
    auto album = [&] { // as the editor's table shows it, every row
        auto* w = static_cast<QTableWidget*>(e.w(t, t.ListView1));
        return w->item(0, 3)->text() + "|" + w->item(1, 3)->text();
    };
    QString before;
    e.on(&t, [&] {
        before = album();
        e.click(t, t.Button1);
        EXPECT_EQ(album(), before); // Esc: nothing changed
        e.click(t, t.Button1);
        EXPECT_EQ(album(), "New|New");
        e.click(t, t.Button2), key(t, Qt::Key_Escape); // written, closed as by the close box
        if (!t.modalresult) e.click(t, t.Button3);
    });
    for (bool ok : {false, true})
        e.on(&d, [&, ok] {
            e.click(d, d.CheckBox2), e.click(d, d.Edit2);
            QTest::keyClick(e.w(d, d.Edit2), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(e.w(d, d.Edit2), "New"), key(d, ok ? Qt::Key_Return : Qt::Key_Escape);
            EXPECT_EQ(d.modalresult, ok ? forms::mrOk : forms::mrCancel);
            if (!d.modalresult) e.click(d, d.Button2);
        });
    f.select(f.ListView1,
             int(std::ranges::find(f.ListView1.items, asked) - f.ListView1.items.begin()));
    f.ListView1.ondblclick();
    EXPECT_TRUE(e.todo.empty() && t.modalresult == forms::mrCancel) << before.toStdString();
    e.click(f, f.Button3); // Apply
    std::vector<fs::path> files;
    for (const auto& x : fs::recursive_directory_iterator(m))
        if (x.path().extension() == ".mp3") files.push_back(x.path());
    std::string albums; // every file's: the two the editor wrote still "New"
    for (auto& [file, tag] : mp3fixture::mutagenread(files)) albums += tag.frames["TALB"] + " ";
    EXPECT_EQ(std::ranges::count(albums, 'N'), 2) << albums;
}

// Folders and files named in windows-1251 bytes, through the real windows:
// the report's rows, the dialog's headline, the editor's caption and file
// names and the rename editor's current name read as text; a double click
// on the folder's row opens the folder itself, and Apply renames it; the
// root folder's label reads as text too.
TEST(EditorView, LegacyNamesReadAsTextInTheWindowsAndKeepTheirBytes) {
    env e;
    ui::program& p = e.p;
    forms::TForm1& f = p.Form1;
    const fs::path m = e.music.path();
    auto cp = [](const char* s) { return fs::path(platform::tonative(testutil::legacyname(s))); };
    const fs::path ddt = m / cp("ДДТ - Осень"), song = cp("01 Осень.mp3");
    e.mp3s({{ddt / song, {u"ДДТ", u"Осень", u"Осень", u"1991", u"1"}},
            {m / cp("Кино - Звезда") / cp("01 Звезда.mp3"),
             {u"Кино", u"Звезда", u"", u"1988", u"1"}}});
    QString headline, caption, file, current;
    e.on(&p.Form2, [&] { // asked for the album
        headline = e.h.view(p.Form2).widgetas<QLabel>(p.Form2.Label5)->text();
        e.click(p.Form2, p.Form2.Button1);
    });
    f.Label1.caption = e.music.u16();
    e.click(f, f.CheckBox3), e.click(f, f.Button1); // a run proposing folder renames
    EXPECT_EQ(headline, "Кино - Звезда: Нет альбома");
    const QString root(m.c_str());
    QListView* list = e.h.view(f).listof(f.ListView1);
    const QString rename = "  > Переименовать ДДТ - Осень В ДДТ - Осень (1991)";
    for (const QString& row :
         QStringList{root + "/Кино - Звезда", "  Нет альбома: 01 Звезда.mp3", rename})
        EXPECT_TRUE(e.rows().contains(row)) << row.toStdString();
    shoot(&e.h.view(f), "Form1-legacy");
    const int folder = e.rows().indexOf(root + "/ДДТ - Осень"), edit = e.rows().indexOf(rename);
    ASSERT_TRUE(folder >= 0 && edit >= 0) << e.rows().join("\n").toStdString();
    auto at = [&](int row) { return list->visualRect(list->model()->index(row, 0)).center(); };

    e.on(&p.Form10, [&] {
        caption = e.h.view(p.Form10).windowTitle();
        file = static_cast<QTableWidget*>(e.w(p.Form10, p.Form10.ListView1))->item(0, 0)->text();
        e.click(p.Form10, p.Form10.Button3);
    });
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at(folder));
    ASSERT_TRUE(e.todo.empty()); // the folder's editor came
    EXPECT_EQ(caption + "|" + file, "Редактор MP3-тегов папки: ДДТ - Осень|01 Осень.mp3");
    e.on(&p.Form2, [&] { // the rename editor, left as it is
        current = e.h.view(p.Form2).widgetas<QLineEdit>(p.Form2.Edit1)->text();
        e.click(p.Form2, p.Form2.Button2);
    });
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at(edit));
    ASSERT_TRUE(e.todo.empty());
    EXPECT_EQ(current, "ДДТ - Осень");

    e.click(f, f.Button3); // Apply
    EXPECT_TRUE(e.rows().contains("  переименование " + root + "/ДДТ - Осень В " + root +
                                  "/ДДТ - Осень (1991)"))
        << e.rows().join("\n").toStdString();
    EXPECT_FALSE(fs::exists(ddt));
    EXPECT_TRUE(fs::exists(m / "ДДТ - Осень (1991)" / song));
    EXPECT_TRUE(fs::exists(m / "Кино - Звезда (1988)" / cp("01 Звезда.mp3")));
    // A root folder of such a name, as the main window shows it.
    f.Label1.caption = e.music.u16(testutil::legacyname("Кино")), e.h.view(f).refresh();
    EXPECT_EQ(e.h.view(f).widgetas<QLabel>(f.Label1)->text(), root + "/Кино");
}
