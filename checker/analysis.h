// Track tag analysis: checks every track's artist, album and title against
// the folder's values, reports missing fields and variants, tallies the
// artists and albums, recognises a possible compilation and prepares the
// unify dialog when there is anything to fix.
#pragma once

#include <cstdint>
#include <string>

#include "context.h"

namespace checker {

// Works on the current folder (c.tracks, c.trackcount, c.dirartist,
// c.diralbum, c.diryear) and needs c.form3. Adds to `problems` (tracks with a
// missing or differing artist, album or title); sets `incomplete` (some track
// lacks one of them), `compilation` (two or more artists on one album, none
// missing) and `onlytitles` (the only faults are missing titles); all three
// are cleared on entry. On discrepancies the folder's artist and album become
// the prevailing ones. Empties the unify dialog's lists and, with problems,
// dresses it through prepunify.
void checktags(context& c, int& problems, bool& incomplete, bool& compilation, bool& onlytitles);

// The numbers of distinct non-empty artists and albums of the folder.
void countvariants(const context& c, int& artists, int& albums);

// The ending of the Russian word "трек" after the number n: "" (1, 21),
// "а" (2..4, 22..24), "ов" (0, 5..20, 25..30, 111 ...).
std::u16string trackword(std::int64_t n);

} // namespace checker
