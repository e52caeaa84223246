// The frame walk of ID3v2.3 and ID3v2.4 tags.
#include <algorithm>
#include <array>
#include <cstring>

#include "reader.h"

namespace id3v2 {

namespace {

constexpr std::array<std::string_view, 20> carriedids = {
    "COMM", "APIC", "TEXT", "MCDI", "USLT", "SYLT", "GEOB", "WOAR", "WOAF", "PCNT",
    "POPM", "RBUF", "LINK", "AENC", "TOPE", "WXXX", "TCOM", "TENC", "TLAN", "TPOS"};

bool carried(std::string_view id) {
    return std::find(carriedids.begin(), carriedids.end(), id) != carriedids.end();
}

const unsigned char* at(std::size_t pos) {
    return reinterpret_cast<const unsigned char*>(tagbuf.data()) + pos;
}

bool frameidchar(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Could a frame, the padding or the end of the tag stand at pos?
bool framestart(std::size_t pos) {
    if (pos == tagbuf.size()) return true;
    if (pos > tagbuf.size()) return false;
    if (tagbuf[pos] == 0) return true;
    return pos + 4 <= tagbuf.size() && std::all_of(at(pos), at(pos + 4), frameidchar);
}

// Where the frames start. An ID3v2.3 extended-header size leaves out its own
// four bytes, an ID3v2.4 one counts them.
std::size_t firstframe(unsigned char flags) {
    if (!(flags & 0x40)) return 10;
    if (tagbuf.size() < 14) return tagbuf.size();
    const std::int64_t start =
        isv24 ? 10 + std::int64_t{syncsafe2int(at(10))} : 14 + std::int64_t{be2int(at(10))};
    // Some writers set the flag without writing the header: then a frame
    // stands right after the tag header, and the claimed size leads nowhere.
    if (start > static_cast<std::int64_t>(tagbuf.size()) &&
        std::all_of(at(10), at(14), frameidchar))
        return 10;
    return static_cast<std::size_t>(std::min<std::int64_t>(start, tagbuf.size()));
}

// iTunes wrote ID3v2.4 frame sizes as plain numbers. Where the syncsafe
// reading lands in the middle of nowhere and the plain one on the next frame,
// the plain one is meant.
std::uint32_t v24framesize(std::size_t datapos) {
    const std::uint32_t syncsafe = static_cast<std::uint32_t>(syncsafe2int(at(datapos - 6)));
    const std::uint32_t plain = be2int(at(datapos - 6));
    if (plain == syncsafe || framestart(datapos + syncsafe)) return syncsafe;
    if (!(plain & 0x80000000u) && framestart(datapos + plain)) return plain;
    return syncsafe;
}

// The frame's content as its format flags describe it: prefix bytes dropped,
// an ID3v2.4 frame's own unsynchronisation undone. False for compressed or
// encrypted content, which cannot be read, and for a frame too short for the
// prefix its flags announce.
bool framecontent(std::string_view raw, unsigned char format, std::string_view& content) {
    std::size_t prefix = 0;
    if (isv24) {
        if (format & 0x0C) return false;
        if (format & 0x40) prefix += 1; // grouping identity
        if (format & 0x01) prefix += 4; // data length indicator
    } else {
        if (format & 0xC0) return false;
        if (format & 0x20) prefix += 1; // grouping identity
    }
    if (prefix > raw.size()) return false;
    content = raw.substr(prefix);
    if (isv24 && (format & 0x02)) {
        workbuf.assign(content);
        std::int32_t n = static_cast<std::int32_t>(workbuf.size());
        unsyncframe(n);
        content = std::string_view(workbuf).substr(0, static_cast<std::size_t>(n));
    }
    return true;
}

std::u16string trimmed(std::u16string s) {
    trimtagfield(s);
    return s;
}

// One frame of the table; `data` is empty for a frame that runs past the end
// of the tag, which sets the text fields it names to empty and is not carried.
void handleframe(std::string_view id, std::string_view data, bool whole, std::string& kept,
                 tagvalues& out) {
    if (id == "TIT2") {
        if (out.title.empty()) out.title = readtextframe(data);
    } else if (id == "TYER") {
        if (out.year.empty()) out.year = trimmed(readtextframe(data).substr(0, 4));
    } else if (id == "TDRC" || id == "TDRL") {
        if (out.year.empty()) out.year = trimmed(readtextframe(data));
    } else if (id == "TALB") {
        if (out.album.empty()) out.album = trimmed(readtextframe(data));
    } else if (id == "TPE1" || id == "TPE2" || id == "TPE3" || id == "TPE4") {
        if (out.artist.empty()) out.artist = trimmed(readtextframe(data));
    } else if (id == "TRCK") {
        takelast(out.trno, readtextframe(data), trnolow, trnohigh);
    } else if (id == "TCON") {
        takelast(out.genre, readtextframe(data), genrelow, genrehigh);
    } else if (id == "TCMP") {
        takelast(out.tcmp, readtextframe(data), trnolow, trnohigh);
    } else if (id == "APIC") {
        out.haspicture = true;
        if (whole && !readapic(data, out.keepall)) storeframe(kept, id, data);
    } else if (whole && carried(id)) {
        storeframe(kept, id, readrawframe(data));
    }
}

} // namespace

void readid3v23(platform::file& f, std::int64_t filesize, const unsigned char* header,
                tagvalues& out) {
    isv24 = header[3] == 4;
    const unsigned char flags = header[5];
    tagsize = syncsafe2int(header + 6);
    if (!readtagbuf(f, filesize, header, tagsize)) return;
    if ((flags & 0x80) && !isv24) unsynctag();
    std::string kept;
    const std::size_t end = tagbuf.size();
    std::size_t pos = firstframe(flags);
    while (pos + 10 <= end) {
        pos = skippadding(pos, 10);
        if (pos + 10 > end) break;
        tagpos = static_cast<std::int32_t>(pos);
        const std::string_view id(tagbuf.data() + pos, 4);
        std::memcpy(frameid, id.data(), 4);
        const std::size_t datapos = pos + 10;
        std::uint32_t size = isv24 ? v24framesize(datapos) : be2int(at(pos + 4));
        if (size & 0x80000000u) size = 0;
        framesize = static_cast<std::int32_t>(size);
        if (size > end - datapos) {
            // Runs past the tag: the last frame looked at.
            handleframe(id, {}, false, kept, out);
            break;
        }
        std::string_view content;
        if (framecontent(std::string_view(tagbuf).substr(datapos, size), *at(pos + 9), content))
            handleframe(id, content, true, kept, out);
        else if (id == "APIC")
            out.haspicture = true;
        pos = datapos + size;
    }
    tagpos = static_cast<std::int32_t>(std::min(pos, end));
    keptframes = std::move(kept);
}

} // namespace id3v2
