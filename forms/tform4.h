// The progress window of a batch of tag rewrites: one bar for the batch, a
// line naming the file, one bar for the blocks of the file being copied.
// Modeless and always on top; no close box and no cancel: a batch runs to its
// end.
//
// A batch owner creates a new window for every batch, sets `owner`, calls
// open(), drives the bars and the label, and calls close() after its last
// pass. Closing frees the window: `closed` is then set, the window is hidden,
// and the owner drops the object without touching it again (the views free
// their widgets on close).
#pragma once

#include "form.h"

namespace forms {

class TForm4 : public form {
public:
    TForm4();

    progressbar ProgressBar1; // files of the batch done, 0..100
    label Label1;             // names the file being written
    progressbar ProgressBar2; // blocks of the current file copied, 0..100, continuous

    bool closed = false; // the close request was made; the window is gone

    // Shown modeless through the owner host.
    void open();
    // The close request: hides the window (at once, also when the host left
    // it visible) and runs onclose. Does nothing the second time.
    void close();
    // onclose: the window frees itself.
    void disappear();

    // What the batch owners and the tag rewrite update.
    int barmax() const { return ProgressBar2.max; }
    void setbatchposition(int position) { ProgressBar1.position = position; }
    void setfileposition(int position) { ProgressBar2.position = position; }
    void setlabel(std::u16string text) { Label1.caption = std::move(text); }
    // Paints the window now; no input is handled.
    void repaintnow();
    void tofront();
    // Lets the host handle every pending window message.
    void processmessages();
};

} // namespace forms
