// The per-folder decisions of a run: complete missing album data with the
// user, analyse the tracks, unify or fill their tags, treat compilations,
// propose and confirm a new folder name, then the genre, track-number and
// file-numbering steps.
#pragma once

#include "context.h"

namespace checker {

// Runs the steps for the current folder (c.curdir, c.tracks and the folder's
// artist, album and year read) up to, not including, its folder end. Ends
// early when the user skips, stops or declares a personal compilation
// (c.skip, c.stop). Needs c.form2 and c.form3.
void decidefolder(context& c);

// The "НЕ компиляция" button of the rename confirmation (c.form2's Button6):
// runs the unify dialog from inside the confirmation, and either closes the
// confirmation with "Нет" when the folder already bears the unified name or
// shows it again with the artist to confirm.
void cmprocess(context& c);

} // namespace checker
