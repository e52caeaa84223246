// The Qt side of the program's windows: the report lines drawn in their
// colours and styles, folders dropped from a file manager handed to the main
// window's model, the keys and sizes of the windows, and Qt's own dialogs in
// the program's language.
#pragma once

#include "program.h"
#include "qthost.h"

namespace app {

// Binds the main window's view (built now) to the program. Drops are
// refused as they arrive while a run or an apply is in progress: the view
// hands a drop on only once the event loop turns, which may be after the
// run has ended.
// Also: the main window gets a minimum size at which every control stays
// visible and apart; Esc closes the about box, the release chooser and the
// settings dialog as their close box does.
void bindviews(uiqt::qthost& h, ui::program& p);

// Qt's own dialogs and buttons (the folder browser, the message boxes) speak
// Russian, as the program does, when the distribution's Qt translations are
// installed; otherwise they stay in English. Dates and numbers that Qt
// writes follow Russian usage either way.
void translateqt();

} // namespace app
