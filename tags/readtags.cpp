// The reading entry point: opens the file, hands its ID3v2 tag to the reader
// of its version, then lets the ID3v1 tag fill the gaps.
#include <algorithm>
#include <cstring>

#include "reader.h"

namespace id3v2 {

namespace {

void reset() {
    picdata.reset();
    piclen = 0;
    picmime.clear();
    hasid3v2 = false;
    tagsize = 0;
    isv24 = false;
    keptframes.clear();
    v1tail.clear();
    tagpos = 0;
    frameid[0] = 0;
    framesize = 0;
}

} // namespace

bool readtagbuf(platform::file& f, std::int64_t filesize, const unsigned char* header,
                std::int64_t declared) {
    // A damaged header may claim far more than the file holds; only what is
    // there is read, and only that much memory is taken.
    const std::int64_t extent =
        std::min<std::int64_t>(10 + declared, std::max<std::int64_t>(filesize, 10));
    tagbuf.assign(reinterpret_cast<const char*>(header), 10);
    tagbuf.resize(static_cast<std::size_t>(extent));
    const std::int64_t got = f.read(tagbuf.data() + 10, tagbuf.size() - 10);
    if (got < 0) {
        tagbuf.clear();
        return false;
    }
    tagbuf.resize(10 + static_cast<std::size_t>(got));
    return true;
}

std::size_t skippadding(std::size_t pos, std::size_t header) {
    const std::size_t nonzero = tagbuf.find_first_not_of('\0', pos);
    const std::size_t zeros = (nonzero == std::string::npos ? tagbuf.size() : nonzero) - pos;
    return pos + zeros / header * header;
}

void readtags(const std::u16string& path, std::u16string& artist, std::u16string& title,
              std::u16string& album, std::u16string& year, std::u16string& trno,
              std::u16string& genre, std::u16string& tcmp, bool& haspicture, bool keepall) {
    reset();
    haspicture = false;
    for (std::u16string* s : {&artist, &title, &album, &year, &trno, &genre, &tcmp}) s->clear();
    platform::file f;
    if (!f.open(path, platform::openmode::read)) return;
    tagvalues out{artist, title, album, year, trno, genre, tcmp, haspicture, keepall};
    const std::int64_t filesize = f.size();
    unsigned char header[10];
    if (filesize > 10 && f.read(header, sizeof header) == sizeof header &&
        std::memcmp(header, "ID3", 3) == 0) {
        hasid3v2 = true;
        if (header[3] == 2)
            readid3v22(f, filesize, header, out);
        else
            readid3v23(f, filesize, header, out);
        // One large tag should not hold its memory until the next file.
        if (tagbuf.capacity() > (1u << 20)) std::string().swap(tagbuf);
        if (workbuf.capacity() > (1u << 20)) std::string().swap(workbuf);
        tagbuf.clear();
        workbuf.clear();
    }
    mergeid3v1(f, out);
}

} // namespace id3v2
