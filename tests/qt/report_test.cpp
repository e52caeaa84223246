#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QListView>
#include <QPaintEvent>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <map>

#include "outputcolor.h"
#include "qtext.h"
#include "qttest.h"
#include "reportmodel.h"
#include "tform1.h"

using namespace forms;
using namespace qttest;

namespace {

// The main window with report lines, their operations' states in a map
// (row -> perform) as the operation list would answer findop.
struct reportwindow {
    TForm1 f;
    uiqt::qthost h;
    std::map<int, bool> ops;

    reportwindow() {
        h.paintinterval = 0; // every repaint paints
        f.owner = &h;
        h.show(f);
        h.view(f).setlinestyle(f.ListView1, [this](int row) {
            auto it = ops.find(row);
            return ui::outputcolor(f.ListView1.items[row], it != ops.end(),
                                   it != ops.end() && it->second);
        });
    }
    void addline(std::u16string s) {
        f.ListView1.items.push_back(std::move(s));
        h.repaint(f);
    }
    QListView* list() { return h.view(f).listof(f.ListView1); }
    uiqt::reportmodel* rows() { return h.view(f).rowsof(f.ListView1); }
    QVariant role(int row, int r) { return rows()->data(rows()->index(row), r); }
    QColor color(int row) {
        const QVariant v = role(row, Qt::ForegroundRole);
        return v.isValid() ? v.value<QBrush>().color() : QColor();
    }
    QFont font(int row) { return role(row, Qt::FontRole).value<QFont>(); }
};

bool haspixel(const QImage& img, QRect r, const QColor& c) {
    r = r.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (const QColor p = img.pixelColor(x, y); // text is antialiased
                std::abs(p.red() - c.red()) < 40 && std::abs(p.green() - c.green()) < 40 &&
                std::abs(p.blue() - c.blue()) < 40)
                return true;
    return false;
}

// What the window shows on the screen: its painted pixels, not a fresh
// rendering of its widgets.
QImage onscreen(QWidget* w) {
    return w->screen()->grabWindow(w->winId()).toImage();
}

// The regions of the paints a widget receives.
struct paintlog : QObject {
    std::vector<QRegion> paints;
    explicit paintlog(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) paints.push_back(static_cast<QPaintEvent*>(e)->region());
        return false;
    }
};

// Saves a picture of the window when VORLINDE_SCREENSHOTS names a folder.
void screenshot(QWidget* w, const char* name) {
    const QByteArray dir = qgetenv("VORLINDE_SCREENSHOTS");
    if (dir.isEmpty()) return;
    QDir().mkpath(QString::fromLocal8Bit(dir));
    EXPECT_TRUE(w->grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png"));
}

} // namespace

TEST(ReportList, RowsAreDrawnWithTheStyleOfTheirLine) {
    reportwindow w;
    w.addline(u"Обработка дерева папок /music");
    w.addline(u" --");
    w.addline(u"  --");
    w.addline(u"  > Переименовать a В b");
    w.addline(u"  > Переименовать x: Нет альбома");
    w.addline(u"  > (Пере)записать теги");
    w.ops[3] = false; // the rename switched off
    w.ops[5] = true;
    w.h.repaint(w.f);

    EXPECT_FALSE(w.color(0).isValid());
    EXPECT_FALSE(w.font(0).bold());
    EXPECT_EQ(w.color(1), QColor(128, 0, 0));
    EXPECT_TRUE(w.font(1).bold());
    EXPECT_FALSE(w.color(2).isValid());
    EXPECT_FALSE(w.font(2).bold());
    EXPECT_EQ(w.color(3), QColor(0, 128, 0));
    EXPECT_FALSE(w.font(3).bold());
    EXPECT_TRUE(w.font(3).strikeOut());
    EXPECT_EQ(w.color(4), QColor(255, 0, 0));
    EXPECT_TRUE(w.font(4).bold());
    EXPECT_TRUE(w.font(5).bold());
    EXPECT_FALSE(w.font(5).strikeOut());
    // Rows keep the list's font otherwise; the column is 1,500 pixels wide.
    EXPECT_EQ(w.font(0).family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(w.role(0, Qt::SizeHintRole).toSize().width(), 1500);

    // The painted window shows those colours.
    QListView* list = w.list();
    uiqt::formview& v = w.h.view(w.f);
    const QImage img = v.grab().toImage();
    auto rowrect = [&](int row) {
        const QRect r = list->visualRect(w.rows()->index(row));
        return QRect(list->viewport()->mapTo(&v, r.topLeft()), r.size());
    };
    EXPECT_TRUE(haspixel(img, rowrect(4), QColor(255, 0, 0)));
    EXPECT_TRUE(haspixel(img, rowrect(3), QColor(0, 128, 0)));
    EXPECT_FALSE(haspixel(img, rowrect(0), QColor(255, 0, 0)));
    EXPECT_FALSE(haspixel(img, rowrect(0), QColor(0, 128, 0)));

    // Switching the operation on changes the look at the next paint.
    w.ops[3] = true;
    EXPECT_TRUE(w.font(3).bold());
    EXPECT_FALSE(w.font(3).strikeOut());
    screenshot(&w.h.view(w.f), "report-styles");
}

TEST(ReportList, LinesAreAppendedOneByOneAndEmptiedAtOnce) {
    reportwindow w;
    QSignalSpy inserted(w.rows(), &QAbstractItemModel::rowsInserted);
    QSignalSpy resets(w.rows(), &QAbstractItemModel::modelReset);
    for (int i = 0; i < 3000; ++i) w.addline(u"line " + uiqt::u16(QString::number(i)));
    EXPECT_EQ(w.rows()->rowCount(), 3000);
    EXPECT_EQ(inserted.count(), 3000);
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(w.role(2999, Qt::DisplayRole).toString(), QStringLiteral("line 2999"));
    // Scrolled to the last line when a handler asks for it.
    w.f.ListView1.showrow = 2999;
    w.h.repaint(w.f);
    EXPECT_EQ(w.f.ListView1.showrow, -1);
    EXPECT_TRUE(
        w.list()->viewport()->rect().intersects(w.list()->visualRect(w.rows()->index(2999))));
    // A line's text rewritten in place shows at once.
    w.f.ListView1.items[2999] = u"переименовать a В b";
    w.h.repaint(w.f);
    EXPECT_EQ(w.role(2999, Qt::DisplayRole).toString(), QStringLiteral("переименовать a В b"));
    // Start empties the list; painting before the view hears of it is safe.
    w.f.ListView1.items.clear();
    EXPECT_FALSE(w.role(5, Qt::DisplayRole).isValid());
    w.addline(u"Обработка дерева папок /x");
    EXPECT_EQ(w.rows()->rowCount(), 1);
    EXPECT_EQ(resets.count(), 1);
}

// Counts the paints a widget receives.
struct paintcounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST(ReportList, RepaintsPaintAtOnceOrGatherWithinTheInterval) {
    reportwindow w;
    QCoreApplication::processEvents(); // the window is on the screen
    paintcounter count;
    w.list()->viewport()->installEventFilter(&count);
    for (int i = 0; i < 50; ++i) w.addline(u"line");
    EXPECT_EQ(count.paints, 50); // painted at once, each time
    EXPECT_EQ(w.rows()->rowCount(), 50);

    // Gathered: the first repaint paints, the next ones within the interval wait.
    w.h.paintinterval = 60000;
    count.paints = 0;
    w.h.processmessages(); // due: shows the model, paints
    const int after = count.paints;
    for (int i = 0; i < 50; ++i) w.addline(u"more");
    w.h.processmessages();
    EXPECT_EQ(count.paints, after);
    EXPECT_EQ(w.rows()->rowCount(), 50); // the view is behind the model for now
    // A user action shows everything at once.
    w.f.Button6.onclick = [] {};
    click(w.h.view(w.f).widget(w.f.Button6));
    EXPECT_EQ(w.rows()->rowCount(), 100);
    // So does a repaint once the interval has passed.
    w.h.paintinterval = 1;
    w.f.ListView1.items.push_back(u"last");
    QTest::qWait(5);
    w.h.repaint(w.f);
    EXPECT_EQ(w.rows()->rowCount(), 101);
}

TEST(ReportList, MouseAndKeysSelectRowsThroughTheModel) {
    reportwindow w;
    for (int i = 0; i < 5; ++i) w.addline(u"line " + uiqt::u16(QString::number(i)));
    std::vector<std::pair<int, int>> events; // (what, row): 0 select, 1 down, 2 click, 3 dbl
    w.f.ListView1.onselectitem = [&](int row) { events.emplace_back(0, row); };
    w.f.ListView1.onmousedown = [&](int button, unsigned, int row) {
        events.emplace_back(button == 2 ? 10 : 1, row);
    };
    w.f.ListView1.onclick = [&] { events.emplace_back(2, w.f.ListView1.itemindex); };
    w.f.ListView1.ondblclick = [&] { events.emplace_back(3, w.f.ListView1.itemindex); };
    QListView* list = w.list();
    auto at = [&](int row) { return list->visualRect(w.rows()->index(row)).center(); };

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at(2));
    EXPECT_EQ(w.f.ListView1.itemindex, 2);
    EXPECT_EQ(list->selectionModel()->selectedRows().value(0).row(), 2);
    // The row is selected before the mouse-down handler runs.
    std::vector<std::pair<int, int>> want = {{0, 2}, {1, 2}, {2, 2}};
    EXPECT_EQ(events, want);

    // Right button on another row: the old row is left, the new one chosen.
    events.clear();
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, at(4));
    QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, at(4));
    want = {{0, 2}, {0, 4}, {10, 4}};
    EXPECT_EQ(events, want);

    // Below the last line: no row selected.
    events.clear();
    const QPoint below(10, list->visualRect(w.rows()->index(4)).bottom() + 20);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(w.f.ListView1.itemindex, -1);
    EXPECT_TRUE(list->selectionModel()->selectedRows().isEmpty());
    want = {{0, 4}, {1, -1}, {2, -1}};
    EXPECT_EQ(events, want);

    events.clear();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at(1));
    EXPECT_EQ(events.back(), std::make_pair(3, 1));

    // The arrow keys move the selection in the model too.
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(w.f.ListView1.itemindex, 2);
    // A selection set by a handler shows.
    w.f.ListView1.itemindex = 0;
    w.h.repaint(w.f);
    EXPECT_EQ(list->selectionModel()->selectedRows().value(0).row(), 0);
}

TEST(ReportList, ScreenshotOfTheMainWindow) {
    reportwindow w;
    w.f.Label1.caption = u"/home/user/Музыка";
    const char16_t* lines[] = {
        u"Обработка дерева папок /home/user/Музыка",
        u"/home/user/Музыка/Кино - Группа крови (1988)",
        u"  > (Пере)записать теги в 11 файлах",
        u" -- Ok",
        u"/home/user/Музыка/Сборник",
        u"  Сборник: Нет альбома",
        u"      Artist A",
        u"      Artist B",
        u"  > Переименовать Сборник В VA - Сборник (2001)",
        u"  Найден плейлист. При копировании в плеер могут продублироваться треки!",
        u" -- нет mp3-файлов",
        u"Найдено расхождение (двойной щелчок на пути папки, чтобы посмотреть подробности)",
    };
    for (const char16_t* l : lines) w.addline(l);
    w.ops[2] = true;
    w.ops[8] = false;
    w.f.Button3.enabled = true;
    w.f.ListView1.itemindex = 2;
    w.f.CheckBox5.visible = true;
    w.h.repaint(w.f);
    const QImage img = w.h.view(w.f).grab().toImage();
    EXPECT_EQ(img.size(), QSize(796, 540) * w.h.view(w.f).devicePixelRatio());
    screenshot(&w.h.view(w.f), "main-window");
}

TEST(ReportList, LinesChangedInPlaceRepaintAloneAndReachTheScreen) {
    reportwindow w;
    for (int i = 0; i < 8; ++i) w.addline(u"  строка " + uiqt::u16(QString::number(i)));
    w.addline(u"  > Переименовать a В b");
    w.ops[8] = true;
    QTest::qWait(20);
    QListView* list = w.list();
    uiqt::formview& v = w.h.view(w.f);
    paintlog log(list->viewport());
    // Nothing changed: nothing painted.
    w.h.repaint(w.f);
    QTest::qWait(20);
    EXPECT_TRUE(log.paints.empty());

    auto rowrect = [&](int row) {
        return list->visualRect(w.rows()->index(row)) & list->viewport()->rect();
    };
    auto onscreenrow = [&](int row) {
        const QRect r = rowrect(row);
        return QRect(list->viewport()->mapTo(&v, r.topLeft()), r.size());
    };
    const QColor maroon(128, 0, 0), green(0, 128, 0);
    EXPECT_FALSE(haspixel(onscreen(&v), onscreenrow(3), maroon));
    // A line rewritten: that row alone is painted, in its new style.
    w.f.ListView1.items[3] = u" --";
    w.h.repaint(w.f);
    ASSERT_EQ(log.paints.size(), 1u);
    EXPECT_EQ(log.paints[0].boundingRect(), rowrect(3));
    EXPECT_TRUE(haspixel(onscreen(&v), onscreenrow(3), maroon));
    // An operation switched off: the same text, struck out now.
    log.paints.clear();
    const QImage on = onscreen(&v).copy(onscreenrow(8));
    w.ops[8] = false;
    w.h.repaint(w.f);
    ASSERT_EQ(log.paints.size(), 1u);
    EXPECT_EQ(log.paints[0].boundingRect(), rowrect(8));
    EXPECT_TRUE(haspixel(onscreen(&v), onscreenrow(8), green));
    EXPECT_NE(onscreen(&v).copy(onscreenrow(8)), on);
}

TEST(ReportList, ADialogComingAndGoingLeavesTheListAsItWas) {
    reportwindow w;
    for (int i = 0; i < 60; ++i) w.addline(u"строка " + uiqt::u16(QString::number(i)));
    w.f.ListView1.itemindex = 2;
    w.f.ListView1.showrow = 59;
    w.h.repaint(w.f);
    uiqt::formview& v = w.h.view(w.f);
    QListView* list = w.list();
    v.activateWindow();
    list->setFocus();
    QTest::qWait(20);
    ASSERT_EQ(QApplication::focusWidget(), list);
    const QImage before = onscreen(&v);
    paintlog rows(list->viewport()), frame(list), bar(list->verticalScrollBar());

    qttest::dialog d;
    d.owner = &w.h;
    bool focusleft = false;
    qttest::later([&] {
        QTest::qWait(20);
        focusleft = QApplication::focusWidget() != list;
        qttest::click(w.h.view(d).widget(d.Button1));
    });
    EXPECT_EQ(w.h.showmodal(d), mrOk);
    v.activateWindow(); // the window manager's part
    QTest::qWait(20);
    EXPECT_TRUE(focusleft);
    EXPECT_EQ(QApplication::focusWidget(), list);
    EXPECT_TRUE(rows.paints.empty());
    EXPECT_TRUE(frame.paints.empty());
    EXPECT_TRUE(bar.paints.empty());
    EXPECT_EQ(onscreen(&v), before);
    // Drawn the same whether the list has the focus or not.
    const QImage focused = list->grab().toImage();
    list->clearFocus();
    EXPECT_EQ(list->grab().toImage(), focused);
}

TEST(ReportList, ScrollBarsLookAsTheStyleDrawsThem) {
    reportwindow w;
    for (int i = 0; i < 300; ++i) w.addline(u"строка " + uiqt::u16(QString::number(i)));
    w.f.ListView1.showrow = 299;
    w.h.repaint(w.f);
    for (QScrollBar* bar : {w.list()->verticalScrollBar(), w.list()->horizontalScrollBar()}) {
        ASSERT_TRUE(bar->isVisible());
        // A bar as the style draws it, beside the list's own.
        QScrollBar plain(bar->orientation(), bar->parentWidget());
        auto same = [&] {
            plain.setRange(bar->minimum(), bar->maximum());
            plain.setPageStep(bar->pageStep());
            plain.setSingleStep(bar->singleStep());
            plain.setValue(bar->value());
            plain.resize(bar->size());
            const QImage drawn = bar->grab().toImage();
            return drawn == plain.grab().toImage();
        };
        EXPECT_TRUE(same());
        EXPECT_TRUE(same()); // from its picture
        bar->setValue(bar->minimum() + (bar->maximum() - bar->minimum()) / 3);
        EXPECT_TRUE(same());       // drawn anew
        w.f.ListView1.width -= 40; // the bars shorter
        w.f.ListView1.height -= 40;
        w.h.repaint(w.f);
        EXPECT_TRUE(same());
    }
}
