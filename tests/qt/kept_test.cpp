// Push buttons, boxes and labels that paint from a kept picture of
// themselves, each shown beside the toolkit's own widget of its class: in
// every look they take they must show the same pixels, and a look seen last
// but one is not drawn again.
#include <gtest/gtest.h>

#include <QTest>
#include <QtWidgets>

#include "answers.h"
#include "kept.h"

using uiqt::keptbutton;

namespace {

// The application's style, counting how often it draws one element for one widget.
struct drawcount : QProxyStyle {
    QStyle::ControlElement element;
    const QWidget* of = nullptr;
    mutable int n = 0;
    explicit drawcount(QStyle::ControlElement e)
        : QProxyStyle(QStyleFactory::create(QApplication::style()->name())), element(e) {}
    void drawControl(ControlElement e, const QStyleOption* o, QPainter* p,
                     const QWidget* w) const override {
        n += e == element && w == of;
        QProxyStyle::drawControl(e, o, p, w);
    }
};

// The largest difference of one channel between two pictures; 256 when their sizes differ.
int maxdiff(const QImage& a0, const QImage& b0) {
    const QImage a = a0.convertToFormat(QImage::Format_ARGB32);
    const QImage b = b0.convertToFormat(QImage::Format_ARGB32);
    if (a.size() != b.size()) return 256;
    int d = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            d = std::max({d, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return d;
}

// What a button looks like: the state a form gives it and the window it is in.
struct look {
    const char* what;
    bool checked = false, focus = false, enabled = true, active = true, rtl = false;
    QString text = "Сохранить &всё";
};

// A kept button and the toolkit's own of the same class, side by side in one
// shown window, and a second window to take the activation away.
template <typename B, QStyle::ControlElement E>
struct sidebyside {
    drawcount style{E};
    QWidget win, other;
    QWidget* sink = new QWidget(&win); // holds the focus when neither button has it
    keptbutton<B, E>* kept = new keptbutton<B, E>(&win);
    B* plain = new B(&win);

    explicit sidebyside(QSize size) {
        QFont font("DejaVu Serif", 11); // unlike the application's
        // The style's own palette is the same behind another window.
        QPalette palette = kept->palette();
        palette.setColor(QPalette::Inactive, QPalette::ButtonText, Qt::darkRed);
        palette.setColor(QPalette::Inactive, QPalette::WindowText, Qt::darkRed);
        font.setStyleStrategy(QFont::PreferNoShaping);
        for (B* b : {static_cast<B*>(kept), plain}) {
            b->setStyle(&style);
            b->setFont(font);
            b->setPalette(palette);
            b->setCheckable(true);
            b->setAutoExclusive(false); // two radio boxes of one parent: each on its own
            b->resize(size);
        }
        style.of = kept;
        // Away from the window's corner, where the pointer may be.
        kept->move(30, 30);
        plain->move(size.width() + 40, 30);
        sink->setFocusPolicy(Qt::StrongFocus);
        sink->setGeometry(0, 0, 20, 20);
        win.resize(2 * size.width() + 50, size.height() + 40);
        other.resize(50, 50);
        other.show();
        win.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&win));
    }

    // Gives both buttons the look and takes a picture of each; the focused one
    // last, so that the kept button stays in the look until the next.
    std::pair<QImage, QImage> grab(const look& l) {
        QWidget& front = l.active ? win : other;
        if (!front.isActiveWindow()) {
            front.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&front)) << l.what;
        }
        for (B* b : {static_cast<B*>(plain), static_cast<B*>(kept)}) {
            b->setChecked(l.checked);
            b->setEnabled(l.enabled);
            b->setText(l.text);
            b->setLayoutDirection(l.rtl ? Qt::RightToLeft : Qt::LeftToRight);
        }
        auto shot = [&](B* b) {
            if (l.focus)
                b->setFocus(Qt::TabFocusReason); // a focus frame is drawn
            else
                sink->setFocus(Qt::TabFocusReason);
            win.setAttribute(Qt::WA_KeyboardFocusChange); // as after Tab: the focus is drawn
            return b->grab().toImage();
        };
        QImage p = shot(plain);
        return {shot(kept), p};
    }
};

// Each look against the toolkit's button; the largest difference of a channel seen.
template <typename B, QStyle::ControlElement E>
int looklikeplain(const char* kind, QSize size) {
    SCOPED_TRACE(kind);
    sidebyside<B, E> s(size);
    const look plain{"plain"};
    const look looks[] = {
        plain,
        {"checked", true},
        plain,
        {"focused", false, true},
        plain,
        {"disabled", false, false, false},
        {"checked, disabled", true, false, false},
        plain,
        {"caption changed", false, false, true, true, false, "Нет"},
        plain,
        {"caption on the left", false, false, true, true, true},
        plain,
        {"behind another window", false, false, true, false},
        {"checked, behind another window", true, false, true, false},
        plain,
    };
    int worst = 0;
    QImage before;
    bool wasrtl = false;
    for (const look& l : looks) {
        const auto [kept, ref] = s.grab(l);
        const int d = maxdiff(kept, ref);
        worst = std::max(worst, d);
        // Soft edges (a radio box's ring, the glyphs) drawn on a clear picture and
        // then laid on the background are rounded twice: a step or two off.
        EXPECT_LE(d, 2) << l.what;
        // A look that shows like the one before proves nothing (a push button's
        // caption is centred either way).
        const bool alike = E == QStyle::CE_PushButton && (l.rtl || wasrtl);
        EXPECT_TRUE(alike || maxdiff(ref, before) != 0) << l.what;
        before = ref, wasrtl = l.rtl;
    }
    return worst;
}

} // namespace

TEST(KeptButtons, LookAsTheToolkitsOwnInEveryLook) {
    const int worst[] = {
        looklikeplain<QPushButton, QStyle::CE_PushButton>("push button", {140, 28}),
        looklikeplain<QCheckBox, QStyle::CE_CheckBox>("check box", {160, 22}),
        looklikeplain<QRadioButton, QStyle::CE_RadioButton>("radio box", {160, 22}),
    };
    std::printf("largest channel difference: %d %d %d\n", worst[0], worst[1], worst[2]);
}

// A look seen last but one is laid from its picture; a third look takes the
// place of the older of the two.
TEST(KeptButtons, DrawOnlyALookNotAmongTheLastTwo) {
    sidebyside<QCheckBox, QStyle::CE_CheckBox> s({160, 22});
    const look a{"plain"}, b{"checked", true}, c{"disabled", false, false, false};
    std::string drawn;
    for (const look* l : {&a, &b, &a, &c, &a, &b, &c, &a}) {
        const int before = s.style.n;
        const auto [kept, ref] = s.grab(*l);
        EXPECT_LE(maxdiff(kept, ref), 2) << l->what;
        drawn += s.style.n > before ? '+' : '-';
    }
    EXPECT_EQ(drawn.substr(1), "+-+-+++"); // the first may have been drawn as the window showed
}

// A label has no soft edges of its own: its glyphs land as the toolkit's do.
TEST(KeptLabels, LookAsTheToolkitsOwnInEveryLookTheyTake) {
    QWidget window;
    window.resize(420, 120);
    auto* kept = new uiqt::keptlabel(&window);
    auto* plain = new QLabel(&window);
    for (QLabel* l : {static_cast<QLabel*>(kept), plain}) {
        l->setTextFormat(Qt::PlainText);
        l->resize(400, 24);
    }
    plain->move(0, 40);
    window.show();
    struct look {
        const char* what;
        std::function<void(QLabel&)> set;
    };
    const look looks[] = {
        {"latin", [](QLabel& l) { l.setText("Artist - Album (1999)"); }},
        {"cyrillic", [](QLabel& l) { l.setText(QString::fromUtf8("Исполнитель — Альбом")); }},
        {"right", [](QLabel& l) { l.setAlignment(Qt::AlignRight | Qt::AlignVCenter); }},
        {"bold",
         [](QLabel& l) {
             QFont f = l.font();
             f.setBold(true);
             l.setFont(f);
         }},
        {"disabled", [](QLabel& l) { l.setEnabled(false); }},
        {"enabled", [](QLabel& l) { l.setEnabled(true); }},
        {"navy",
         [](QLabel& l) {
             QPalette p = l.palette();
             p.setColor(QPalette::WindowText, QColor(0, 0, 128));
             l.setPalette(p);
         }},
        {"back to latin", [](QLabel& l) { l.setText("Artist - Album (1999)"); }},
        {"ampersand", [](QLabel& l) { l.setText("Rock & Roll"); }},
        {"hebrew", [](QLabel& l) { l.setText(QString::fromUtf8("שלום עולם")); }},
    };
    for (const look& k : looks) {
        k.set(*kept), k.set(*plain);
        const int d = maxdiff(kept->grab().toImage(), plain->grab().toImage());
        EXPECT_EQ(d, 0) << k.what;
    }
}
