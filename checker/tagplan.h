// Tag-write planning: turns the unify dialog's choices into one write_tag
// operation for every track of the current folder whose tags must change.
#pragma once

#include "context.h"

namespace checker {

// Makes the artist and/or the album (as c.form3's boxes and texts choose) the
// same throughout the folder, gives every rewritten track the folder's year,
// fills empty titles from the file names when c.cfg.titlesfromnames is set,
// and adds one line for the folder when anything was planned. The folder's
// artist and album follow the values written. `titlesonly` changes only the
// wording of the line.
void plantagwrites(context& c, bool titlesonly);

} // namespace checker
