#include "qthost.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <algorithm>

#include "qtext.h"

namespace uiqt {

namespace {

bool exposed(const QWidget& w) {
    const QWindow* win = w.windowHandle();
    return w.isVisible() && win && win->isExposed();
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
// loop (a lookup waits for the network), so the window is painted first.
void waitexposed(QWidget& w) {
    if (!w.isVisible()) return;
    waitfor([&] { return exposed(w); }, 1000);
}

// Notes the windows other than `hidden` that are asked to paint again.
class exposewatch : public QObject {
public:
    explicit exposewatch(const QWindow* hidden) : hidden_(hidden) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    bool seen = false;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Expose && o != hidden_ && o->isWindowType()) seen = true;
        return false;
    }

private:
    const QWindow* hidden_;
};

// On X the windows that a hidden window uncovers are asked to paint the
// uncovered part again, a moment later (after the window manager has taken
// its frame away). Work that follows may block the event loop (the release
// fetch after the chooser), so they paint now: the hidden window's picture
// would stay on the screen meanwhile. A compositing manager keeps every
// window's picture and asks for nothing: once no window was asked, `composed`
// is set and there is no more waiting.
void settle(QWidget& hidden, const std::vector<QWidget*>& shown, bool& composed) {
    if (composed || QGuiApplication::platformName() != QLatin1String("xcb")) return;
    const QRect area = hidden.frameGeometry();
    if (std::none_of(shown.begin(), shown.end(),
                     [&](QWidget* w) { return w->frameGeometry().intersects(area); }))
        return;
    exposewatch watch(hidden.windowHandle());
    waitfor([&] { return watch.seen && !exposed(hidden); }, 250);
    composed = !watch.seen;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

qthost::qthost() = default;

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
    v.setWindowModality(Qt::ApplicationModal);
    v.setmodal(true);
    f.visible = true;
    if (f.onshow) f.onshow();
    refreshall();
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
    std::vector<QWidget*> shown;
    for (auto& [f, s] : views_)
        if (s.v.get() != &hidden && s.v->isVisible()) shown.push_back(s.v.get());
    settle(hidden, shown, composed_);
}

void qthost::bringtofront(forms::form& f) {
    formview& v = view(f);
    v.refresh();
    v.raise();
    // Asking for activation waits for the X server to answer; before each of
    // a run's dialogs the main window mostly has it already, given back by
    // the window manager when the previous one closed.
    if (!v.isActiveWindow()) v.activateWindow();
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

void qthost::messagebox(const std::u16string& text) {
    if (boxhook) return boxhook(text, false);
    refreshall();
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), qs(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void qthost::errorbox(const std::u16string& text) {
    // The application's error box ends a sentence the way the user expects.
    std::u16string shown = text;
    if (!shown.empty() && shown.back() > u'.') shown.push_back(u'.');
    if (boxhook) return boxhook(shown, true);
    refreshall();
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(), qs(shown),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool qthost::openurl(const std::u16string& url) {
    if (urlopener) return urlopener(url);
    return QDesktopServices::openUrl(QUrl(qs(url), QUrl::TolerantMode));
}

bool qthost::browsefolder(const std::u16string& title, const std::u16string& start,
                          std::u16string& chosen) {
    refreshall();
    QFileDialog dialog(QApplication::activeWindow(), qs(title));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    // Choosing a root must not offer to rename or delete the user's folders.
    dialog.setOption(QFileDialog::ReadOnly);
    if (!start.empty()) {
        // Open the folder's parent with the folder itself selected.
        const QFileInfo info(qpath(start));
        if (info.isDir() && !info.isRoot()) {
            dialog.setDirectory(info.absolutePath());
            dialog.selectFile(info.fileName());
        } else if (info.isDir()) {
            dialog.setDirectory(info.absoluteFilePath());
        }
    }
    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty()) return false;
    QString path = files.first();
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
    chosen = u16path(path);
    return true;
}

} // namespace uiqt
