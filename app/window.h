// The Qt side of the program's main window: the report lines drawn in their
// colours and styles, and folders dropped from a file manager handed to the
// main window's model.
#pragma once

#include "program.h"
#include "qthost.h"

namespace app {

// Binds the main window's view (built now) to the program. Drops are
// refused as they arrive while a run or an apply is in progress: the view
// hands a drop on only once the event loop turns, which may be after the
// run has ended.
void bindviews(uiqt::qthost& h, ui::program& p);

} // namespace app
