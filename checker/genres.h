// The late steps of a folder's check: the folder's genres, the iTunes
// part-of-a-compilation flag and the backup names of its playlists.
//
// They work on the current folder (c.tracks, c.trackcount, c.curdir->item,
// which must be set) and read c.cfg.samegenre and c.cfg.bkpplaylists. Genre
// and flag changes are folded into the newest write_tag operation already
// planned for the same file.
#pragma once

#include <string>

#include "context.h"

namespace checker {

// True when the tracks agree on their genre (all carry the same non-empty one,
// or none carries any). Otherwise reports the discrepancy, and with samegenre
// plans the prevailing genre for every track that lacks it; false.
bool checkgenre(context& c);
// Gives every track whose genre differs from `genre` that genre.
void setgenre(context& c, const std::u16string& genre);
// Gives every track whose compilation flag is not "1" the flag "1".
void setcompflag(context& c);
// Reports the folder's "*.m3u" playlists and, with bkpplaylists, plans
// renaming each to its name + ".bkp", in directory-search order.
void backupplaylists(context& c);

} // namespace checker
