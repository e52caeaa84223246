// The host of the real program: each form model is shown through one view
// with real Qt widgets, created when the form is first needed.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "formview.h"
#include "host.h"

class QEventLoop;
class QObject;

namespace uiqt {

namespace xdisplay {
class focuswatch;
}

class qthost : public forms::host {
public:
    qthost();
    ~qthost() override;
    qthost(const qthost&) = delete;
    qthost& operator=(const qthost&) = delete;

    // The form's view, built on first use. A form without an owner gets this
    // host as its owner, so that destroying it drops the view.
    formview& view(forms::form& f);
    formview* findview(const forms::form& f) const;
    std::size_t viewcount() const { return views_.size(); }

    // Every view shows its model again; modal loops whose form has a result
    // end. Runs after every user action.
    void handled();

    // Repaints of one window closer together than this many milliseconds are
    // gathered into the next one: a run appends lines far faster than anyone
    // can read them, and painting each would cost more than the run itself.
    // A user action, a dialog, or a later repaint or pump shows the rest.
    // The paints of a window other than the active one are gathered the
    // same way (each dialog of a run changes the main window behind it):
    // they reach the screen at most once an interval, the last of them when
    // the interval has passed.
    int paintinterval = 20;

    // The windows in which Esc acts like the close box (where the close box
    // means "cancel", not an answer of its own); applied to their views as
    // they are built.
    std::vector<const forms::form*> escapecloses;

    // Replaces the browser (tests, or a program without one): the URL goes
    // here instead, and its answer is returned.
    std::function<bool(const std::u16string& url)> urlopener;
    // Replaces the message and error boxes when set.
    std::function<void(const std::u16string& text, bool error)> boxhook;

    int showmodal(forms::form& f) override;
    void show(forms::form& f) override;
    void hide(forms::form& f) override;
    void bringtofront(forms::form& f) override;
    void repaint(forms::form& f) override;
    void processmessages() override;
    void messagebox(const std::u16string& text) override;
    void errorbox(const std::u16string& text) override;
    bool openurl(const std::u16string& url) override;
    bool browsefolder(const std::u16string& title, const std::u16string& start,
                      std::u16string& chosen) override;
    // Drops the form's view; a form whose owner is this host calls it when
    // it is destroyed.
    void forget(forms::form& f) override;

private:
    // Every shown window refreshed from its model now.
    void refreshall();
    bool due(const QElapsedTimer& painted) const;
    // The windows that `hidden`, just hidden, uncovered show their parts
    // again before the caller goes on.
    void uncovered(formview& hidden);

    struct modalloop {
        forms::form* f;
        QEventLoop* loop;
    };
    struct viewstate {
        std::unique_ptr<formview> v;
        QElapsedTimer painted; // the last refresh that reached the screen
        bool stale = false;    // the model changed since
    };
    std::map<const forms::form*, viewstate> views_;
    std::vector<modalloop> modals_;
    QPointer<QWidget> front_; // the window last asked to be the active one
    // Restores the windows that offer no minimize button when minimized.
    std::unique_ptr<QObject> keepshown_;
    // Makes the window the server gave the keyboard to the active one where
    // Qt missed it.
    std::unique_ptr<xdisplay::focuswatch> focuswatch_;
};

} // namespace uiqt
