// Apply: carries out the switched-on operations of the last run, in three
// passes, with the progress window open from start to end, and reports every
// step and every failure as a report line.
#pragma once

#include <cstdint>

#include "context.h"

namespace checker {

// The report lines of a failed step.
inline constexpr char16_t renamefailedline[] = u"не удалось переименовать, код ошибки ";
inline constexpr char16_t tagfailedline[] = u"не удалось записать тег";

// The number of switched-on tag writes in c.plannedops.
std::int32_t counttagwrites(const context& c);

// The main window's Apply button. With the main window disabled throughout:
//  1. the tag writes, in list order, each announced by a line and counted on
//     the progress window (c.form4 while it is open), which is the rewrite's
//     progress for the length of the pass;
//  2. the file renames, in list order, each folder's run under a header line;
//  3. the folder renames and playlist backups: deeper ones first (so that a
//     folder and one of its subfolders can both be renamed, and a playlist
//     goes before its folder), list order among equals.
// A failure is a line and does not stop the rest; nothing is overwritten (a
// rename to an existing name fails). The operation list is freed, the end
// line says whether everything went through, and a renamed root folder
// becomes the stored root (storeroot).
void applychanges(context& c);

} // namespace checker
