#include "qthost.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <algorithm>

#include "qtext.h"
#include "xdisplay.h"

namespace uiqt {

namespace {

bool exposed(const QWidget& w) {
    const QWindow* win = w.windowHandle();
    return w.isVisible() && win && win->isExposed();
}

// A window brought forward is restored first if it was minimized. Minimized
// a moment ago, it may be neither minimized nor inactive to Qt yet: the
// server is asked, and the window manager, asked to activate it, restores it.
void shownormal(QWidget& w) {
    const bool minimized = w.isMinimized() || xdisplay::iconic(w);
    if (minimized) w.setWindowState(w.windowState() & ~Qt::WindowMinimized);
    w.raise();
    // Asking for activation waits for the X server to answer; before each of
    // a run's dialogs the main window mostly has it already, given back by
    // the window manager when the previous one closed.
    if (minimized || !w.isActiveWindow()) w.activateWindow();
}

// Handles what the window system sends, except user input, until `done` or
// until `ms` have passed.
template <typename F>
void waitfor(F done, int ms) {
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(ms);
    while (!done() && wake.isActive())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
}

// A window is on the screen only once the window system has exposed it; a
// paint before that is dropped. Work that follows a show may block the event
// loop (a lookup waits for the network), so the window is painted first, and
// the server has drawn it before the caller goes on.
void waitexposed(QWidget& w) {
    if (!w.isVisible()) return;
    waitfor([&] { return exposed(w); }, 1000);
    xdisplay::roundtrip();
}

// On X the windows that a hidden window uncovers are asked to paint the
// uncovered part again once its frame is gone, which the window manager
// takes away in its own time. Work that follows may block the event loop (the
// release fetch after the chooser), so they paint now: the hidden window's
// picture would stay on the screen meanwhile, also where the paint of a
// window in the background is held back. The bound only keeps a window
// manager that never answers from holding the program. A compositing manager
// keeps every window's picture and asks for nothing.
void settle(QWidget& hidden, const std::vector<formview*>& shown) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    // A widget keeps the frame it first learnt of, which may be none yet.
    auto framed = [](QWidget* w) { return w->windowHandle()->frameGeometry(); };
    const QRect area = framed(&hidden);
    if (std::none_of(shown.begin(), shown.end(),
                     [&](formview* w) { return framed(w).intersects(area); }) ||
        xdisplay::composited())
        return;
    xdisplay::framewatch frame(hidden);
    waitfor([&] { return frame.gone(); }, 5000);
    xdisplay::handleevents(hidden); // the requests to paint follow the frame's unmapping
    for (formview* w : shown) w->paintnow();
    xdisplay::roundtrip();
}

// A window manager may offer to minimize a window that asks for no minimize
// button (openbox offers it on every window). A dialog minimized would leave
// the main window waiting on it with nothing to show, so such a window comes
// back at once; with the keyboard only if the program had it, or keys typed
// for another program would answer the dialog. Where the window manager
// ignores a request to show a window without the keyboard, the window comes
// back when the program is next made the active one.
class keepshown : public QObject {
public:
    keepshown() {
        if (qGuiApp)
            connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
                    [this](Qt::ApplicationState state) {
                        if (state != Qt::ApplicationActive) return;
                        for (const QPointer<QWidget>& w : waiting_)
                            if (w && w->isVisible() && w->isMinimized()) shownormal(*w);
                        waiting_.clear();
                    });
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* w = static_cast<QWidget*>(o);
        if (e->type() != QEvent::WindowStateChange || !w->isMinimized()) return false;
        if (QApplication::activeWindow()) {
            QTimer::singleShot(0, w, [w] { shownormal(*w); });
        } else {
            waiting_.emplace_back(w);
            QTimer::singleShot(0, w, [w] { xdisplay::restore(*w); });
        }
        return false;
    }

private:
    std::vector<QPointer<QWidget>> waiting_;
};

// Qt makes a window the active one only when its own focus window changes,
// and it keeps a hidden window as that until the keyboard has been elsewhere
// for a while. When a dialog is shown again before that, and the window below
// is handed the keyboard meanwhile, Qt passes that on to the dialog (which
// blocks it) and forgets the dialog lost the keyboard; the dialog's own
// focus-in then changes nothing, and it stays inactive: no cursor, drawn as
// a window in the background. Once the server has given a window the
// keyboard and Qt's focus window is that window, Qt's active window is made
// to agree.
void keyboardreached(unsigned long window) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->internalWinId() != window) continue;
        QWidget* modal = QApplication::activeModalWidget();
        if (w->isVisible() && QApplication::activeWindow() != w &&
            QGuiApplication::focusWindow() == w->windowHandle() && (!modal || modal == w))
            QApplication::setActiveWindow(w);
        return;
    }
}

} // namespace

qthost::qthost()
    : keepshown_(std::make_unique<keepshown>()),
      focuswatch_(std::make_unique<xdisplay::focuswatch>(keyboardreached)) {}

qthost::~qthost() {
    for (const modalloop& m : modals_) m.loop->exit();
    for (auto& [f, s] : views_)
        if (f->owner == this) const_cast<forms::form*>(f)->owner = nullptr;
}

void qthost::forget(forms::form& f) {
    for (const modalloop& m : modals_)
        if (m.f == &f) m.loop->exit();
    auto it = views_.find(&f);
    if (it == views_.end()) return;
    // The widgets may be in the middle of delivering an event: they go
    // once control is back in the event loop, and touch the model no more.
    formview* v = it->second.v.release();
    views_.erase(it);
    v->detach();
    v->hide();
    v->deleteLater();
}

formview& qthost::view(forms::form& f) {
    auto it = views_.find(&f);
    if (it != views_.end()) return *it->second.v;
    if (!f.owner) f.owner = this;
    auto v = std::make_unique<formview>(f);
    v->onhandled = [this] { handled(); };
    v->onerror = [this](const std::u16string& text) { errorbox(text); };
    v->paintinterval = &paintinterval;
    v->escapecloses = std::find(escapecloses.begin(), escapecloses.end(), &f) != escapecloses.end();
    if (!f.minimizebox) v->installEventFilter(keepshown_.get());
    viewstate s;
    s.v = std::move(v);
    return *views_.emplace(&f, std::move(s)).first->second.v;
}

formview* qthost::findview(const forms::form& f) const {
    auto it = views_.find(&f);
    return it == views_.end() ? nullptr : it->second.v.get();
}

bool qthost::due(const QElapsedTimer& painted) const {
    return paintinterval <= 0 || !painted.isValid() || painted.elapsed() >= paintinterval;
}

void qthost::refreshall() {
    for (auto& [f, s] : views_) {
        if (f->visible || s.v->isVisible()) {
            s.v->refresh();
            s.painted.start();
        }
        s.stale = false;
    }
}

void qthost::handled() {
    refreshall();
    for (const modalloop& m : modals_)
        if (m.f->modalresult != forms::mrNone) m.loop->exit();
}

int qthost::showmodal(forms::form& f) {
    formview& v = view(f);
    if (v.isVisible()) {
        f.visible = false;
        v.refresh();
    }
    f.modalresult = forms::mrNone;
    // Activation reaches the toolkit later: the window last asked to be
    // active is the one the dialog comes over.
    const QPointer<QWidget> before = front_ ? front_.data() : QApplication::activeWindow();
    front_ = &v;
    v.setWindowModality(Qt::ApplicationModal);
    v.setmodal(true);
    f.visible = true;
    if (f.onshow) f.onshow();
    refreshall();
    // What the windows behind hold back is painted by the interval's end,
    // while the dialog is up: painting it as each dialog opens would paint
    // the report once a dialog.
    v.raise();
    v.activateWindow();

    QEventLoop loop;
    modals_.push_back({&f, &loop});
    waitexposed(v);
    if (f.modalresult == forms::mrNone) loop.exec(QEventLoop::DialogExec);
    modals_.erase(std::find_if(modals_.begin(), modals_.end(),
                               [&](const modalloop& m) { return m.loop == &loop; }));
    // The application was told to quit while the dialog was open.
    if (f.modalresult == forms::mrNone) f.modalresult = forms::mrCancel;

    f.visible = false;
    v.setmodal(false);
    v.refresh();
    v.setWindowModality(Qt::NonModal);
    // The keys go back to that window at once: a window manager hands them
    // on in its own time, or not at all, and until some other window has
    // them the toolkit takes the dialog shown again for the active window
    // still and gives it no focus.
    front_ = before;
    if (before && before != &v && before->isVisible()) before->activateWindow();
    if (f.onclose) f.onclose();
    refreshall();
    uncovered(v);
    return f.modalresult;
}

void qthost::show(forms::form& f) {
    formview& v = view(f);
    // A window shown while a dialog is open belongs to that dialog, as the
    // wait window of a lookup belongs to the dialog that started it: the
    // window manager keeps it above the dialog, also when the dialog becomes
    // active again once the release chooser has closed.
    if (!modals_.empty() && modals_.back().f != &f)
        if (formview* top = findview(*modals_.back().f)) {
            v.winId(); // the window handle exists
            v.windowHandle()->setTransientParent(top->windowHandle());
        }
    f.visible = true;
    if (f.onshow) f.onshow();
    refreshall();
    v.raise();
    waitexposed(v);
}

void qthost::hide(forms::form& f) {
    f.visible = false;
    formview* v = findview(f);
    if (!v || !v->isVisible()) return;
    v->refresh();
    v->windowHandle()->setTransientParent(nullptr);
    uncovered(*v);
}

void qthost::uncovered(formview& hidden) {
    if (hidden.isVisible()) return;
    std::vector<formview*> shown;
    for (auto& [f, s] : views_)
        if (s.v.get() != &hidden && s.v->isVisible()) shown.push_back(s.v.get());
    settle(hidden, shown);
}

void qthost::bringtofront(forms::form& f) {
    formview& v = view(f);
    front_ = &v;
    v.refresh();
    shownormal(v);
}

void qthost::repaint(forms::form& f) {
    formview& v = view(f);
    viewstate& s = views_.find(&f)->second;
    if (!due(s.painted)) {
        s.stale = true;
        return;
    }
    v.refresh();
    v.paintnow();
    s.painted.start();
    s.stale = false;
}

void qthost::processmessages() {
    // Show what the models hold now, as often as the interval allows; a view
    // left unchanged costs nothing to the paint that follows.
    for (auto& [f, s] : views_) {
        if (!f->visible && !s.v->isVisible()) continue;
        if (due(s.painted)) {
            s.v->refresh();
            s.painted.start();
            s.stale = false;
        } else {
            s.stale = true;
        }
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool qthost::openurl(const std::u16string& url) {
    if (urlopener) return urlopener(url);
    return QDesktopServices::openUrl(QUrl(qs(url), QUrl::TolerantMode));
}

} // namespace uiqt
