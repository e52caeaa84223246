// The progress installed for the rewrites: one for the whole program, as the
// rewrites run one at a time.
#include "progress.h"

namespace id3v2 {

namespace {
progress installed;
}

progress setprogress(progress p) {
    return std::exchange(installed, std::move(p));
}

const progress& currentprogress() {
    return installed;
}

} // namespace id3v2
