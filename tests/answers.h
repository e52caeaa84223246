// Answers to the modal windows of a window test, and waits for states. Each
// answer goes to the window it is meant for once that window is the modal one,
// and each showing of a window gets one answer at most, whoever queued it: a
// window shown again is a new showing, told apart by its show event, so an
// answer whose clicks let the event loop turn before the window has its result
// can never hand the answer meant for the window's next showing to this one.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <set>
#include <utility>

namespace testqt {

// A state that is to come comes long before this many milliseconds; the bound
// only keeps a broken program from hanging the run.
constexpr int never = 30000;

// Handles events until `done`; false if it never came.
inline bool until(const std::function<bool()>& done) {
    return QTest::qWaitFor(done, never);
}

// Waits until `done` while the program handles no event: for a state that
// others bring about (the X server, a window manager); false if it never came.
inline bool untilblocked(const std::function<bool()>& done) {
    QElapsedTimer t;
    for (t.start(); !done(); QThread::msleep(5))
        if (t.elapsed() > never) return false;
    return true;
}

// Handles events until everything posted before the call has been handled
// (a drop, an answer that the program queued for the event loop).
inline void drain() {
    bool reached = false;
    QTimer::singleShot(0, [&] { reached = true; });
    while (!reached) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Numbers the showings of every window of the application.
class showings : public QObject {
public:
    static showings& all() {
        static auto* s = new showings; // for the whole run, as the application's windows
        return *s;
    }
    // The window's showing now; true once, for the first answer that claims it.
    bool claim(QWidget& w) {
        if (!w.property(key).isValid()) w.setProperty(key, ++shown_); // shown before counting
        return answered_.insert(w.property(key).toInt()).second;
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show && o->isWidgetType() && static_cast<QWidget*>(o)->isWindow())
            o->setProperty(key, ++shown_);
        return false;
    }

private:
    showings() { qApp->installEventFilter(this); }
    static constexpr const char* key = "testqt.showing";
    int shown_ = 0;
    std::set<int> answered_;
};

class answers : public QObject {
public:
    // Says whether the modal window is the one the answer is for.
    using which = std::function<bool(QWidget* modal)>;

    answers() {
        showings::all();
        connect(&poll_, &QTimer::timeout, this, [this] { next(); });
        poll_.start(5);
    }

    // Answers the next showing of a modal window that `w` accepts by `act`,
    // after the answers queued here before it; the act may queue answers to
    // windows that it opens itself.
    void on(which w, std::function<void()> act) {
        todo_.emplace_back(std::move(w), std::move(act));
    }
    bool empty() const { return todo_.empty(); }

private:
    void next() {
        QWidget* m = QApplication::activeModalWidget();
        if (!m || todo_.empty() || !todo_.front().first(m) || !showings::all().claim(*m)) return;
        auto act = std::move(todo_.front().second);
        todo_.pop_front();
        QTimer::singleShot(0, this, act); // the poll may answer windows the act opens
    }

    QTimer poll_;
    std::deque<std::pair<which, std::function<void()>>> todo_;
};

// Acts once the window is the modal one, at a showing no other answer has had.
inline void when(QWidget& w, std::function<void()> act) {
    auto* once = new answers;
    once->on([&w](QWidget* m) { return m == &w; },
             [once, act = std::move(act)] { once->deleteLater(), act(); });
}

} // namespace testqt
