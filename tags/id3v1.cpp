// The ID3v1 tag in the last 128 bytes, and its merge into the ID3v2 values.
#include <cstring>

#include "reader.h"

namespace id3v2 {

namespace {

std::u16string v1field(const unsigned char* p, std::size_t n) {
    std::u16string s = platform::fromansi(std::string_view(reinterpret_cast<const char*>(p), n));
    trimtagfield(s);
    return s;
}

std::u16string decimal(unsigned v) {
    std::u16string s;
    do s.insert(s.begin(), static_cast<char16_t>(u'0' + v % 10));
    while (v /= 10);
    return s;
}

} // namespace

void readid3v1(platform::file& f, std::u16string& artist, std::u16string& title,
               std::u16string& album, std::u16string& year, std::string& tail31) {
    artist.clear();
    title.clear();
    album.clear();
    year.clear();
    tail31.clear();
    // 129, not 128: a file that is nothing but the block carries no tag.
    const std::int64_t size = f.isopen() ? f.size() : -1;
    if (size < 129) return;
    unsigned char b[128];
    if (!f.seek(size - 128) || f.read(b, sizeof b) != sizeof b) return;
    if (std::memcmp(b, "TAG", 3) != 0) return;
    title = v1field(b + 3, 30);
    artist = v1field(b + 33, 30);
    album = v1field(b + 63, 30);
    year = v1field(b + 93, 4);
    tail31.assign(reinterpret_cast<const char*>(b + 97), 31);
}

void readid3v1(const std::u16string& path, std::u16string& artist, std::u16string& title,
               std::u16string& album, std::u16string& year, std::string& tail31) {
    platform::file f;
    f.open(path, platform::openmode::read);
    readid3v1(f, artist, title, album, year, tail31);
}

void mergeid3v1(platform::file& f, tagvalues& out) {
    std::u16string artist1, title1, album1, year1;
    readid3v1(f, artist1, title1, album1, year1, v1tail);
    // ID3v1.1: a zero byte ends the comment and the track byte follows.
    if (v1tail.size() == 31 && v1tail[28] == 0) {
        const auto track = static_cast<unsigned char>(v1tail[29]);
        const auto genrebyte = static_cast<unsigned char>(v1tail[30]);
        if (out.trno.empty() && track != 0) out.trno = decimal(track);
        if (out.genre.empty() && genrebyte != 0 && genrebyte != 255)
            out.genre = u"(" + decimal(genrebyte) + u")";
    }
    if (year1.size() < 4) year1.clear();
    takefirst(out.artist, std::move(artist1));
    takefirst(out.title, std::move(title1));
    takefirst(out.album, std::move(album1));
    takefirst(out.year, std::move(year1));
    std::int32_t y = 0;
    if (!out.year.empty() && (!strtoint(out.year, y) || y == 0)) out.year.clear();
    trimtagfield(out.artist);
    trimtagfield(out.title);
    trimtagfield(out.album);
    trimtagfield(out.year);
}

void mergeid3v1(const std::u16string& path, std::u16string& artist, std::u16string& title,
                std::u16string& album, std::u16string& year, std::u16string& trno,
                std::u16string& genre) {
    std::u16string tcmp;
    bool haspicture = false;
    tagvalues out{artist, title, album, year, trno, genre, tcmp, haspicture, false};
    platform::file f;
    f.open(path, platform::openmode::read);
    mergeid3v1(f, out);
}

} // namespace id3v2
