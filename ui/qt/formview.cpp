// formview: building the window, refreshing it from its model, painting and
// running user actions. Widgets per control kind are in formwidgets.cpp, the
// model pushed into them in formpush.cpp, events routed in formevents.cpp.
#include "formview.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>
#include <exception>

#include "formparts.h"
#include "platform.h"
#include "reportmodel.h"
#include "xdisplay.h"

namespace uiqt {

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

} // namespace

formview::formview(forms::form& f) : QWidget(nullptr), form_(f) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    painthold_.setSingleShot(true);
    connect(&painthold_, &QTimer::timeout, this, [this] { paintpending(); });
    substitutetahoma();
    basefont_ = QFont(qs(f.fontname), f.fontsize);
    // Scripts that need no shaping are drawn without it, as the windows'
    // own toolkit draws them (no kerning): a report row and a dialog's
    // captions cost a fraction to lay out.
    basefont_.setStyleStrategy(QFont::PreferNoShaping);
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
    for (const entry* e : stops) tabstops_.push_back(static_cast<std::size_t>(e - entries_.data()));

    resize(f.width, f.height);
    refresh();
}

formview::~formview() = default;

void formview::applywindowflags() {
    Qt::WindowFlags fl =
        (form_.sizeable ? Qt::Window : Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) |
        Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (form_.closebox) fl |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (form_.minimizebox) fl |= Qt::WindowMinimizeButtonHint;
    if (form_.sizeable) fl |= Qt::WindowMaximizeButtonHint;
    if (form_.stayontop) fl |= Qt::WindowStaysOnTopHint;
    if (fl == flags_) return;
    flags_ = fl;
    const bool shown = isVisible();
    setWindowFlags(fl); // hides the window
    if (shown) {
        askframe();
        show();
    }
}

void formview::askframe() {
    xdisplay::askframe(*this, {.close = form_.closebox,
                               .minimize = form_.minimizebox,
                               .maximize = form_.sizeable,
                               .resize = form_.sizeable});
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
            askframe();
            show();
            focusfirst();
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
        // window behind the dialogs of a run) at most once an interval. A
        // window that a dialog being shown blocks is behind it already,
        // though the activation has not reached it yet.
        const QWidget* modal = QApplication::activeModalWidget();
        const bool behind = !isActiveWindow() || (modal && modal != this);
        if (!syncing_ && interval > 0 && behind && lastpaint_.isValid() &&
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

void formview::setlinetext(const forms::listview& l,
                           std::function<const std::u16string&(int row)> text) {
    if (reportmodel* r = rowsof(l)) r->settext(std::move(text));
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

void formview::focusfirst() {
    // The windows are made once and shown again and again: a dialog opening
    // on the button last pressed there ("Стоп") would let Enter press it.
    for (std::size_t i : tabstops_) {
        entry& e = entries_[i];
        if (!e.c->visible || !e.c->enabled || !e.w->isVisibleTo(this) || !e.w->isEnabledTo(this))
            continue;
        focusto(e.c);
        e.w->setFocus(Qt::OtherFocusReason);
        return;
    }
    focusto(nullptr);
}

void formview::focusto(forms::control* c) {
    for (forms::control* other : form_.controls()) other->focused = other == c;
}

} // namespace uiqt
