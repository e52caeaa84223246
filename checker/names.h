// The name and text rules shared by the checker and the dialogs: making a
// proposed folder name safe, cutting headlines, finding and checking years,
// splitting "Artist - Album" folder names, titles from file names, and
// removing the folder's artist and album from titles.
//
// Texts are UTF-16; lengths and positions are code units. A digit is "0".."9"
// only, a blank is U+0020 only. Case-blind tests use platform::upcase, which
// keeps the length (so a position in the upper-cased text is the same in the
// text) and folds Cyrillic. Paths use "/" as their only separator.
#pragma once

#include <string>
#include <string_view>

#include "context.h"

namespace checker {

// Makes s usable as a folder name: each of " * / : ; < > ? \ | becomes ".",
// control characters (U+0000..U+001F) are deleted, and a name made of
// control characters only becomes "_". When a control character was removed
// the line "  extra #0s in tag" is reported once. The name then loses its
// leading dots and the blanks after them (".38 Special" would be a hidden
// folder); one of nothing else becomes "_".
void cleanname(context& c, std::u16string& s);
// The first 45 units of s.
std::u16string cut45(const std::u16string& s);
// Empty, or one to four digits.
bool yearok(const std::u16string& s);
bool isdigitc(char16_t ch);
// The first run of exactly four digits in s when it is a year from 1900 to
// today's year (platform::today()); otherwise, and when that first run is
// out of range, the empty text.
std::u16string yearfromname(const std::u16string& s);
// Removes the year from the two parts of a folder name: a part equal to the
// year becomes empty; otherwise its first occurrence of the year goes, with
// the first "()", "[]" and " - " left behind, unless the year touches a "."
// (a date). A year shorter than four units removes only its own units.
void stripyear(std::u16string& artist, std::u16string& album, const std::u16string& year);
void rtrimsp(std::u16string& s);  // removes trailing blanks
void nospaces(std::u16string& s); // removes every blank
// Splits a folder name at its first " - " that has at least two characters
// after it: artist before it, album after it up to the first "[" or "(";
// both without trailing blanks. Without a separator artist is the whole name.
void splitdirname(const std::u16string& name, std::u16string& artist, std::u16string& album);
// The title a file name gives: the name without its extension (from the last
// "." of its last path component), as text (platform::nametext). ":" and "\"
// are ordinary name characters here.
std::u16string filetitle(const std::u16string& filename);
// s with every blank replaced by "_".
std::u16string underscores(const std::u16string& s);
// True when c.tracks is empty, or when s occurs case-blind in the text of the
// file name of every track; the empty s occurs in no name.
bool inallnames(const context& c, const std::u16string& s);
// The four flags for cleantitle: artist and album, and their underscore forms
// (tested only when they differ), occur in every file name.
void namesinfiles(const context& c, const std::u16string& artist, const std::u16string& album,
                  bool& inartist, bool& inalbum, bool& inartistus, bool& inalbumus);
// Removes the first case-blind occurrence of s from title, with a " - " or
// "_-_" right after it.
void cutname(const std::u16string& s, std::u16string& title);
// cutname with c.dirartist, c.diralbum and their underscore forms, as flagged.
void cleantitle(const context& c, bool inartist, bool inalbum, bool inartistus, bool inalbumus,
                std::u16string& title);

// The last component of a path (after its last "/"); the whole path without
// "/"; empty when it ends with "/".
std::u16string lastdir(const std::u16string& path);
// lastdir as text (platform::nametext): what a folder's name proposes as an
// artist, an album or a year.
std::u16string lastdirtext(const std::u16string& path);
// A path as the user reads it: each component as text (platform::nametext),
// read by itself, so that one component's legacy bytes do not decide how
// another reads. For showing only: what is opened or renamed keeps the bytes.
std::u16string pathtext(std::u16string_view path);
// The path up to and including its last "/"; empty without "/".
std::u16string parentdir(const std::u16string& path);

} // namespace checker
