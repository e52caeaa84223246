// Tag bytes built by hand for the cases no tagging tool writes, put into
// files (kept as fuzzer seeds when VORLINDE_FUZZ_SEEDS names a folder), read
// back through readtags as one line, and rewritten with named arguments.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "id3v2.h"
#include "testutil.h"

namespace tagfile {

using namespace std::string_literals;

// v as n bytes, most significant first, `bits` bits a byte (7: syncsafe).
inline std::string num(std::uint64_t v, int n, int bits = 8) {
    std::string s;
    for (int i = n - 1; i >= 0; --i) s += static_cast<char>(v >> (bits * i) & ((1u << bits) - 1));
    return s;
}
// Frames of ID3v2.3 (also the stored form of a carried frame), 2.4 and 2.2,
// `flags` the two flag bytes; a tag over `body`, `size` for its size bytes.
inline std::string f23(const std::string& id, const std::string& d, int flags = 0) {
    return id + num(d.size(), 4) + num(flags, 2) + d;
}
inline std::string f24(const std::string& id, const std::string& d, int flags = 0) {
    return id + num(d.size(), 4, 7) + num(flags, 2) + d;
}
inline std::string f22(const std::string& id, const std::string& d) {
    return id + num(d.size(), 3) + d;
}
inline std::string tag(int version, const std::string& body, int flags = 0, std::string size = "") {
    return "ID3"s + char(version) + '\0' + char(flags) +
           (size.empty() ? num(body.size(), 4, 7) : size) + body;
}
// UTF-16 text frame data with the byte-order mark FF FE.
inline std::string t1(const std::u16string& s) {
    std::string d = "\x01\xFF\xFE";
    for (char16_t c : s) d += num(c & 0xFF, 1) + num(c >> 8, 1);
    return d;
}
inline std::string apic(const std::string& mime, const std::string& picture,
                        const std::string& description = "\0"s, int encoding = 0, int type = 3) {
    return char(encoding) + mime + '\0' + char(type) + description + picture;
}
// Inserts the zero bytes of unsynchronisation.
inline std::string unsync(const std::string& in) {
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const unsigned next = i + 1 < in.size() ? static_cast<unsigned char>(in[i + 1]) : 1;
        out += in[i] == '\xFF' && (next == 0 || next >= 0xE0) ? "\xFF\0"s : in.substr(i, 1);
    }
    return out;
}
// The 128-byte ID3v1 block; a track of 0 or more makes it ID3v1.1.
inline std::string id3v1(const std::string& title, const std::string& artist,
                         const std::string& album, const std::string& year,
                         const std::string& comment = "", int track = -1, int genre = 255) {
    auto field = [](std::string s, std::size_t n) { return s.append(n, '\0').substr(0, n); };
    return "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4) +
           (track < 0 ? field(comment, 30) : field(comment, 28) + '\0' + char(track)) + char(genre);
}
// Stand-in audio: MPEG frame headers among silence.
inline std::string audio(std::size_t n = 1024) {
    std::string a(n, '\0');
    for (std::size_t i = 0; i + 4 <= n; i += 417) a.replace(i, 4, "\xFF\xFB\x90\x64");
    return a;
}
// The extent of the ID3v2 tag at the start of a file, 0 without one.
inline std::size_t extent(const std::string& file) {
    if (file.size() < 10 || file.compare(0, 3, "ID3") != 0) return 0;
    const auto* u = reinterpret_cast<const unsigned char*>(file.data());
    return 10 + ((u[6] & 127u) << 21 | (u[7] & 127u) << 14 | (u[8] & 127u) << 7 | (u[9] & 127u));
}

inline std::u16string put(const testutil::tempdir& dir, const std::string& name,
                          const std::string& bytes) {
    testutil::writefile(dir.path() / name, bytes);
    if (const char* seeds = std::getenv("VORLINDE_FUZZ_SEEDS"); seeds && *seeds)
        testutil::writefile(seeds + ("/" + std::to_string(std::hash<std::string>{}(bytes))), bytes);
    return dir.u16(platform::fromnative(name));
}

// artist|title|album|year|trno|genre|tcmp, and "|P" when there is a picture.
inline std::string read(const std::u16string& path, bool keepall = true) {
    std::u16string v[7];
    bool picture = false;
    id3v2::readtags(path, v[0], v[1], v[2], v[3], v[4], v[5], v[6], picture, keepall);
    std::string line = testutil::u8(v[0]);
    for (int i = 1; i < 7; ++i) line += "|" + testutil::u8(v[i]);
    return picture ? line + "|P" : line;
}
// The values, then what a rewrite takes from the module state: the carried
// frames (ID and size), the picture's type and size.
inline std::string summary(const std::u16string& path, bool keepall = true) {
    std::string s = read(path, keepall) + " [";
    const std::string& k = id3v2::keptframes;
    for (std::size_t at = 0, n; at + 10 <= k.size(); at += 10 + n) {
        n = id3v2::be2int(reinterpret_cast<const unsigned char*>(k.data()) + at + 4);
        s += k.substr(at, 4) + ":" + std::to_string(n) + " ";
    }
    return s + "] " + id3v2::picmime + ":" + std::to_string(id3v2::piclen);
}
// Reads the file and says which rule every read must keep the values and the
// module state break, whatever the file: "" for none.
inline std::string brokenstate(const std::u16string& path, bool keepall, std::size_t filesize) {
    using namespace id3v2;
    std::u16string v[7];
    bool picture = false;
    readtags(path, v[0], v[1], v[2], v[3], v[4], v[5], v[6], picture, keepall);
    std::size_t at = 0;
    while (at + 10 <= keptframes.size() && keptframes[at + 8] == 0 && keptframes[at + 9] == 0)
        at += 10 + be2int(reinterpret_cast<const unsigned char*>(keptframes.data()) + at + 4);
    if (at != keptframes.size()) return "keptframes are not whole frames";
    if (piclen != (picdata ? std::int32_t(picdata->size()) : 0)) return "piclen";
    if (picdata && (!keepall || picdata->empty() || picdata->size() >= filesize || !picture))
        return "the picture";
    if (!v1tail.empty() && v1tail.size() != 31) return "v1tail";
    for (const std::u16string& s : v)
        if (s.ends_with(u' ') ||
            std::any_of(s.begin(), s.end(), [](char16_t c) { return c < u' '; }))
            return "a control character or a blank at the end";
    return "";
}

// The arguments of rewritetag; the defaults keep what the file holds.
struct args {
    std::u16string artist, title, album, year, genre = u"-1";
    bool changetrno = false;
    std::u16string trno{}, tcmp{};
    std::string picture{}, mime{};
};
inline bool rewrite(const std::u16string& path, const args& a) {
    return id3v2::rewritetag(path, a.artist, a.title, a.album, a.year, a.genre, a.changetrno,
                             a.trno, a.tcmp, a.picture, int(a.picture.size()), a.mime);
}
inline const args abc{u"Artist", u"Title", u"Album", u"1999"};
// Last-write time and permission bits: "seconds.nanoseconds octal".
inline std::string stamp(const std::u16string& path) {
    platform::filetime t;
    unsigned mode = 0;
    char s[64] = "none";
    if (platform::getfiletime(path, t) && platform::getmode(path, mode))
        std::snprintf(s, sizeof s, "%lld.%lld %o", (long long)t.sec, (long long)t.nsec, mode);
    return s;
}

} // namespace tagfile
