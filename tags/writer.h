// What the tag writer's steps share inside the library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "id3v2.h"
#include "platform.h"
#include "progress.h"

namespace id3v2 {

// The audio is copied in blocks of this size, one progress step each.
inline constexpr std::size_t copyblock = 49152;

// The values of the new ID3v2.3 tag; an empty text or picture is left out.
struct newtag {
    std::u16string_view artist, title, album, year, trno, genre, tcmp;
    std::string_view picture, mime;
};

// One text frame: UTF-16 with the byte-order mark FF FE, no terminator.
std::string textframe(std::string_view id, std::u16string_view value);
// The picture as a front cover with an empty description.
std::string apicframe(std::string_view mime, std::string_view picture);
// The whole tag: header, our frames, then `kept` as it is; no padding. False
// when the frames are too large for the header's 28-bit size.
bool buildtag(const newtag& v, std::string_view kept, std::string& tag);

// The 128-byte ID3v1.1 tag over `block` (the tag being overwritten, or
// zeros), by the rules of writeid3v1, with `tail` in place of v1tail.
void fillid3v1(unsigned char* block, std::u16string_view artist, std::u16string_view title,
               std::u16string_view album, std::u16string_view year, bool changetrno,
               std::u16string_view trno, bool genrechanged, std::string_view tail);
// writeid3v1 with the ID3v1 tail passed in: on the file at `path`, or on one
// already open for reading and writing.
bool writeid3v1tail(platform::file& f, std::u16string_view artist, std::u16string_view title,
                    std::u16string_view album, std::u16string_view year, bool changetrno,
                    std::u16string_view trno, bool genrechanged, std::string_view tail);
bool writeid3v1tail(const std::u16string& path, std::u16string_view artist,
                    std::u16string_view title, std::u16string_view album, std::u16string_view year,
                    bool changetrno, std::u16string_view trno, bool genrechanged,
                    std::string_view tail);

// Copies everything from the position of `in` to its end onto `out`, one
// block at a time, advancing `p` before each block. `size` is the size of
// `in`, which sets the number of blocks of the bar. Returns the number of
// bytes copied, or -1 when a read or write fails.
std::int64_t copyaudio(platform::file& in, platform::file& out, std::int64_t size,
                       const progress& p);

} // namespace id3v2
