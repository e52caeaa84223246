// The report reviewed in the real window: a right click on a row and the
// real check box, a double click opening the folder tag editor's table and
// its all-tracks dialog, the editor's write, then Apply; the disk read back.
#include <QListView>
#include <QTableWidget>

#include "apptest.h"

using namespace apptest;

TEST(EditorView, ReviewInTheRealWindowThenApply) {
    appenv e;
    e.mp3(u"one/01 a.mp3", {u"A", u"T1", u"B", u"1990", u"1"});
    e.mp3(u"one/02 b.mp3", {u"A", u"T2", u"B", u"1990", u"2"});
    e.mp3(u"two/01 c.mp3", {u"C", u"", u"D", u"2000", u"1"});
    e.tagfiles(), e.setroot(e.root());
    forms::TForm1& f = e.main();
    ui::program& p = *e.p;
    e.click(f, f.CheckBox3), e.click(f, f.Button1); // a run proposing folder renames
    QListView* list = e.view(f).listof(f.ListView1);
    auto at = [&](auto s) { return list->visualRect(e.rows()->index(e.linestarting(s))).center(); };
    // The title fill of "two": off by a right click, on by the box, off again.
    for (bool box : {false, true, false})
        box ? e.click(f, f.CheckBox5)
            : QTest::mouseClick(list->viewport(), Qt::RightButton, {}, at(u"  > (Пере)записать"));
    EXPECT_TRUE(!f.CheckBox5.checked && !e.widget(f, f.CheckBox5)->font().bold());

    answers a(e);
    a.on(p.Form10, [&] {
        auto* t = e.widget<QTableWidget>(p.Form10, p.Form10.ListView1);
        QString columns;
        for (int c = 0; c < t->columnCount(); ++c)
            columns += t->horizontalHeaderItem(c)->text() + QString(":%1 ").arg(t->columnWidth(c));
        EXPECT_EQ(columns, "Имя файла:200 Название трека:200 Исполнитель:150 Альбом:150 Год:50 "
                           "Номер Трека:60 Жанр:150 ");
        EXPECT_TRUE(t->showGrid() && t->selectionBehavior() == QAbstractItemView::SelectRows &&
                    t->editTriggers() == QAbstractItemView::NoEditTriggers);
        e.click(p.Form10, p.Form10.Button1);
        EXPECT_EQ(t->item(1, 1)->text() + t->item(1, 3)->text(), "T2New");
        shoot(&e.view(p.Form10), "form10-folder-editor");
        e.click(p.Form10, p.Form10.Button2), e.click(p.Form10, p.Form10.Button3); // write, close
    });
    a.on(p.Form11, [&] {
        shoot(&e.view(p.Form11), "form11-all-tracks");
        e.click(p.Form11, p.Form11.CheckBox2);
        QWidget* album = e.widget(p.Form11, p.Form11.Edit2);
        QTest::keyClick(album, Qt::Key_A, Qt::ControlModifier); // selects all
        typetext(album, "New"), e.click(p.Form11, p.Form11.Button1);
    });
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at(e.path(u"one")));
    EXPECT_EQ(p.Form10.caption, u"Редактор MP3-тегов папки: one");
    EXPECT_EQ(e.row(e.linestarting(u"переименовать")), u"переименовать one В A - New (1990)");
    e.click(f, f.Button3);
    EXPECT_EQ(mutagenframes(e.native(u"A - New (1990)/02 b.mp3"), "TALB,TIT2"), "TALB=New;TIT2=T2");
    EXPECT_EQ(mutagenframes(e.native(u"C - D (2000)/01 c.mp3"), "TIT2"), "TIT2=");
    f.select(f.ListView1, e.line(e.path(u"one"))), f.ListView1.ondblclick(); // gone: nothing opens
    EXPECT_TRUE(a.done() && a.unexpected.empty());
}
