// Answers to the modal windows of a window test, and waits for states of the
// event loop. Each answer goes to the window it is meant for once that window
// is the modal one, and each showing of a window gets one answer at most: a
// window shown again is a new showing, told apart by its show event, so an
// answer whose clicks let the event loop turn before the window has its result
// can never hand the answer meant for the window's next showing to this one.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <set>
#include <utility>

namespace testqt {

// Handles events until everything posted before the call has been handled
// (a drop, a paint, an answer that the program queued for the event loop).
inline void drain() {
    bool reached = false;
    QTimer::singleShot(0, [&] { reached = true; });
    while (!reached) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Handles events until `done`. A state that is to come comes long before this
// bound, which only keeps a broken program from hanging the run; false then.
inline bool until(const std::function<bool()>& done) {
    return QTest::qWaitFor(done, 30000);
}

class answers : public QObject {
public:
    // Says whether the modal window is the one the answer is for.
    using which = std::function<bool(QWidget* modal)>;

    answers() {
        qApp->installEventFilter(this);
        connect(&poll_, &QTimer::timeout, this, [this] { next(); });
        poll_.start(5);
    }

    // Answers the next showing of a modal window that `w` accepts by `act`,
    // after the answers given before it; the act may queue answers to windows
    // that it opens itself.
    void on(which w, std::function<void()> act) {
        todo_.emplace_back(std::move(w), std::move(act));
    }
    bool empty() const { return todo_.empty(); }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show && o->isWidgetType() && static_cast<QWidget*>(o)->isWindow())
            o->setProperty("testqt.showing", ++shown_);
        return false;
    }

private:
    void next() {
        QWidget* m = QApplication::activeModalWidget();
        if (!m || todo_.empty() || !todo_.front().first(m)) return;
        if (!answered_.insert(m->property("testqt.showing").toInt()).second) return;
        auto act = std::move(todo_.front().second);
        todo_.pop_front();
        QTimer::singleShot(0, this, act); // the poll may answer windows the act opens
    }

    QTimer poll_;
    int shown_ = 0;
    std::set<int> answered_; // the showings that have had their answer
    std::deque<std::pair<which, std::function<void()>>> todo_;
};

} // namespace testqt
