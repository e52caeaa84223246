// formview: the real widget made for each kind of control, and its signals
// turned into the model's user actions.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolTip>

#include "formparts.h"
#include "formview.h"
#include "kept.h"
#include "reportmodel.h"

namespace uiqt {

namespace {

// Check and radio boxes take a click anywhere in their bounds, as on the
// system the windows were drawn for, not only on the mark and the caption.
template <typename B>
class wholebox : public B {
public:
    using B::B;

protected:
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

// A label whose caption, when too long, loses its middle as it is drawn
// and shows whole in its tooltip. It asks for no more width than it has,
// and for one line's height: its caption (a path, new at every showing of
// its dialog) is not laid out to tell its size.
class middlelabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize sizeHint() const override {
        const QMargins m = contentsMargins();
        return {0, fontMetrics().height() + m.top() + m.bottom() + 2 * margin()};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        style()->drawItemText(&p, contentsRect(), static_cast<int>(alignment()), palette(),
                              isEnabled(), shown(), foregroundRole());
    }
    bool event(QEvent* e) override {
        if (e->type() != QEvent::ToolTip || shown() == text()) return QLabel::event(e);
        QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), text(), this);
        return true;
    }

private:
    QString shown() const {
        return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
    }
};

} // namespace

QWidget* formview::build(forms::control& c) {
    QWidget* parent = this;
    if (c.parent)
        if (const entry* p = find(*c.parent)) parent = p->w;
    switch (c.what) {
    case kind::label: {
        auto* l = as<forms::label>(c).elidemiddle ? static_cast<QLabel*>(new middlelabel(parent))
                                                  : new keptlabel(parent);
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (dynamic_cast<forms::linklabel*>(&c)) {
            // Drawn as a link: navy, underlined, the hand cursor.
            QPalette p = l->palette();
            p.setColor(QPalette::WindowText, QColor(0, 0, 128));
            l->setPalette(p);
            l->setCursor(Qt::PointingHandCursor);
        }
        return l;
    }
    case kind::button: {
        // Enter presses the button that has the focus, as Space does.
        auto* b = new keptbutton<QPushButton, QStyle::CE_PushButton>(parent);
        b->setAutoDefault(true);
        return b;
    }
    case kind::checkbox: {
        auto* b = new keptbutton<wholebox<QCheckBox>, QStyle::CE_CheckBox>(parent);
        if (as<forms::checkbox>(c).captionleft) b->setLayoutDirection(Qt::RightToLeft);
        return b;
    }
    case kind::radiobutton: {
        auto* b = new keptbutton<wholebox<QRadioButton>, QStyle::CE_RadioButton>(parent);
        b->setAutoExclusive(false); // the model says which one is chosen
        if (as<forms::radiobutton>(c).captionleft) b->setLayoutDirection(Qt::RightToLeft);
        return b;
    }
    case kind::edit:
        return new QLineEdit(parent);
    case kind::combobox: {
        auto* b = new QComboBox(parent);
        b->setInsertPolicy(QComboBox::NoInsert);
        return b;
    }
    case kind::listbox:
        return new QListWidget(parent);
    case kind::listview: {
        if (!as<forms::listview>(c).columns.empty())
            return buildtable(as<forms::listview>(c), parent);
        auto* v = new reportlist(parent);
        v->setSelectionMode(QAbstractItemView::SingleSelection);
        v->setSelectionBehavior(QAbstractItemView::SelectRows);
        v->setEditTriggers(QAbstractItemView::NoEditTriggers);
        v->setUniformItemSizes(true);
        v->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        v->setTextElideMode(Qt::ElideNone);
        // The selection stays as visible when the list loses the focus.
        QPalette p = v->palette();
        for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
            p.setColor(QPalette::Inactive, role, p.color(QPalette::Active, role));
        v->setPalette(p);
        return v;
    }
    case kind::progressbar: {
        auto* b = new QProgressBar(parent);
        b->setTextVisible(false);
        return b;
    }
    case kind::groupbox:
        return new QGroupBox(parent);
    }
    return new QWidget(parent);
}

void formview::wire(entry& e) {
    forms::control* c = e.c;
    e.w->installEventFilter(this);
    switch (c->what) {
    case kind::button:
        connect(static_cast<QPushButton*>(e.w), &QPushButton::clicked, this,
                [this, c] { act([&] { form_.click(as<forms::button>(*c)); }); });
        break;
    case kind::checkbox:
    case kind::radiobutton:
        connect(static_cast<QAbstractButton*>(e.w), &QAbstractButton::clicked, this,
                [this, c] { act([&] { form_.click(as<forms::checkbox>(*c)); }); });
        break;
    case kind::edit: {
        auto* le = static_cast<QLineEdit*>(e.w);
        // Typed characters go through the model's filter (routekey); text
        // changed any other way (paste, cut, delete) arrives here.
        connect(le, &QLineEdit::textEdited, this, [this, c](const QString& text) {
            act([&] { form_.settext(as<forms::edit>(*c), u16(text)); });
        });
        break;
    }
    case kind::combobox: {
        auto* cb = static_cast<QComboBox*>(e.w);
        connect(cb, &QComboBox::activated, this,
                [this, c](int i) { act([&] { form_.select(as<forms::combobox>(*c), i); }); });
        break;
    }
    case kind::listbox: {
        auto* lw = static_cast<QListWidget*>(e.w);
        connect(lw, &QListWidget::currentRowChanged, this, [this, c](int row) {
            if (!updating_) act([&] { form_.select(as<forms::listbox>(*c), row); });
        });
        connect(lw, &QListWidget::itemClicked, this, [this, c] {
            act([&] {
                if (auto& l = as<forms::listbox>(*c); l.onclick) l.onclick();
            });
        });
        connect(lw, &QListWidget::itemDoubleClicked, this, [this, c] {
            act([&] {
                if (auto& l = as<forms::listbox>(*c); l.ondblclick) l.ondblclick();
            });
        });
        break;
    }
    case kind::listview: {
        if (!as<forms::listview>(*c).columns.empty()) {
            wiretable(e);
            break;
        }
        auto* v = static_cast<QListView*>(e.w);
        e.rows = new reportmodel(as<forms::listview>(*c), v);
        e.rows->setfont(basefont_);
        v->setModel(e.rows);
        v->setItemDelegate(new reportdelegate(v));
        v->viewport()->installEventFilter(this);
        owners_[v->viewport()] = c;
        // Keyboard moves; mouse presses are routed in routemouse.
        connect(v->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, c, v] {
            if (!updating_) act([&] { form_.select(as<forms::listview>(*c), selectedrow(v)); });
        });
        break;
    }
    default:
        break;
    }
}

} // namespace uiqt
