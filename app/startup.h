// What the program checks before it reads or writes anything.
#pragma once

namespace app {

// False when VORLINDE_CODEPAGE is set to a value that names no single-byte
// code page (platform::codepageof): the value is then refused on stderr and,
// when `showbox`, in an error box the user closes; the program ends at once.
// Without a box only stderr tells, so a program started with no display to
// show a box on (offscreen) still ends.
bool codepageaccepted(bool showbox);

} // namespace app
