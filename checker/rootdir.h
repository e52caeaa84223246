// Storing a new root folder, as the folder button does after the browser and
// as a drop and Apply (after renaming the root itself) do directly.
#pragma once

#include <string>

#include "context.h"

namespace checker {

// The main window shows `folder` as the root, Apply is disabled (the planned
// operations stay), and the settings file is written anew holding it. When
// the file cannot be created (or none is bound, "-SC") the stored root keeps
// its old value; a path too long for the record is not stored (cut short it
// would name another folder), and the file then gets the record as it was.
// Failures are silent. An empty folder changes nothing.
void storeroot(context& c, const std::u16string& folder);

} // namespace checker
