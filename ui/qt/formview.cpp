#include "formview.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <exception>

#include "platform.h"
#include "qtext.h"
#include "reportmodel.h"
#include "tform5.h"

namespace uiqt {

using forms::kind;

namespace {

// Captions are literal texts: an ampersand is no mnemonic.
QString literal(const std::u16string& s) {
    QString q = qs(s);
    q.replace(QLatin1Char('&'), QLatin1String("&&"));
    return q;
}

template <typename T>
T& as(forms::control& c) {
    return static_cast<T&>(c);
}

int selectedrow(const QListView* v) {
    const QModelIndexList rows = v->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

int mousebutton(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 3;
    default:
        return 0;
    }
}

// Characters a key press types into an edit: printable ones, and Backspace.
std::u16string typedchars(const QKeyEvent* e) {
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return {};
    if (e->key() == Qt::Key_Backspace) return u"\b";
    std::u16string out;
    for (QChar ch : e->text())
        if (ch.unicode() >= 0x20 && ch.unicode() != 0x7F) out.push_back(ch.unicode());
    return out;
}

} // namespace

namespace {

// The windows were laid out for Tahoma; where it is missing, a narrow face of
// about its width keeps the captions inside their controls.
void substitutetahoma() {
    static const bool done = [] {
        if (!QFontDatabase::hasFamily(QStringLiteral("Tahoma")))
            QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                                       {QStringLiteral("DejaVu Sans Condensed"),
                                        QStringLiteral("Liberation Sans Narrow"),
                                        QStringLiteral("Arial Narrow")});
        return true;
    }();
    (void)done;
}

// Check and radio boxes take a click anywhere in their bounds, as on the
// system the windows were drawn for, not only on the mark and the caption.
template <typename B>
class wholebox : public B {
public:
    using B::B;

protected:
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

} // namespace

formview::formview(forms::form& f) : QWidget(nullptr), form_(f) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    painthold_.setSingleShot(true);
    connect(&painthold_, &QTimer::timeout, this, [this] { paintpending(); });
    substitutetahoma();
    basefont_ = QFont(qs(f.fontname), f.fontsize);
    setFont(basefont_);
    applywindowflags();

    entries_.reserve(f.controls().size());
    for (forms::control* c : f.controls()) {
        entries_.push_back({c, build(*c), nullptr, {}});
        owners_[entries_.back().w] = c;
    }
    for (entry& e : entries_) wire(e);

    // Frames lie behind the controls drawn over them, whatever the order.
    for (entry& e : entries_)
        if (e.c->what == kind::groupbox) e.w->lower();

    // The tab order the model gives; a control without one is no tab stop.
    std::vector<const entry*> stops;
    for (const entry& e : entries_) {
        if (e.c->taborder >= 0) {
            stops.push_back(&e);
        } else if (e.w->focusPolicy() & Qt::TabFocus) {
            e.w->setFocusPolicy(Qt::ClickFocus);
        }
    }
    std::stable_sort(stops.begin(), stops.end(), [](const entry* a, const entry* b) {
        return a->c->taborder < b->c->taborder;
    });
    for (std::size_t i = 1; i < stops.size(); ++i) setTabOrder(stops[i - 1]->w, stops[i]->w);

    resize(f.width, f.height);
    refresh();
}

formview::~formview() = default;

void formview::applywindowflags() {
    Qt::WindowFlags fl =
        form_.sizeable ? Qt::Window : Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint;
    if (!form_.closebox)
        fl |= Qt::CustomizeWindowHint | Qt::WindowTitleHint; // no caption-bar buttons
    if (form_.stayontop) fl |= Qt::WindowStaysOnTopHint;
    if (fl == flags_) return;
    flags_ = fl;
    const bool shown = isVisible();
    setWindowFlags(fl); // hides the window
    if (shown) show();
}

QWidget* formview::build(forms::control& c) {
    QWidget* parent = this;
    if (c.parent)
        if (const entry* p = find(*c.parent)) parent = p->w;
    switch (c.what) {
    case kind::label: {
        auto* l = new QLabel(parent);
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
        auto* b = new QPushButton(parent);
        b->setAutoDefault(false);
        return b;
    }
    case kind::checkbox: {
        auto* b = new wholebox<QCheckBox>(parent);
        if (as<forms::checkbox>(c).captionleft) b->setLayoutDirection(Qt::RightToLeft);
        return b;
    }
    case kind::radiobutton: {
        auto* b = new wholebox<QRadioButton>(parent);
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

void formview::refresh() {
    if (detached_) return;
    ++updating_;
    applywindowflags();
    if (caption_ != form_.caption) {
        caption_ = form_.caption;
        setWindowTitle(qs(caption_));
    }
    const qreal opacity = std::clamp(form_.opacity, 0, 255) / 255.0;
    if (!qFuzzyCompare(windowOpacity(), opacity)) setWindowOpacity(opacity);
    const QSize client(std::max(form_.width, 0), std::max(form_.height, 0));
    if (!form_.sizeable) {
        if (minimumSize() != client || maximumSize() != client) setFixedSize(client);
    } else {
        if (minimumSize() == maximumSize()) {
            setMinimumSize(0, 0);
            setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        }
        if (size() != client) resize(client);
    }
    if (isEnabled() != form_.enabled) setEnabled(form_.enabled);

    for (entry& e : entries_) push(e);

    if (form_.visible != isVisible()) {
        if (form_.visible) {
            if (form_.centred)
                if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
                    move(s->availableGeometry().center() -
                         QPoint(client.width() / 2, client.height() / 2));
            show();
        } else {
            hide();
        }
    }
    // Focus asked for by a handler.
    for (entry& e : entries_)
        if (e.c->focused && e.c->visible && e.c->enabled && focusWidget() != e.w &&
            !(e.w->focusProxy() && focusWidget() == e.w->focusProxy()) && e.w->isVisibleTo(this)) {
            e.w->setFocus(Qt::OtherFocusReason);
            break;
        }
    --updating_;
}

namespace {

Qt::Alignment qtalignment(forms::textalign a, forms::textlayout l) {
    Qt::Alignment q = a == forms::textalign::centre  ? Qt::AlignHCenter
                      : a == forms::textalign::right ? Qt::AlignRight
                                                     : Qt::AlignLeft;
    q |= l == forms::textlayout::centre   ? Qt::AlignVCenter
         : l == forms::textlayout::bottom ? Qt::AlignBottom
                                          : Qt::AlignTop;
    return q;
}

} // namespace

void formview::push(entry& e) {
    forms::control& c = *e.c;
    QWidget* w = e.w;
    pushed& last = e.last;
    const bool all = !last.valid;
    last.valid = true;
    if (all || last.enabled != c.enabled) {
        last.enabled = c.enabled;
        w->setEnabled(c.enabled);
    }
    if (all || last.visible != c.visible) {
        last.visible = c.visible;
        if (w->isHidden() == c.visible) w->setVisible(c.visible);
    }
    if (all || last.showhint != c.showhint || last.hint != c.hint) {
        last.showhint = c.showhint;
        last.hint = c.hint;
        const QString tip = c.showhint ? qs(c.hint) : QString();
        if (w->toolTip() != tip) w->setToolTip(tip);
    }
    // A label's width follows its caption in its font.
    bool sized = all;
    if (all || last.bold != c.bold || last.italic != c.italic) {
        last.bold = c.bold;
        last.italic = c.italic;
        QFont font = basefont_;
        font.setBold(c.bold);
        font.setItalic(c.italic);
        if (dynamic_cast<forms::linklabel*>(&c)) font.setUnderline(true);
        if (w->font() != font) w->setFont(font);
        sized = true;
    }
    auto caption = [&](const std::u16string& text, auto set) {
        if (!all && last.caption == text) return;
        last.caption = text;
        set();
        sized = true;
    };

    switch (c.what) {
    case kind::label: {
        auto* l = static_cast<QLabel*>(w);
        const auto& m = as<forms::label>(c);
        caption(m.caption, [&] { l->setText(qs(m.caption)); });
        if (all || last.alignment != m.alignment || last.layout != m.layout) {
            last.alignment = m.alignment;
            last.layout = m.layout;
            l->setAlignment(qtalignment(m.alignment, m.layout));
            sized = true;
        }
        break;
    }
    case kind::groupbox: {
        auto* g = static_cast<QGroupBox*>(w);
        const auto& m = as<forms::groupbox>(c);
        caption(m.caption, [&] { g->setTitle(literal(m.caption)); });
        break;
    }
    case kind::button: {
        auto* b = static_cast<QPushButton*>(w);
        const auto& m = as<forms::button>(c);
        caption(m.caption, [&] { b->setText(literal(m.caption)); });
        break;
    }
    case kind::checkbox:
    case kind::radiobutton: {
        auto* b = static_cast<QAbstractButton*>(w);
        const auto& m = as<forms::checkbox>(c);
        caption(m.caption, [&] { b->setText(literal(m.caption)); });
        // The user's click changes the box before the model hears of it.
        if (b->isChecked() != m.checked) b->setChecked(m.checked);
        break;
    }
    case kind::edit: {
        auto* le = static_cast<QLineEdit*>(w);
        auto& m = as<forms::edit>(c);
        const int maxlength = m.maxlength > 0 ? m.maxlength : 32767;
        if (le->maxLength() != maxlength) le->setMaxLength(maxlength);
        if (le->isReadOnly() != m.readonly) le->setReadOnly(m.readonly);
        // Compared with the widget: typing may have left it unlike the model.
        const QString t = qs(m.text);
        if (le->text() != t) le->setText(t);
        if (m.selectallrequest) le->selectAll();
        break;
    }
    case kind::combobox: {
        auto* cb = static_cast<QComboBox*>(w);
        auto& m = as<forms::combobox>(c);
        QSignalBlocker block(cb);
        if (cb->isEditable() != m.editable) {
            cb->setEditable(m.editable);
            if (m.editable) {
                cb->setCompleter(nullptr); // the model's text is what was typed
                QLineEdit* le = cb->lineEdit();
                le->installEventFilter(this);
                owners_[le] = e.c;
                forms::control* ctl = e.c;
                connect(le, &QLineEdit::textEdited, this, [this, ctl](const QString& text) {
                    act([&] { form_.settext(as<forms::combobox>(*ctl), u16(text)); });
                });
            }
        }
        if (all || last.items != m.items) {
            last.items = m.items;
            cb->clear();
            QStringList items;
            items.reserve(static_cast<qsizetype>(m.items.size()));
            for (const auto& s : m.items) items.push_back(qs(s));
            cb->addItems(items);
        }
        const int index = m.itemindex < cb->count() ? m.itemindex : -1;
        if (cb->currentIndex() != index) cb->setCurrentIndex(index);
        if (m.editable) {
            const QString t = qs(m.text);
            if (cb->currentText() != t) cb->setEditText(t);
            if (m.selectallrequest) cb->lineEdit()->selectAll();
        }
        break;
    }
    case kind::listbox: {
        auto* lw = static_cast<QListWidget*>(w);
        auto& m = as<forms::listbox>(c);
        if (all || last.items != m.items) {
            last.items = m.items;
            lw->clear();
            for (const auto& s : m.items) lw->addItem(qs(s));
        }
        const int row = m.itemindex < lw->count() ? m.itemindex : -1;
        if (lw->currentRow() != row) lw->setCurrentRow(row);
        break;
    }
    case kind::listview:
        pushlist(e);
        break;
    case kind::progressbar: {
        auto* b = static_cast<QProgressBar*>(w);
        const auto& m = as<forms::progressbar>(c);
        if (b->minimum() != m.min || b->maximum() != m.max) b->setRange(m.min, m.max);
        if (b->value() != m.position) b->setValue(m.position);
        break;
    }
    }
    c.selectallrequest = false;

    QRect r(c.left, c.top, std::max(c.width, 0), std::max(c.height, 0));
    if (!sized && r == last.bounds) return;
    last.bounds = r;
    // A label is as wide as its text, as the toolkit the windows were drawn
    // for makes it: a wider font must not cut the caption. It grows away
    // from the side its caption keeps to.
    if (c.what == kind::label) {
        const int extra = w->sizeHint().width() - r.width();
        if (extra > 0) {
            switch (as<forms::label>(c).alignment) {
            case forms::textalign::left:
                r.setWidth(r.width() + extra);
                break;
            case forms::textalign::centre:
                r.adjust(-extra / 2, 0, extra - extra / 2, 0);
                break;
            case forms::textalign::right:
                r.setLeft(r.left() - extra);
                break;
            }
        }
    }
    if (w->geometry() != r) w->setGeometry(r);
}

void formview::pushlist(entry& e) {
    auto* v = static_cast<reportlist*>(e.w);
    auto& m = as<forms::listview>(*e.c);
    // New rows, and rows on the screen whose text or style changed in place.
    v->sync(*e.rows);
    const int rows = e.rows->rowCount();
    const int want = m.itemindex >= 0 && m.itemindex < rows ? m.itemindex : -1;
    if (selectedrow(v) != want) {
        if (want < 0) {
            v->selectionModel()->clear();
        } else {
            v->selectionModel()->setCurrentIndex(e.rows->index(want),
                                                 QItemSelectionModel::ClearAndSelect);
        }
    }
    if (m.showrow >= 0) {
        if (m.showrow < rows)
            v->scrollTo(e.rows->index(m.showrow), QAbstractItemView::EnsureVisible);
        m.showrow = -1;
    }
}

void formview::paintnow() {
    if (detached_ || !isVisible()) return;
    for (entry& e : entries_)
        if (e.rows) static_cast<reportlist*>(e.w)->layoutnow();
    paintpending();
}

void formview::paintpending() {
    painthold_.stop();
    // The request waiting in the queue, if any, is answered here.
    QCoreApplication::removePostedEvents(this, QEvent::UpdateRequest);
    QEvent update(QEvent::UpdateRequest);
    syncing_ = true;
    QCoreApplication::sendEvent(this, &update);
    syncing_ = false;
}

bool formview::event(QEvent* event) {
    if (event->type() == QEvent::UpdateRequest && !detached_) {
        const int interval = paintinterval ? *paintinterval : 0;
        // The window the user works in paints at once; the others (the main
        // window behind the dialogs of a run) at most once an interval.
        if (!syncing_ && interval > 0 && !isActiveWindow() && lastpaint_.isValid() &&
            lastpaint_.elapsed() < interval) {
            if (!painthold_.isActive())
                painthold_.start(static_cast<int>(interval - lastpaint_.elapsed()));
            return true;
        }
        painthold_.stop();
        lastpaint_.start();
    }
    return QWidget::event(event);
}

QWidget* formview::widget(const forms::control& c) const {
    const entry* e = find(c);
    return e ? e->w : nullptr;
}

QListView* formview::listof(const forms::listview& l) const {
    return qobject_cast<QListView*>(widget(l));
}

reportmodel* formview::rowsof(const forms::listview& l) const {
    const entry* e = find(l);
    return e ? e->rows : nullptr;
}

const formview::entry* formview::find(const forms::control& c) const {
    for (const entry& e : entries_)
        if (e.c == &c) return &e;
    return nullptr;
}

void formview::setlinestyle(const forms::listview& l,
                            std::function<ui::lineformat(int row)> style) {
    if (reportmodel* r = rowsof(l)) r->setstyle(std::move(style));
}

void formview::setdrophandler(std::function<void(const std::vector<std::u16string>&)> handler) {
    drophandler_ = std::move(handler);
    setAcceptDrops(static_cast<bool>(drophandler_));
}

void formview::act(const std::function<void()>& action) {
    if (detached_) return;
    try {
        action();
    } catch (const std::exception& ex) {
        const std::u16string text = platform::utf8to16(ex.what());
        if (onerror) {
            onerror(text);
        } else {
            QMessageBox::critical(this, QGuiApplication::applicationDisplayName(), qs(text));
        }
    }
    if (onhandled) {
        onhandled();
    } else {
        refresh();
    }
}

void formview::focusto(forms::control* c) {
    for (forms::control* other : form_.controls()) other->focused = other == c;
}

bool formview::eventFilter(QObject* watched, QEvent* event) {
    if (detached_) return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        if (passing_ || watched == this) return false;
        auto it = owners_.find(watched);
        if (it == owners_.end()) return false;
        return routekey(it->second, watched, static_cast<QKeyEvent*>(event));
    }
    case QEvent::FocusIn: {
        auto it = owners_.find(watched);
        if (it != owners_.end()) focusto(it->second);
        return false;
    }
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        auto it = owners_.find(watched);
        if (it == owners_.end()) return false;
        auto* me = static_cast<QMouseEvent*>(event);
        if (auto* link = dynamic_cast<forms::linklabel*>(it->second)) {
            if (event->type() != QEvent::MouseButtonRelease || me->button() != Qt::LeftButton)
                return false;
            act([&] {
                if (link->onclick) link->onclick();
            });
            return true;
        }
        if (it->second->what != kind::listview) return false;
        for (entry& e : entries_) {
            if (e.c != it->second || watched != static_cast<QListView*>(e.w)->viewport()) continue;
            // No selection by dragging: the model chose the row at the press.
            if (event->type() == QEvent::MouseMove) return me->buttons() != Qt::NoButton;
            return routemouse(e, event);
        }
        return false;
    }
    default:
        return false;
    }
}

bool formview::routekey(forms::control* c, QObject* watched, QKeyEvent* event) {
    const std::uint16_t vk = virtualkey(event->key());
    if (vk != 0) {
        std::uint16_t left = vk;
        act([&] { left = form_.keydown(c, vk, shiftstate(event->modifiers())); });
        if (left == 0) {
            event->accept();
            return true;
        }
    }
    if (c->what == kind::edit && qobject_cast<QLineEdit*>(watched)) {
        const std::u16string chars = typedchars(event);
        if (!chars.empty()) {
            auto* le = static_cast<QLineEdit*>(watched);
            auto& e = as<forms::edit>(*c);
            for (char16_t ch : chars) {
                // The model applies the character where the caret is.
                e.selstart = le->hasSelectedText() ? le->selectionStart() : le->cursorPosition();
                e.sellength =
                    le->hasSelectedText() ? static_cast<int>(le->selectedText().size()) : 0;
                act([&] { form_.type(e, ch); });
                if (e.selstart >= 0) le->setCursorPosition(e.selstart);
                e.selstart = -1;
                e.sellength = 0;
            }
            event->accept();
            return true;
        }
    }
    // Hand the key on to the widget (and its parents) without routing it
    // again on the way.
    passing_ = true;
    QCoreApplication::sendEvent(watched, event);
    passing_ = false;
    // It has been through its widget and the parents already.
    event->accept();
    return true;
}

bool formview::routemouse(entry& e, QEvent* event) {
    auto* v = static_cast<QListView*>(e.w);
    auto& l = as<forms::listview>(*e.c);
    auto* me = static_cast<QMouseEvent*>(event);
    const int row = v->indexAt(me->position().toPoint()).row();
    const int button = mousebutton(me->button());
    const unsigned shift = shiftstate(me->modifiers());
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        v->setFocus(Qt::MouseFocusReason);
        // The list selects the row under the pointer before the handler runs.
        act([&] {
            form_.select(l, row);
            if (l.onmousedown) l.onmousedown(button, shift, row);
        });
        return true;
    case QEvent::MouseButtonRelease:
        if (button == 1 && l.onclick) act([&] { l.onclick(); });
        return true;
    case QEvent::MouseButtonDblClick:
        act([&] {
            form_.select(l, row);
            if (l.onmousedown) l.onmousedown(button, shift, row);
            if (button == 1 && l.ondblclick) l.ondblclick();
        });
        return true;
    default:
        return false;
    }
}

void formview::keyPressEvent(QKeyEvent* event) {
    // Keys that reach the window itself: no control has the focus, or a
    // control's widget left the key unhandled (then it was routed already).
    if (!passing_) {
        if (const std::uint16_t vk = virtualkey(event->key())) {
            act([&] { form_.keydown(nullptr, vk, shiftstate(event->modifiers())); });
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void formview::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (detached_) return;
    if (!form_.closebox) return;
    if (modal_) {
        act([&] { form_.modalresult = forms::mrCancel; });
        return;
    }
    act([&] {
        if (form_.onclose) form_.onclose();
        form_.visible = false;
    });
    event->accept();
}

void formview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (detached_ || updating_ || !form_.sizeable) return;
    if (width() == form_.width && height() == form_.height) return;
    const int w = width(), h = height();
    act([&] { form_.resize(w, h); });
}

void formview::dragEnterEvent(QDragEnterEvent* event) {
    if (drophandler_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void formview::dropEvent(QDropEvent* event) {
    if (!drophandler_ || !event->mimeData()->hasUrls()) return;
    std::vector<std::u16string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        paths.push_back(url.isLocalFile() ? u16path(url.toLocalFile()) : u16(url.toString()));
    event->acceptProposedAction();
    // A drop may start a whole run: let the drag source finish first.
    QTimer::singleShot(0, this, [this, paths] { act([&] { drophandler_(paths); }); });
}

} // namespace uiqt
