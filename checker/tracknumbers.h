// Track numbers and file numbering: numbers read out of track-number tags and
// out of file names, whether a folder is numbered 1..N completely, tag writes
// that take the numbers from the file names, and renames that put the tag
// numbers in front of the file names.
//
// All of them work on the current folder: c.tracks, c.trackcount and
// c.curdir->item (the folder's full path, no trailing "/"). The planners need
// c.curdir to be set.
#pragma once

#include <cstdint>
#include <string>

#include "context.h"

namespace checker {

// The listindex of the newest write_tag operation of the folder `path`
// (pathname equal exactly); -1 when there is none.
std::int32_t folderopindex(const context& c, const std::u16string& path);
// The newest write_tag operation of the file `filename` in the folder `path`,
// or null. The late planners fold their changes into it.
// Both look only at `path`'s operations at the head of the list (folderops):
// `path` is the folder being checked.
oplist* filetagop(context& c, const std::u16string& path, const std::u16string& filename);

// "0".."9" only.
bool isdigitw(char16_t ch);
// The number of a track-number tag: blanks removed, cut at the first "/"
// ("3/12" gives 3), then a whole decimal number with an optional sign; the
// empty text and text that is no 32-bit number give 0.
void trnoval(const std::u16string& text, std::int32_t& n);
// Some track's tag number is n.
bool trnoused(const context& c, std::int32_t n);
// s holds a run of exactly three digits with a non-digit after it (a run at
// the very end of s is not seen).
bool has3digits(const std::u16string& s);
// Every track's file name holds such a run; true for an empty folder.
bool all3digits(const context& c);
// Every number 1..trackcount is some track's tag number (duplicates and
// numbers above are not looked at); all3 := all3digits.
bool trnocomplete(const context& c, bool& all3);
// The first standalone one- or two-digit number of a file name, or -1. Two
// digits count between any non-digits ("Track07.mp3" gives 7); one digit only
// between characters below "0" ("7 - Song.mp3" gives 7, "Track7.mp3" and
// "7_Song.mp3" give -1). Longer runs never count, and the last two
// characters never start a number.
void filenumber(const std::u16string& s, std::int32_t& n);
// Some track's file number is n.
bool filenumberused(const context& c, std::int32_t n);
// Every number 1..trackcount is some track's file number.
bool filescomplete(const context& c);

// Plans tag writes that take the track numbers from the file names: each
// track whose file number differs from its tag number gets it, through its
// existing write_tag operation when there is one, else a new one. False, with
// nothing planned or reported, when the file names do not number the folder
// completely.
bool fixtrnos(context& c);
// Plans renaming every track's file to its two-digit tag number, a blank and
// its old name, all bound to the line the caller has just written.
void numberfiles(context& c);

} // namespace checker
