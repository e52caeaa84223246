// The ID3v1.1 tag in the last 128 bytes: overwritten in place, or appended.
#include <algorithm>
#include <cstring>

#include "writer.h"

namespace id3v2 {

namespace {

// The text in the ANSI code page, cut to 30 bytes, padded with zeros; a lone
// surrogate is a character the code page lacks.
void putansi(unsigned char* at, std::u16string_view s) {
    const std::string a = platform::toansi(s);
    const std::size_t n = std::min<std::size_t>(a.size(), 30);
    std::memcpy(at, a.data(), n);
    std::memset(at + n, 0, 30 - n);
}

} // namespace

void fillid3v1(unsigned char* b, std::u16string_view artist, std::u16string_view title,
               std::u16string_view album, std::u16string_view year, bool changetrno,
               std::u16string_view trno, bool genrechanged, std::string_view tail) {
    std::memcpy(b, "TAG", 3);
    b[127] = 255;
    putansi(b + 3, title);
    putansi(b + 33, artist);
    putansi(b + 63, album);
    // The year's low bytes as they are, without the code page.
    for (std::size_t i = 0; i < 4; ++i)
        b[93 + i] = i < year.size() ? static_cast<unsigned char>(year[i] & 0xFF) : 0;
    if (tail.size() >= 31) {
        std::memcpy(b + 97, tail.data(), 31);
        if (genrechanged) b[127] = 0;
    }
    std::int32_t track = 0;
    if (changetrno && strtoint(trno, track)) b[126] = static_cast<unsigned char>(track & 0xFF);
}

bool writeid3v1tail(platform::file& f, std::u16string_view artist, std::u16string_view title,
                    std::u16string_view album, std::u16string_view year, bool changetrno,
                    std::u16string_view trno, bool genrechanged, std::string_view tail) {
    const std::int64_t size = f.size();
    if (size < 0) return false;
    if (size <= 128) return true;
    unsigned char block[128];
    if (!f.seek(size - 128) || f.read(block, sizeof block) != sizeof block) return false;
    if (std::memcmp(block, "TAG", 3) == 0) {
        if (!f.seek(size - 128)) return false;
    } else {
        std::memset(block, 0, sizeof block); // appended after the last byte
    }
    fillid3v1(block, artist, title, album, year, changetrno, trno, genrechanged, tail);
    platform::filetime date;
    return f.gettime(date) && f.write(block, sizeof block) && f.settime(date);
}

bool writeid3v1tail(const std::u16string& path, std::u16string_view artist,
                    std::u16string_view title, std::u16string_view album, std::u16string_view year,
                    bool changetrno, std::u16string_view trno, bool genrechanged,
                    std::string_view tail) {
    platform::file f;
    if (!f.open(path, platform::openmode::readwrite)) {
        platform::setreadonly(path, false);
        if (!f.open(path, platform::openmode::readwrite)) return false;
    }
    return writeid3v1tail(f, artist, title, album, year, changetrno, trno, genrechanged, tail) &&
           f.close();
}

bool writeid3v1(const std::u16string& path, const std::u16string& artist,
                const std::u16string& title, const std::u16string& album,
                const std::u16string& year, bool changetrno, const std::u16string& trno,
                bool genrechanged) {
    return writeid3v1tail(path, std::u16string_view(artist), std::u16string_view(title),
                          std::u16string_view(album), std::u16string_view(year), changetrno,
                          std::u16string_view(trno), genrechanged, std::string_view(v1tail));
}

} // namespace id3v2
