// Dressing the unify dialog for the folder being analysed.
#pragma once

#include "context.h"

namespace checker {

// Fills c.form3 from the folder's tallies and values: the artist and album
// lists (prevailing value first, then the other variants in tally order),
// which fields are offered for unifying, the question, the folder, the
// proposed texts (c.dirartist, c.diralbum) and whether "Личная компиляция" is
// offered. Sets c.tagsincomplete when the tags are missing or incomplete but
// do not contradict each other (or only titles are missing).
void prepunify(context& c);

} // namespace checker
