#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>

#include "qtext.h"
#include "qttest.h"
#include "testutil.h"
#include "tform1.h"

using namespace forms;
using namespace qttest;
using uiqt::qs;

namespace {

// The controls that take the Tab key, in the order Tab visits them.
std::vector<QWidget*> tabchain(QWidget* first, const std::vector<QWidget*>& stops) {
    std::vector<QWidget*> seen{first};
    for (QWidget* w = first->nextInFocusChain(); w != first; w = w->nextInFocusChain())
        if (std::find(stops.begin(), stops.end(), w) != stops.end()) seen.push_back(w);
    return seen;
}

// Counts the paints a window and its widgets receive.
struct paintcount : QObject {
    int paints = 0;
    explicit paintcount(QWidget* window) {
        window->installEventFilter(this);
        for (QWidget* w : window->findChildren<QWidget*>()) w->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

} // namespace

TEST(FormView, MainWindowShowsTheModel) {
    TForm1 f;
    uiqt::qthost h;
    h.show(f);
    uiqt::formview& v = h.view(f);
    EXPECT_TRUE(v.isVisible());
    EXPECT_EQ(v.windowTitle(), qs(f.caption));
    EXPECT_EQ(v.size(), QSize(796, 540));
    EXPECT_EQ(v.font().family(), QStringLiteral("Tahoma")); // asked for; drawn by a substitute
    EXPECT_EQ(v.font().pointSize(), 8);

    auto* start = v.widgetas<QPushButton>(f.Button1);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->text(), QStringLiteral("Пуск"));
    EXPECT_EQ(start->toolTip(), QStringLiteral("Запуск обработки"));
    EXPECT_TRUE(start->font().bold());
    EXPECT_EQ(start->geometry(), QRect(120, 490, 100, 33));
    EXPECT_FALSE(v.widget(f.Button3)->isEnabled());
    EXPECT_TRUE(v.widget(f.Button3)->isVisible());
    EXPECT_FALSE(v.widget(f.CheckBox5)->isVisible());
    EXPECT_FALSE(v.widget(f.CheckBox2)->isVisible());
    EXPECT_TRUE(v.widgetas<QPushButton>(f.Button5)->font().italic());
    // Hints only where the model shows them.
    EXPECT_TRUE(v.widget(f.Button6)->toolTip().isEmpty());
    EXPECT_EQ(v.widget(f.Button2)->toolTip(), QStringLiteral("Выбор каталога с MP3-папками"));
    EXPECT_EQ(v.widgetas<QLabel>(f.Label2)->text(), QStringLiteral("F1 - Help"));

    // The keep-names box sits inside the group box, at the model's place in it.
    auto* group = v.widgetas<QGroupBox>(f.GroupBox1);
    auto* keep = v.widgetas<QCheckBox>(f.CheckBox3);
    EXPECT_EQ(group->title(), QStringLiteral("  Установки  "));
    EXPECT_EQ(keep->parentWidget(), group);
    EXPECT_EQ(keep->geometry(), QRect(10, 16, 310, 17));
    EXPECT_TRUE(keep->isChecked());

    // Tab order as the model numbers it; hidden boxes without a number are no stops.
    const std::vector<QWidget*> stops = {
        v.widget(f.Button2), v.widget(f.ListView1), v.widget(f.Button1), v.widget(f.CheckBox3),
        v.widget(f.Button6), v.widget(f.Button3),   v.widget(f.Button5)};
    EXPECT_EQ(tabchain(stops.front(), stops), stops);
    EXPECT_EQ(v.widget(f.CheckBox2)->focusPolicy(), Qt::ClickFocus);

    // The report list: one wide column, whole rows, the selection kept visible.
    QListView* list = v.listof(f.ListView1);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->palette().color(QPalette::Inactive, QPalette::Highlight),
              list->palette().color(QPalette::Active, QPalette::Highlight));
}

TEST(FormView, ClickedButtonRunsTheHandlerAndShowsTheNewState) {
    TForm1 f;
    uiqt::qthost h;
    h.show(f);
    uiqt::formview& v = h.view(f);
    int runs = 0;
    f.Button1.onclick = [&] {
        ++runs;
        f.Button1.caption = u"Работаю...";
        f.Button1.enabled = false;
        f.Button3.enabled = true;
        f.CheckBox5.visible = true;
        f.Label1.caption = u"/music/Кино";
    };
    click(v.widget(f.Button1));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(v.widgetas<QPushButton>(f.Button1)->text(), QStringLiteral("Работаю..."));
    EXPECT_FALSE(v.widget(f.Button1)->isEnabled());
    EXPECT_TRUE(v.widget(f.Button3)->isEnabled());
    EXPECT_TRUE(v.widget(f.CheckBox5)->isVisible());
    EXPECT_EQ(v.widgetas<QLabel>(f.Label1)->text(), QStringLiteral("/music/Кино"));
    // A disabled button does nothing.
    click(v.widget(f.Button1));
    EXPECT_EQ(runs, 1);

    // A check box: the model flips, its handler runs, the widget follows.
    int keeps = 0;
    f.CheckBox3.onclick = [&] {
        ++keeps;
        f.CheckBox5.bold = !f.CheckBox3.checked;
    };
    click(v.widget(f.CheckBox3));
    EXPECT_FALSE(f.CheckBox3.checked);
    EXPECT_EQ(keeps, 1);
    EXPECT_FALSE(v.widgetas<QCheckBox>(f.CheckBox3)->isChecked());
    EXPECT_TRUE(v.widget(f.CheckBox5)->font().bold());
}

TEST(FormView, RadioButtonsShowOnlyWhatTheModelChose) {
    dialog d;
    uiqt::qthost h;
    h.show(d);
    uiqt::formview& v = h.view(d);
    auto* one = v.widgetas<QRadioButton>(d.RadioButton1);
    auto* two = v.widgetas<QRadioButton>(d.RadioButton2);
    EXPECT_EQ(one->parentWidget(), v.widget(d.GroupBox1));
    EXPECT_FALSE(one->isChecked() || two->isChecked()); // none chosen is a state too
    // On the button and its caption; the rest of its box is no target.
    auto press = [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, 8)); };
    press(one);
    EXPECT_TRUE(d.RadioButton1.checked);
    press(two);
    EXPECT_TRUE(d.RadioButton2.checked);
    EXPECT_FALSE(d.RadioButton1.checked);
    EXPECT_FALSE(one->isChecked());
    EXPECT_TRUE(two->isChecked());
    // Clicking the chosen one again keeps it chosen.
    press(two);
    EXPECT_TRUE(two->isChecked() && d.RadioButton2.checked);
}

TEST(FormView, TypingGoesThroughTheKeyFilter) {
    dialog d;
    uiqt::qthost h;
    h.show(d);
    uiqt::formview& v = h.view(d);
    auto* edit = v.widgetas<QLineEdit>(d.Edit1);
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, "1a9-x");
    EXPECT_EQ(d.Edit1.text, u"19");
    EXPECT_EQ(edit->text(), QStringLiteral("19"));
    EXPECT_EQ(d.changes, 2);

    // The caret counts: a digit typed at the start goes there.
    edit->setCursorPosition(0);
    QTest::keyClick(edit, Qt::Key_7);
    EXPECT_EQ(d.Edit1.text, u"719");
    EXPECT_EQ(edit->cursorPosition(), 1);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(d.Edit1.text, u"19");

    // A selection is replaced by what is typed.
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_5);
    EXPECT_EQ(d.Edit1.text, u"5");
    EXPECT_EQ(edit->text(), QStringLiteral("5"));

    // A handler that sets the text is shown; one that consumes Ctrl+A asks
    // for the whole text to be selected.
    d.keypreview = true;
    int seen = 0;
    d.onkeydown = [&](control* from, std::uint16_t& key, unsigned shift) {
        if (key == vkA && (shift & ssCtrl)) {
            ++seen;
            if (from == &d.Edit1) {
                from->selectallrequest = true;
                d.Edit1.text = u"2024";
            }
            key = 0;
        }
    };
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(edit->text(), QStringLiteral("2024"));
    EXPECT_EQ(edit->selectedText(), QStringLiteral("2024"));
    EXPECT_FALSE(d.Edit1.selectallrequest);

    // Pasted text is not filtered: it arrives as a whole.
    edit->clear();
    d.Edit1.text.clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("12ab"));
    edit->paste();
    EXPECT_EQ(d.Edit1.text, u"12ab");

    // Key events of the form reach the model with their virtual-key code.
    const int before = d.changes;
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(d.Edit1.text, u"12ab"); // no character for Return
    EXPECT_EQ(d.changes, before);
}

TEST(FormView, KeyDownCarriesVirtualKeyCodesAndShiftState) {
    TForm1 f;
    uiqt::qthost h;
    h.show(f);
    uiqt::formview& v = h.view(f);
    std::vector<std::pair<std::uint16_t, unsigned>> keys;
    // Modifier keys come as keys of their own, as they do on Windows.
    auto record = [&](std::uint16_t& key, unsigned shift) {
        if (key < 16 || key > 18) keys.emplace_back(key, shift);
    };
    f.Button1.onkeydown = record;
    f.ListView1.onkeydown = record;
    QTest::keyClick(v.widget(f.Button1), Qt::Key_F1);
    QTest::keyClick(v.widget(f.Button1), Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(v.widget(f.ListView1), Qt::Key_Escape, Qt::AltModifier);
    QTest::keyClick(v.widget(f.ListView1), Qt::Key_Backspace);
    QTest::keyClick(v.widget(f.ListView1), Qt::Key_Return);
    const std::vector<std::pair<std::uint16_t, unsigned>> want = {
        {112, ssNone}, {'Q', ssCtrl | ssShift}, {27, ssAlt}, {8, ssNone}, {13, ssNone}};
    EXPECT_EQ(keys, want);
    EXPECT_EQ(uiqt::virtualkey(Qt::Key_F12), 123);
    EXPECT_EQ(uiqt::virtualkey(Qt::Key_9), '9');

    // The window's own keys, with the focus on no control, come from null.
    control* from = &f.Button1;
    std::uint16_t got = 0;
    f.keypreview = true;
    f.onkeydown = [&](control* c, std::uint16_t& key, unsigned) {
        from = c;
        got = key;
    };
    QTest::keyClick(&v, Qt::Key_F1);
    EXPECT_EQ(got, 112);
    EXPECT_EQ(from, nullptr);
    // With a preview the form sees a control's key first, then the control.
    keys.clear();
    QTest::keyClick(v.widget(f.Button1), Qt::Key_F1);
    EXPECT_EQ(from, &f.Button1);
    EXPECT_EQ(keys.size(), 1u);
}

TEST(FormView, ComboAndListBoxesReportTheUsersChoice) {
    dialog d;
    uiqt::qthost h;
    h.show(d);
    uiqt::formview& v = h.view(d);
    auto* combo = v.widgetas<QComboBox>(d.ComboBox1);
    ASSERT_TRUE(combo->isEditable());
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->currentText(), QStringLiteral("Первый"));
    // Typed text is the model's text; the item chosen stays a separate thing.
    QLineEdit* line = combo->lineEdit();
    line->selectAll();
    QTest::keyClicks(line, "Kino");
    EXPECT_EQ(d.ComboBox1.text, u"Kino");
    EXPECT_GE(d.combochanges, 1);
    // Choosing an item sets its index and its text.
    emit combo->activated(2);
    EXPECT_EQ(d.ComboBox1.itemindex, 2);
    EXPECT_EQ(d.ComboBox1.text, u"Третий");
    EXPECT_EQ(combo->currentText(), QStringLiteral("Третий"));
    // Items set by a handler appear.
    d.Button1.modalresult = mrNone;
    d.Button1.onclick = [&] {
        d.ComboBox1.items = {u"x", u"y"};
        d.ComboBox1.itemindex = 1;
        d.ComboBox1.text = u"y";
        d.ProgressBar1.position = 66;
        d.ListBox1.itemindex = 2;
    };
    click(v.widget(d.Button1));
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(v.widgetas<QProgressBar>(d.ProgressBar1)->value(), 66);
    auto* list = v.widgetas<QListWidget>(d.ListBox1);
    EXPECT_EQ(list->currentRow(), 2);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(d.ListBox1.itemindex, 0);
    EXPECT_EQ(d.listclicks, 1);
}

TEST(FormView, WindowFollowsResizingAndTheModelsAnchors) {
    TForm1 f;
    uiqt::qthost h;
    h.show(f);
    uiqt::formview& v = h.view(f);
    v.resize(896, 600);
    EXPECT_EQ(f.width, 896);
    EXPECT_EQ(f.height, 600);
    // The list grows with the window; the bottom row keeps its distance.
    EXPECT_EQ(v.widget(f.ListView1)->geometry(), QRect(8, 34, 880, 500));
    EXPECT_EQ(v.widget(f.Button1)->geometry(), QRect(120, 550, 100, 33));
    EXPECT_EQ(v.widget(f.Button5)->geometry().topLeft(), QPoint(860, 555));
    // Inside the group box nothing moves.
    EXPECT_EQ(v.widget(f.CheckBox3)->geometry(), QRect(10, 16, 310, 17));
    v.resize(796, 540);
    EXPECT_EQ(v.widget(f.ListView1)->geometry(), QRect(8, 34, 780, 440));
    EXPECT_EQ(f.Button1.top, 490);
}

TEST(FormView, DroppedPathsReachTheHandlerAfterTheDrop) {
    TForm1 f;
    uiqt::qthost h;
    h.show(f);
    uiqt::formview& v = h.view(f);
    EXPECT_FALSE(v.acceptDrops());
    std::vector<std::vector<std::u16string>> drops;
    v.setdrophandler([&](const std::vector<std::u16string>& paths) {
        drops.push_back(paths);
        f.Label1.caption = paths.front();
    });
    EXPECT_TRUE(v.acceptDrops());
    testutil::tempdir dir;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(uiqt::qpath(dir.u16(u"Альбом"))),
                  QUrl::fromLocalFile(QStringLiteral("/tmp/b"))});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&v, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&v, &drop);
    EXPECT_TRUE(drops.empty()); // handled once the drop is over
    QCoreApplication::processEvents();
    ASSERT_EQ(drops.size(), 1u);
    const std::vector<std::u16string> want = {dir.u16(u"Альбом"), u"/tmp/b"};
    EXPECT_EQ(drops[0], want);
    EXPECT_EQ(v.widgetas<QLabel>(f.Label1)->text(), uiqt::qs(dir.u16(u"Альбом")));
}

TEST(FormView, HandlerErrorsGoToTheErrorBox) {
    TForm1 f;
    uiqt::qthost h;
    std::vector<std::pair<std::u16string, bool>> boxes;
    h.boxhook = [&](const std::u16string& text, bool error) { boxes.emplace_back(text, error); };
    h.show(f);
    f.Button6.onclick = [&] {
        f.Label1.caption = u"half";
        throw std::runtime_error("Not found or access/parse error");
    };
    click(h.view(f).widget(f.Button6));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, u"Not found or access/parse error.");
    EXPECT_TRUE(boxes[0].second);
    // The window still shows what the model holds.
    EXPECT_EQ(h.view(f).widgetas<QLabel>(f.Label1)->text(), QStringLiteral("half"));
}

TEST(FormView, RefreshesChangeOnlyWhatTheModelChanged) {
    TForm1 f;
    uiqt::qthost h;
    h.paintinterval = 0;
    f.ListView1.items = {u"Обработка дерева папок /music", u"/music/Кино"};
    h.show(f);
    uiqt::formview& v = h.view(f);
    QTest::qWait(20); // on the screen
    paintcount count(&v);
    // Refreshes that find nothing new leave nothing to paint.
    v.refresh();
    h.repaint(f);
    h.processmessages();
    QTest::qWait(20);
    EXPECT_EQ(count.paints, 0);

    // What changed after those still shows: a caption, a state, a hint...
    auto* root = v.widgetas<QLabel>(f.Label1);
    auto* start = v.widgetas<QPushButton>(f.Button1);
    const QRect place = root->geometry();
    for (int i = 0; i < 12; ++i) f.Label1.caption += u"/Очень длинное имя папки";
    f.Button1.caption = u"Работаю...";
    f.Button1.enabled = false;
    f.Button1.hint = u"Идёт обработка";
    v.refresh();
    EXPECT_EQ(root->text(), qs(f.Label1.caption));
    // ... the label as wide as its new caption, from where it was.
    EXPECT_EQ(root->geometry().topLeft(), place.topLeft());
    EXPECT_GE(root->width(), root->sizeHint().width());
    EXPECT_GT(root->width(), place.width());
    EXPECT_EQ(start->text(), QStringLiteral("Работаю..."));
    EXPECT_FALSE(start->isEnabled());
    EXPECT_EQ(start->toolTip(), QStringLiteral("Идёт обработка"));
    QTest::qWait(20);
    EXPECT_GT(count.paints, 0);
    // ... and so does the way back.
    f.Label1.caption = u"/music";
    f.Button1.caption = u"Пуск";
    f.Button1.enabled = true;
    v.refresh();
    EXPECT_EQ(root->text(), QStringLiteral("/music"));
    EXPECT_EQ(root->geometry(), place);
    EXPECT_EQ(start->text(), QStringLiteral("Пуск"));
    EXPECT_TRUE(start->isEnabled());

    // A box the widget changed without the model is put back to the model's
    // state, though the model did not change.
    auto* keep = v.widgetas<QCheckBox>(f.CheckBox3);
    keep->setChecked(!f.CheckBox3.checked);
    v.refresh();
    EXPECT_EQ(keep->isChecked(), f.CheckBox3.checked);
}

TEST(FormView, LabelsPlaceTheirCaptionAsTheModelAligns) {
    dialog d;
    d.Label1.width = 300;
    d.Label1.height = 40;
    d.Label1.alignment = textalign::centre;
    d.Label1.layout = textlayout::centre;
    uiqt::qthost h;
    h.paintinterval = 0;
    h.show(d);
    auto* label = h.view(d).widgetas<QLabel>(d.Label1);
    EXPECT_EQ(label->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
    EXPECT_EQ(label->geometry(), QRect(10, 10, 300, 40));
    d.Label1.alignment = textalign::right;
    d.Label1.layout = textlayout::bottom;
    h.repaint(d);
    EXPECT_EQ(label->alignment(), Qt::AlignRight | Qt::AlignBottom);
    // A caption wider than the label grows it away from the side it keeps to.
    d.Label1.caption = std::u16string(80, u'Ж');
    h.repaint(d);
    EXPECT_EQ(label->geometry().right(), 309);
    EXPECT_GE(label->width(), label->sizeHint().width());
    d.Label1.alignment = textalign::centre;
    h.repaint(d);
    EXPECT_LE(std::abs(label->geometry().center().x() - 159), 1);
}
