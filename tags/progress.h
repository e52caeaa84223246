// What a tag rewrite needs of the progress window while it copies a file's
// audio: the bars' maximum, the per-file bar, a repaint now, and one pass of
// the application's pending window messages per block. A batch owner installs
// one for the length of its batch; with none installed a rewrite is silent.
#pragma once

#include <functional>
#include <utility>

namespace id3v2 {

struct progress {
    std::function<int()> barmax;              // the maximum of the bars
    std::function<void(int)> setfileposition; // the per-file bar, 0..barmax
    std::function<void()> repaint;            // paint now; no input is handled
    std::function<void()> processmessages;    // handle the pending window messages
};

// Installs the progress of the rewrites that follow and returns the one it
// replaces. A member left empty is skipped; an empty progress is silence.
// A rewrite takes its own copy when it starts.
progress setprogress(progress p);
const progress& currentprogress();

// Installs a progress for the life of the scope, then puts back the one
// installed before.
class progressscope {
public:
    explicit progressscope(progress p) : previous_(setprogress(std::move(p))) {}
    ~progressscope() { setprogress(std::move(previous_)); }
    progressscope(const progressscope&) = delete;
    progressscope& operator=(const progressscope&) = delete;

private:
    progress previous_;
};

// A progress over a window object that offers barmax(), setfileposition(int),
// repaintnow() and processmessages(), as the progress window's form model
// does. The window must outlive the installation: end the scope before the
// window is closed.
template <class window>
progress windowprogress(window& w) {
    return {[&w] { return w.barmax(); }, [&w](int position) { w.setfileposition(position); },
            [&w] { w.repaintnow(); }, [&w] { w.processmessages(); }};
}

} // namespace id3v2
