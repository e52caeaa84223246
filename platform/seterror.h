// Inside the platform layer only: how the files of the layer set what
// lasterror() reports.
#pragma once

namespace platform {

// Makes `error` (0 for none) the number lasterror() reports; returns it.
int seterror(int error);

} // namespace platform
