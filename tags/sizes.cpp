// The size and byte-order rules of the tag headers, one helper each.
#include "id3v2.h"

namespace id3v2 {

std::int32_t syncsafe2int(const unsigned char* b) {
    // Whole bytes, as old writers' sizes are read: at most 539 million.
    return ((b[0] * 128 + b[1]) * 128 + b[2]) * 128 + b[3];
}

std::int32_t syncsafe2int22(const unsigned char* b) {
    return ((b[0] & 127) << 21) | ((b[1] & 127) << 14) | ((b[2] & 127) << 7) | (b[3] & 127);
}

std::uint32_t be2int(const unsigned char* b) {
    return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
           b[3];
}

std::int32_t be2int22(const unsigned char* b) {
    return (b[0] << 16) | (b[1] << 8) | b[2];
}

std::string be32str(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

std::string int2syncsafe(std::uint32_t v) {
    return {static_cast<char>((v >> 21) & 127), static_cast<char>((v >> 14) & 127),
            static_cast<char>((v >> 7) & 127), static_cast<char>(v & 127)};
}

} // namespace id3v2
