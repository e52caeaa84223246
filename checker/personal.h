// Personal compilations: a folder the user declared one keeps each track's
// artist, takes the folder's name as album and "artist - title" as title, and
// is renumbered 1..N in the order that c.cfg.sortorder chooses.
//
// The order routines replace c.tracks by a new list of copies, head first in
// the new order, each copy's trno holding its new number ("1".."N").
#pragma once

#include <cstdint>

#include "context.h"

namespace checker {

// Plans one write_tag operation per track of the current folder (c.curdir
// must be set) and one report line, after reordering the tracks as
// c.cfg.sortorder asks.
void planpersonal(context& c);

// Ascending by the key, compared code unit by code unit; tracks with equal
// keys keep their directory order; empty keys come first.
void sortbyfile(context& c);
void sortbyartist(context& c);
void sortbyalbum(context& c);
void sortbytitle(context& c);
// Random numbers 1..N, seeded from the high-resolution counter (the tick
// count when there is none). The new list runs in directory order.
void sortrandom(context& c);
// The same from a given seed, so that an order can be repeated.
void sortrandom(context& c, std::uint32_t seed);

// The generator behind sortrandom: a 32-bit state; each draw sets
// state := state * 134775813 + 1 (mod 2^32) and gives the high 32 bits of
// state * range, a whole number 0 <= r < range.
struct randomgen {
    std::uint32_t state = 0;
    std::uint32_t next(std::uint32_t range);
};

} // namespace checker
