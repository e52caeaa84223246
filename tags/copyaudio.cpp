// The audio copy of a rewrite: one buffer, one progress step per block.
#include <algorithm>
#include <memory>

#include "writer.h"

namespace id3v2 {

std::int64_t copyaudio(platform::file& in, platform::file& out, std::int64_t size,
                       const progress& p) {
    const std::int64_t blocks = std::max<std::int64_t>(size / std::int64_t{copyblock}, 1);
    const std::int64_t max = p.barmax ? p.barmax() : 0;
    const auto buffer = std::make_unique_for_overwrite<char[]>(copyblock);
    std::int64_t copied = 0;
    for (std::int64_t i = 0;; ++i) {
        if (p.setfileposition) p.setfileposition(static_cast<int>(max * i / blocks));
        if (p.repaint) p.repaint();
        if (p.processmessages) p.processmessages();
        const std::int64_t got = in.read(buffer.get(), copyblock);
        if (got < 0) return -1;
        if (got > 0 && !out.write(buffer.get(), static_cast<std::size_t>(got))) return -1;
        copied += got;
        if (got < std::int64_t{copyblock}) return copied;
    }
}

} // namespace id3v2
