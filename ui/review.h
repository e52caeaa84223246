// Reviewing the report before Apply: switching a line's operations, or a
// folder's tag writes and rename, on and off; re-planning a folder after its
// tags were written in the folder tag editor; editing a proposed folder
// name. A line's operations are those whose listindex is its index; the
// first of them (the newest) decides what the line shows.
#pragma once

#include <string>

#include "program.h"

namespace ui {

// A folder-path line: the run writes each folder's absolute path as a line
// of its own.
bool folderline(const std::u16string& text);

// No operation of the list is switched on (also when there is none).
bool noneperformed(program& p);
// CheckBox5 shows the selected line's state: ticked (and bold) as its first
// operation's perform, hidden when the line has none or it is superseded.
// Left as it is with no line selected, no operations or no lines.
void showopswitch(program& p);
// ListView1's selection changed for `row` (selected or left): CheckBox5
// shows that line's state, unguarded.
void checkop(program& p, int row);
// ListView1 clicked: showopswitch.
void opcheck(program& p);
// CheckBox5 clicked: every operation of the selected line that is not
// superseded takes its tick, unless the line's first operation is
// superseded; the caption is bold while ticked; Apply follows.
void switchop(program& p);
// A mouse button pressed on ListView1 (its line already selected): the
// right button inverts the line, and on a folder-path line also the
// folder's tag writes and rename (switchfolderops mode 1).
void mouseswitchop(program& p, int button, unsigned shift);
// The operations whose pathname is exactly `path` (a folder's tag writes and
// its rename). Mode 1: each one not superseded is inverted by itself. Mode 0,
// after the folder tag editor wrote the folder: the tag writes of the files
// it wrote are switched off and superseded; a rename takes the name built
// from the all-tracks dialog's fields (its line says so), or is switched off
// and superseded when that is the folder's name already. Every changed line
// is redrawn and shown; Apply follows (never during a run).
void switchfolderops(program& p, const std::u16string& path, int mode);
// ListView1 double-clicked: on a folder-path line of an existing folder the
// folder tag editor (re-planning the folder when it has written a file,
// however it was closed); on a line whose first operation is a rename to be
// performed (outside a run), the run dialog dressed as the rename editor
// until a new name or "Cancel", the dialog's own dress restored afterwards.
void opEdit(program& p);

} // namespace ui
