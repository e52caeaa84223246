// Track-list matching: the fetched track list of a release ("title #position"
// per line) placed into the folder tag editor's rows, by the sound of each
// file name, or by order when sound does not place every file.
#pragma once

#include <string>
#include <vector>

#include "controls.h"

namespace lookup {

// The four-character Soundex code of a text, on UTF-16 code units: the first
// character (an ASCII lower-case letter upper-cased), then the digits of the
// next coded consonant groups (B F P V 1, C G J K Q S X Z 2, D T 3, L 4, M N 5,
// R 6; H and W transparent; every other character 0), padded with "0".
// Empty text gives an empty code.
std::u16string soundex(const std::u16string& text);
// The part of a track line before its first "#" (with the blank before it);
// empty without "#".
void tracktitle(const std::u16string& line, std::u16string& title);
// The part after the first "#"; the whole line without "#".
void trackpos(const std::u16string& line, std::u16string& position);

// For each row of the editor's table, the first track line whose title sounds
// like the row's file name (extension included) gives the row its title, and
// an empty track number becomes the position of the line at the row's own
// index. True when every row was matched. Reads no line past the list's end.
bool matchtitles(forms::listview& rows, const std::vector<std::u16string>& tracks);
// Every row takes the title of the line at its own index, and an empty track
// number that line's position. Rows beyond the list's end are left alone.
void fillbyorder(forms::listview& rows, const std::vector<std::u16string>& tracks);

} // namespace lookup
