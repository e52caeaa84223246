// The root folder: chosen in the folder browser, or dropped on the main
// window, which starts a run at once.
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

#include "apptest.h"

using namespace apptest;

namespace {

// Lets deferred handlers (a drop is handed on once the loop turns) run.
void settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

void goodfolder(appenv& e, std::u16string_view rel) {
    for (int i = 1; i <= 2; ++i) {
        const std::u16string n(1, static_cast<char16_t>(u'0' + i));
        e.mp3(std::u16string(rel) + u"/0" + n + u" a.mp3",
              {u"Artist", u"Title " + n, u"Album", u"1999", n, u"Rock"});
    }
}

} // namespace

TEST(RootFolder, BrowserOpensAtTheRootAndStoresTheChoice) {
    appenv e;
    forms::TForm1& f = e.main();
    e.folder(u"first");
    e.folder(u"second");
    e.setroot(e.path(u"first"));
    f.Button3.enabled = true; // as after a run with operations
    e.h.handled();

    answers a(e);
    QString title, selected;
    a.onwidget("browser", [&](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(d, nullptr);
        title = d->windowTitle();
        selected = d->selectedFiles().value(0);
        // The user types the folder into the dialog's name field.
        auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->clear();
        QTest::keyClicks(name, QString::fromStdString(e.native(u"second").string()));
        static_cast<QDialog*>(d)->accept();
    });
    e.click(f, f.Button2);
    ASSERT_TRUE(a.done());
    EXPECT_EQ(uiqt::u16(title), ui::browsetitle);
    EXPECT_EQ(selected.toStdString(), e.native(u"first").string());
    EXPECT_EQ(f.Label1.caption, e.path(u"second"));
    EXPECT_EQ(uiqt::u16(e.widget<QLabel>(f, f.Label1)->text()), e.path(u"second"));
    EXPECT_FALSE(e.widget(f, f.Button3)->isEnabled());
    EXPECT_EQ(storedroot(e.settingsfile()), e.path(u"second"));

    // Cancelled: nothing changes, the file is not written.
    fs::remove(e.settingsfile());
    f.Button3.enabled = true;
    e.h.handled();
    a.onwidget("browser", [&](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    e.click(f, f.Button2);
    ASSERT_TRUE(a.done());
    EXPECT_EQ(f.Label1.caption, e.path(u"second"));
    EXPECT_TRUE(f.Button3.enabled);
    EXPECT_FALSE(fs::exists(e.settingsfile()));

    // The same folder again: stored again, Apply disabled again.
    a.onwidget("browser", [&](QWidget* w) { qobject_cast<QDialog*>(w)->accept(); });
    e.click(f, f.Button2);
    ASSERT_TRUE(a.done());
    EXPECT_EQ(f.Label1.caption, e.path(u"second"));
    EXPECT_FALSE(f.Button3.enabled);
    EXPECT_EQ(storedroot(e.settingsfile()), e.path(u"second"));
    EXPECT_TRUE(a.unexpected.empty());
}

TEST(RootFolder, OneDroppedFolderBecomesTheRootAndStartsARun) {
    appenv e;
    forms::TForm1& f = e.main();
    goodfolder(e, u"dropped/Album");
    e.tagfiles();
    drop(e, {local(e.native(u"dropped/"))}); // a trailing separator, as some file managers send
    settle();
    EXPECT_EQ(f.Label1.caption, e.path(u"dropped"));
    EXPECT_EQ(storedroot(e.settingsfile()), e.path(u"dropped"));
    ASSERT_GT(e.rowcount(), 3);
    EXPECT_EQ(e.row(0), u"Обработка дерева папок " + e.path(u"dropped"));
    EXPECT_EQ(e.row(2), e.path(u"dropped/Album"));
    EXPECT_EQ(e.line(u"Обработка окончена. Теперь можно просмотреть запланированные операции."),
              e.rowcount() - 7);
    EXPECT_FALSE(f.notstarted);
    EXPECT_FALSE(e.p->running);
}

TEST(RootFolder, DropsOfSeveralItemsFilesAndNonFoldersAreIgnored) {
    appenv e;
    forms::TForm1& f = e.main();
    e.folder(u"one");
    e.folder(u"two");
    testutil::writefile(e.native(u"file.mp3"), basemp3());
    const std::u16string root = f.Label1.caption;
    const std::string settings = testutil::readfile(e.settingsfile());

    drop(e, {local(e.native(u"one")), local(e.native(u"two"))});
    drop(e, {local(e.native(u"file.mp3"))});
    drop(e, {local(e.native(u"missing"))});
    drop(e, {QUrl(QStringLiteral("https://example.org/music/"))});
    drop(e, {});
    settle();
    EXPECT_EQ(f.Label1.caption, root);
    EXPECT_EQ(e.rowcount(), 0);
    EXPECT_EQ(testutil::readfile(e.settingsfile()), settings);
    EXPECT_TRUE(f.notstarted);

    // A link to a folder counts as the folder.
    fs::create_directory_symlink(e.native(u"one"), e.native(u"link"));
    drop(e, {local(e.native(u"link"))});
    settle();
    EXPECT_EQ(f.Label1.caption, e.path(u"link"));
    EXPECT_EQ(e.row(0), u"Обработка дерева папок " + e.path(u"link"));
}

TEST(RootFolder, DropDuringARunIsIgnored) {
    appenv e;
    forms::TForm1& f = e.main();
    for (auto rel : {u"A", u"B", u"C"}) goodfolder(e, rel);
    e.folder(u"other");
    e.tagfiles();
    e.setroot(e.root());

    // Once through the window, once straight to the model's handler, both
    // while the run handles messages between folders.
    int drops = 0;
    QTimer::singleShot(0, [&] {
        ++drops;
        EXPECT_TRUE(e.p->running);
        drop(e, {local(e.native(u"other"))});
    });
    QTimer::singleShot(0, [&] {
        ++drops;
        f.ondrop({e.path(u"other")});
    });
    e.click(f, f.Button1);
    settle();
    EXPECT_EQ(drops, 2);
    EXPECT_EQ(f.Label1.caption, e.root());
    EXPECT_EQ(storedroot(e.settingsfile()), e.progdir.u16() + u"/");
    EXPECT_EQ(e.row(0), u"Обработка дерева папок " + e.root());
    EXPECT_EQ(e.line(e.path(u"other")), 2); // walked once, first as the last sibling
    int headers = 0;
    for (const auto& l : f.ListView1.items) headers += l.starts_with(u"Обработка дерева папок ");
    EXPECT_EQ(headers, 1);
}

TEST(RootFolder, ClosingTheWindowDuringARunStopsIt) {
    appenv e;
    forms::TForm1& f = e.main();
    for (auto rel : {u"A", u"B", u"C"}) goodfolder(e, rel);
    e.tagfiles();
    e.setroot(e.root());
    QTimer::singleShot(0, [&] { e.view(f).close(); });
    e.click(f, f.Button1);
    EXPECT_FALSE(e.view(f).isVisible());
    // The window is gone: the model holds the lines.
    const auto& lines = f.ListView1.items;
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 2], u"Обработка отменена пользователем");
    EXPECT_EQ(e.line(e.path(u"A")), -1); // the folder at hand ended; none after it
    EXPECT_FALSE(e.p->running);
}
