// The folder run: the walk of the folder tree and the driver that takes the
// folders one by one, reads their tracks and hands each to the per-folder
// decisions.
#pragma once

#include <string>

#include "context.h"

namespace checker {

// The run over the root folder that the main window shows (c.form1.Label1):
// every folder after all of its subfolders, siblings in the reverse of the
// directory order, the root last. Writes the report lines, leaves the
// operations in c.plannedops, and ends with the closing lines (or the stop
// lines when the user stopped). Needs c.form2 and c.form3; the caller frees
// the previous run's operations and lines first.
void processdirs(context& c);

// Adds every folder below `path` to c.dirlist, depth first, each right before
// its own subfolders. Skipped: entries that are no folders, names beginning
// with "." (with their subtrees), a folder already listed in this walk under
// another path (a bind mount, a second link to it), and a link that leads
// into the tree below `path` (the folder is listed under its own path). A
// link leading out of the tree is followed, once. Folders that cannot be
// searched add nothing below them.
void walkdirs(context& c, const std::u16string& path);

} // namespace checker
