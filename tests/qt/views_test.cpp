// The Qt views and host over a small form with a control of each kind, drawn
// offscreen: what a handler changes shows in the widgets, what the user does
// to a widget reaches the model, report rows are painted in their style, and
// the host runs modal loops and paints windows behind a dialog.
#include <gtest/gtest.h>

#include <QTest>
#include <QtWidgets>

#include "answers.h"
#include "qthost.h"
#include "reportmodel.h"
#include "testutil.h"
#include "tform11.h"
#include "tform2.h"
#include "tform3.h"
#include "tform7.h"
#include "tform8.h"

using namespace forms;

namespace {

// A window with a control of each kind the table drives; the edit takes digits.
struct testform : form {
    label L;
    edit E;
    combobox C;
    checkbox X;
    listview V;
    progressbar P;
    button B;
    testform() : form(u"T") {
        width = 420, height = 400;
        int i = 0;
        for (control* c : std::initializer_list<control*>{&L, &E, &C, &X, &P, &B, &V}) {
            add(*c, u"c");
            c->left = 8, c->top = 30 * i++, c->width = 200, c->height = c == &V ? 150 : 24;
        }
        E.onkeypress = [](char16_t& k) { k = k == u'\b' || (k >= u'0' && k <= u'9') ? k : 0; };
    }
};

template <typename W>
W* w(uiqt::formview& v, control& c) {
    return v.widgetas<W>(c);
}

struct kindcase {
    const char* what;
    std::function<void(testform&)> change; // as a handler changes the model
    std::function<bool(testform&, uiqt::formview&)> shown;
    std::function<void(testform&, uiqt::formview&)> input = nullptr; // the user's, or none
    std::function<bool(testform&, uiqt::formview&)> reached = nullptr;
};

// The region a widget is asked to paint, as an event filter sees it.
struct paints : QObject {
    QRegion seen;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) seen += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
};

} // namespace

TEST(Views, ShowTheirModelAndPassInputToIt) {
    using V = uiqt::formview;
    using F = testform;
    const kindcase cases[] = {
        {"check box whose handler refuses the click", [](F& f) { f.X.checked = true; },
         [](F& f, V& v) { return w<QCheckBox>(v, f.X)->isChecked(); },
         [](F& f, V& v) {
             f.X.onclick = [&f] { f.L.caption = f.X.checked ? u"" : u"off", f.X.checked = true; };
             QTest::mouseClick(w<QCheckBox>(v, f.X), Qt::LeftButton);
         },
         [](F& f, V& v) { return f.L.caption == u"off" && w<QCheckBox>(v, f.X)->isChecked(); }},
        {"edit, typed through the filter at the caret", [](F& f) { f.E.text = u"12"; },
         [](F& f, V& v) { return w<QLineEdit>(v, f.E)->text() == "12"; },
         [](F& f, V& v) {
             w<QLineEdit>(v, f.E)->setCursorPosition(1);
             QTest::keyClicks(w<QLineEdit>(v, f.E), "5a6-");
         },
         [](F& f, V& v) { return f.E.text == u"1562" && w<QLineEdit>(v, f.E)->text() == "1562"; }},
        {"combo, chosen by key", [](F& f) { f.C.items.assign(3, u"c"), f.C.itemindex = 1; },
         [](F& f, V& v) { return w<QComboBox>(v, f.C)->currentIndex() == 1; },
         [](F& f, V& v) { QTest::keyClick(w<QComboBox>(v, f.C), Qt::Key_Down); },
         [](F& f, V&) { return f.C.itemindex == 2; }},
        {"report list selection, by mouse and key",
         [](F& f) { f.V.items.assign(3, u"row"), f.V.itemindex = 1; },
         [](F& f, V& v) { return v.listof(f.V)->selectionModel()->isRowSelected(1); },
         [](F& f, V& v) {
             QListView* l = v.listof(f.V);
             QTest::mouseClick(l->viewport(), Qt::LeftButton, {},
                               l->visualRect(l->model()->index(2, 0)).center());
             QTest::keyClick(l, Qt::Key_Up); // from the row clicked
         },
         [](F& f, V& v) {
             return f.V.itemindex == 1 && v.listof(f.V)->selectionModel()->isRowSelected(1);
         }},
        {"progress bar", [](F& f) { f.P.position = 40; },
         [](F& f, V& v) { return w<QProgressBar>(v, f.P)->value() == 40; }},
        {"label as wide as its caption", [](F& f) { f.L.caption = std::u16string(60, u'Ж'); },
         [](F& f, V& v) {
             return w<QLabel>(v, f.L)->width() >= w<QLabel>(v, f.L)->sizeHint().width();
         }},
        {"button whose handler fails", [](F& f) { f.B.caption = u"Стоп"; },
         [](F& f, V& v) { return w<QPushButton>(v, f.B)->text() == "Стоп"; },
         [](F& f, V& v) {
             f.B.onclick = [&f] { f.P.position = 7, throw std::runtime_error("Disk full"); };
             QTest::mouseClick(w<QPushButton>(v, f.B), Qt::LeftButton);
         },
         [](F& f, V& v) { return w<QProgressBar>(v, f.P)->value() == 7; }},
        {"window disabled, on top", [](F& f) { f.enabled = false, f.stayontop = true; },
         [](F&, V& v) { return !v.isEnabled() && v.windowFlags() & Qt::WindowStaysOnTopHint; }},
        {"window closed by the user", [](F& f) { f.caption = u"Окно"; },
         [](F&, V& v) { return v.windowTitle() == "Окно"; }, [](F&, V& v) { v.close(); },
         [](F& f, V& v) { return !f.visible && !v.isVisible(); }},
    };
    for (const kindcase& k : cases) {
        testform f;
        uiqt::qthost h;
        std::vector<std::u16string> errors;
        h.boxhook = [&](const std::u16string& text, bool) { errors.push_back(text); };
        h.show(f);
        uiqt::formview& v = h.view(f);
        k.change(f);
        h.handled();
        EXPECT_TRUE(k.shown(f, v)) << k.what;
        if (!k.input) continue;
        k.input(f, v);
        EXPECT_TRUE(k.reached(f, v)) << k.what;
        EXPECT_EQ(errors, std::vector<std::u16string>(f.B.onclick ? 1 : 0, u"Disk full."));
    }
}

// The list is rewritten in place as it grows, shrinks and changes; the choice
// and an editable combo's text are the model's after each change.
TEST(Views, ComboListsItsModelsItemsAfterEveryChange) {
    struct step {
        std::vector<std::u16string> items;
        int index;
        bool editable = false;
        std::u16string text = u"";
    };
    const step steps[] = {
        {{u"Кино"}, 0},
        {{u"Кино", u"Алиса", u"ДДТ"}, 2},    // grown
        {{u"Кино", u"Аквариум", u"ДДТ"}, 1}, // one changed, the chosen one
        {{u"Кино", u"Аквариум", u"ДДТ"}, 1}, // the same
        {{u"Аквариум"}, 0},                  // shrunk below the chosen one
        {{u"Аквариум"}, 3},                  // chosen beyond the end: none
        {{}, -1},                            // emptied
        {{u"a", u"b"}, 1, true, u"b"},       // editable
        {{u"c", u"d"}, 1, true, u"typed"},   // all changed, the text is no item
        {{u"c", u"d", u"e", u"f"}, -1, true, u"e"},
        {{u"f"}, 0, true, u"f"},
        {{}, -1, true, u""},
    };
    testform f;
    uiqt::qthost h;
    h.show(f);
    uiqt::formview& v = h.view(f);
    int i = 0;
    for (const step& s : steps) {
        f.C.items = s.items, f.C.itemindex = s.index, f.C.editable = s.editable, f.C.text = s.text;
        h.handled();
        QComboBox* cb = w<QComboBox>(v, f.C);
        std::vector<std::u16string> shown;
        for (int at = 0; at < cb->count(); ++at) shown.push_back(cb->itemText(at).toStdU16String());
        EXPECT_EQ(shown, s.items) << i;
        EXPECT_EQ(cb->currentIndex(), s.index < int(s.items.size()) ? s.index : -1) << i;
        if (s.editable) {
            EXPECT_EQ(cb->currentText().toStdU16String(), s.text) << i;
        }
        ++i;
    }
}

namespace {

// The ink of a report row on the screen: how many pixels, the longest run in
// one pixel row, and whether some are red.
struct ink {
    int dots = 0, run = 0;
    bool coloured = false;
};
ink inkof(const QImage& img, const QRect& r) {
    ink k;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(), run = 0; x <= r.right(); ++x) {
            const QColor p = img.pixelColor(x, y);
            run = qGray(p.rgb()) < 170 ? run + 1 : 0;
            k.dots += run > 0;
            k.run = std::max(k.run, run);
            k.coloured |= p.red() > 160 && p.green() < 90 && p.blue() < 90;
        }
    return k;
}

} // namespace

TEST(Views, ReportRowsArePaintedInTheirStyleWhenItChanges) {
    testform f;
    uiqt::qthost h;
    h.paintinterval = 0;
    f.V.items.assign(4, u"иииииииии");
    std::vector<ui::lineformat> styles(4);
    h.show(f);
    uiqt::formview& v = h.view(f);
    v.setlinestyle(f.V, [&](int row) { return styles[row]; });
    v.repaint(); // painted plain
    styles[1].bold = styles[3].bold = styles[2].strikeout = true;
    styles[3].color = ui::clRed;
    bool handled = false;
    QTimer::singleShot(0, [&] { handled = true; });
    h.repaint(f); // only the rows changed in place are painted again, and no input handled
    EXPECT_FALSE(handled);
    const QImage img = v.screen()->grabWindow(v.winId()).toImage();
    while (!handled) QCoreApplication::processEvents(); // it must not outlive the test
    QListView* l = v.listof(f.V);
    ink rows[4];
    for (int r = 0; r < 4; ++r) {
        const QRect box = l->visualRect(l->model()->index(r, 0));
        rows[r] = inkof(img, QRect(l->viewport()->mapTo(&v, box.topLeft()), box.size()));
    }
    EXPECT_GT(rows[0].dots, 20);
    EXPECT_FALSE(rows[0].coloured || rows[1].coloured || rows[2].coloured);
    EXPECT_GT(rows[1].dots, rows[0].dots * 6 / 5); // bold
    EXPECT_GT(rows[2].run, rows[0].run * 3);       // struck out
    EXPECT_TRUE(rows[3].coloured);
    EXPECT_GT(rows[3].dots, rows[0].dots * 6 / 5);
}

TEST(Host, ModalLoopsNestAndTheCloseBoxGivesCancel) {
    testform outer, inner;
    uiqt::qthost h;
    int innerresult = -1;
    outer.B.modalresult = mrAbort;
    outer.X.onclick = [&] {
        QTimer::singleShot(0, [&] { h.view(inner).close(); });
        innerresult = h.showmodal(inner);
        QTimer::singleShot(0, [&] { w<QPushButton>(h.view(outer), outer.B)->click(); });
    };
    QTimer::singleShot(0, [&] { w<QCheckBox>(h.view(outer), outer.X)->click(); });
    EXPECT_EQ(h.showmodal(outer), mrAbort);
    EXPECT_EQ(innerresult, mrCancel);
    EXPECT_FALSE(h.view(outer).isVisible() || h.view(inner).isVisible());
}

TEST(Host, AWindowBehindADialogPaintsAtMostOnceAnIntervalAndThenTheLast) {
    struct paints : QObject {
        int n = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            return n += e->type() == QEvent::Paint, false;
        }
    } count;
    testform f, d;
    uiqt::qthost h;
    h.paintinterval = 150;
    h.show(f);
    w<QLabel>(h.view(f), f.L)->installEventFilter(&count);
    std::vector<int> seen;
    // The label's paints after two changes, then once the last has come. False when the
    // machine was too busy to make the two changes within the interval.
    auto twochanges = [&] {
        QTest::qWait(2 * h.paintinterval); // the interval passes: what was held back is painted
        const int before = count.n;
        QElapsedTimer apart;
        seen.clear();
        for (auto text : {u"1", u"2"}) {
            f.L.caption = text;
            h.handled();
            QCoreApplication::processEvents();
            seen.push_back(count.n - before);
            if (!apart.isValid()) apart.start();
        }
        const bool within = apart.elapsed() < h.paintinterval;
        testqt::until([&] { return count.n - before > 1; });
        seen.push_back(count.n - before);
        return within;
    };
    QTimer::singleShot(0, [&] {
        for (int go = 0; go < 10 && !twochanges(); ++go) {
        }
        d.modalresult = mrOk;
        h.handled();
    });
    h.showmodal(d);
    EXPECT_EQ(seen, (std::vector<int>{1, 1, 2}));
}

TEST(Host, EveryShowingOpensOnTheFirstTabStopAndEnterAnswersTheDialog) {
    uiqt::qthost h;
    testform behind; // active between the showings, as the main window is
    h.show(behind);
    TForm2 q;
    TForm3 u;
    TForm7 r;
    TForm8 s;
    TForm11 a;
    // Shows the dialog; once it has the focus the user acts, then Enter goes to the
    // control with the focus. Gives the result, -1 when Enter answered nothing.
    auto answer = [&](form& f, std::function<void(uiqt::formview&)> act = {}) {
        QTimer::singleShot(0, [&, act] {
            uiqt::formview& v = h.view(f);
            EXPECT_TRUE(testqt::until([&] { return v.isAncestorOf(QApplication::focusWidget()); }))
                << testutil::u8(f.name());
            if (act) act(v);
            if (QWidget* at = QApplication::focusWidget();
                f.modalresult == mrNone && at && v.isAncestorOf(at))
                QTest::keyClick(at, Qt::Key_Return);
            if (f.modalresult == mrNone) f.modalresult = -1, h.handled();
        });
        h.bringtofront(behind);
        return std::to_string(h.showmodal(f)) + " ";
    };
    auto clicks = [](control& c) {
        return [&c](uiqt::formview& v) { QTest::mouseClick(v.widget(c), Qt::LeftButton); };
    };
    auto type = [&](control& c, const char* text) {
        return [&c, text, click = clicks(c)](uiqt::formview& v) {
            click(v), QTest::keyClicks(QApplication::focusWidget(), text);
        };
    };
    q.Edit1.text = u"Кино", q.Edit2.text = u"Это не любовь";
    std::string got = answer(q);
    got += testutil::u8(q.Edit1.text + q.Edit2.text) + " ";
    // "Стоп" clicked at one showing, Enter at the next: "Да"; Tab to "Нет": "Нет".
    got += answer(q, clicks(q.Button5)), got += answer(q);
    got += answer(
        q, [](uiqt::formview&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); });
    // "Личная компиляция", then Enter; Esc in a combo box's edit answers nothing, Enter "Да".
    got += answer(u, clicks(u.Button4)), got += answer(u);
    got += answer(u, [&](uiqt::formview& v) {
        QTest::mouseClick(v.widgetas<QComboBox>(u.ComboBox2)->lineEdit(), Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    r.ComboBox1.items = {u"a", u"b"};
    got += answer(r), got += answer(s, type(s.Edit4, "VA2"));
    got += testutil::u8(s.Edit4.text) + " ";
    got += answer(a, [&](uiqt::formview& v) { clicks(a.CheckBox2)(v), type(a.Edit2, "New")(v); });
    got += testutil::u8(a.Edit2.text);
    EXPECT_EQ(got, "1 КиноЭто не любовь 3 1 2 8 1 1 1 1 VA2 1 New");
}

// Lines held back behind a dialog reach the screen while it is up.
TEST(Host, TheLinesHeldBackBehindADialogArePaintedWhileItIsUp) {
    paints painted;
    testform f, d;
    uiqt::qthost h;
    h.show(f);
    QListView* list = h.view(f).listof(f.V);
    list->viewport()->installEventFilter(&painted);
    h.repaint(f);
    f.V.items = {u"a line added as the dialog opens"};
    h.repaint(f); // too soon after the last: held back
    painted.seen = {};
    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = testqt::until(
            [&] { return painted.seen.intersects(list->visualRect(list->model()->index(0, 0))); });
        d.modalresult = mrOk, h.handled();
    });
    h.showmodal(d);
    EXPECT_TRUE(shown);
}

// Shown again at once, a dialog may come before the toolkit has handled the
// keyboard's return to the window below; it is the active window all the same.
TEST(Host, EveryShowingOfADialogShownAgainAtOnceIsTheActiveWindow) {
    uiqt::qthost h;
    testform behind;
    h.show(behind);
    TForm2 q;
    int active = 0;
    for (int showing = 0; showing < 40 && active == showing; ++showing) {
        QTimer::singleShot(0, [&] {
            uiqt::formview& v = h.view(q);
            if (testqt::until([&] {
                    return v.isActiveWindow() && v.isAncestorOf(QApplication::focusWidget());
                }))
                ++active;
            q.modalresult = mrOk, h.handled();
        });
        h.bringtofront(behind);
        h.showmodal(q);
    }
    EXPECT_EQ(active, 40);
}

TEST(Host, BringingToFrontActivatesTheWindowUnlessItIsActive) {
    testform f, other;
    uiqt::qthost h;
    h.show(f);
    h.show(other); // shown last, the active one
    ASSERT_TRUE(QTest::qWaitForWindowActive(&h.view(other)));
    for (int twice = 0; twice < 2; ++twice) { // the second time it is active already
        h.bringtofront(f);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&h.view(f))) << twice;
    }
    EXPECT_FALSE(h.view(other).isActiveWindow());
}

TEST(Views, RowsAppendedOutOfSightRepaintNothingButRowsChangedInSightDo) {
    paints list;
    testform f;
    uiqt::qthost h;
    h.paintinterval = 0;
    f.V.items.assign(2, u"иииииииии");
    h.show(f);
    QListView* l = h.view(f).listof(f.V);
    l->viewport()->installEventFilter(&list);
    auto append = [&](int n) {
        list.seen = QRegion();
        for (int i = 0; i < n; ++i) f.V.items.push_back(u"ннннннннн");
        h.repaint(f); // lays the rows out and paints at once
    };
    auto painted = [&](int row) {
        return list.seen.contains(l->visualRect(l->model()->index(row, 0)).center());
    };
    append(1); // in sight
    EXPECT_TRUE(painted(2));
    EXPECT_FALSE(painted(0));
    append(40); // more than the list shows
    const int range = l->verticalScrollBar()->maximum();
    append(40);
    EXPECT_TRUE(list.seen.isEmpty()); // nothing in sight changed
    EXPECT_EQ(l->verticalScrollBar()->maximum(), range + 40);
    // A row in sight changed as rows are appended below: it alone is painted.
    f.V.items[1] = u"шшшшшшшшш";
    append(40);
    EXPECT_TRUE(painted(1));
    EXPECT_FALSE(painted(0) || painted(2));
}
