// ID3v2.2 tags: 3-character frame IDs, 3-byte sizes, no frame flags. The
// frames that are carried over become ID3v2.3 frames.
#include <cstring>

#include "reader.h"

namespace id3v2 {

namespace {

const unsigned char* at(std::size_t pos) {
    return reinterpret_cast<const unsigned char*>(tagbuf.data()) + pos;
}

// Reads the 3-byte ID and size of the frame at pos; pos moves to its data.
std::int32_t readframehdr22(std::size_t& pos) {
    std::memcpy(frameid, tagbuf.data() + pos, 3);
    frameid[3] = 0;
    framesize = be2int22(at(pos + 3));
    pos += 6;
    return framesize;
}

// The ID3v2.3 ID a carried ID3v2.2 frame is stored under, or empty.
std::string_view carriedas(std::string_view id) {
    static constexpr std::string_view table[][2] = {
        {"COM", "COMM"}, {"MCI", "MCDI"}, {"ULT", "USLT"}, {"SLT", "SYLT"},
        {"GEO", "GEOB"}, {"WAR", "WOAR"}, {"WAF", "WOAF"}, {"TXT", "TEXT"}};
    for (const auto& row : table)
        if (row[0] == id) return row[1];
    return {};
}

// A PIC frame as APIC: a zero byte after the 3-character image format makes
// it a MIME field.
std::string pictoapic(std::string_view data) {
    const std::size_t format = std::min<std::size_t>(4, data.size());
    std::string apic(data.substr(0, format));
    apic.push_back('\0');
    apic.append(data.substr(format));
    return apic;
}

void handleframe22(std::string_view id, std::string_view data, bool whole, std::string& kept,
                   tagvalues& out) {
    if (id == "TT2") {
        takefirst(out.title, readtextframe(data));
    } else if (id == "TYE") {
        if (out.year.empty()) out.year = readtextframe(data).substr(0, 4);
    } else if (id == "TAL") {
        if (out.album.empty()) out.album = readtextframe(data);
    } else if (id == "TP1" || id == "TP2" || id == "TP3" || id == "TP4") {
        if (out.artist.empty()) out.artist = readtextframe(data);
    } else if (id == "TRK") {
        takelast(out.trno, readtextframe(data), trnolow, trnohigh);
    } else if (id == "TCO") {
        takelast(out.genre, readtextframe(data), genrelow, genrehigh);
    } else if (id == "TCP") {
        takelast(out.tcmp, readtextframe(data), trnolow, trnohigh);
    } else if (id == "PIC") {
        out.haspicture = true;
        if (whole && !readpic(data, out.keepall)) storeframe(kept, "APIC", pictoapic(data));
    } else if (const std::string_view as = carriedas(id); whole && !as.empty()) {
        storeframe(kept, as, readrawframe(data));
    }
}

} // namespace

void readid3v22(platform::file& f, std::int64_t filesize, const unsigned char* header,
                tagvalues& out) {
    tagsize = syncsafe2int22(header + 6);
    if (!readtagbuf(f, filesize, header, tagsize)) return;
    if (header[5] & 0x80) unsynctag();
    std::string kept;
    const std::size_t end = tagbuf.size();
    std::size_t pos = 10;
    while (pos + 6 <= end) {
        pos = skippadding(pos, 6);
        if (pos + 6 > end) break;
        tagpos = static_cast<std::int32_t>(pos);
        const std::string_view id(tagbuf.data() + pos, 3);
        const std::size_t size = static_cast<std::size_t>(readframehdr22(pos));
        if (size > end - pos) {
            handleframe22(id, {}, false, kept, out);
            break;
        }
        handleframe22(id, std::string_view(tagbuf).substr(pos, size), true, kept, out);
        pos += size;
    }
    tagpos = static_cast<std::int32_t>(std::min(pos, end));
    keptframes = std::move(kept);
}

} // namespace id3v2
