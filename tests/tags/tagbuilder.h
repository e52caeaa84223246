// Builds ID3 tags byte by byte, for the cases no tagging tool writes, and
// reads a file back through readtags into UTF-8 texts that gtest prints well.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>

#include "id3v2.h"
#include "testutil.h"

namespace tagbuild {

inline std::string be32(std::uint32_t v) {
    return id3v2::be32str(v);
}
inline std::string syncsafe(std::uint32_t v) {
    return id3v2::int2syncsafe(v);
}
inline std::string be24(std::uint32_t v) {
    return id3v2::be32str(v).substr(1);
}

// Frames: ID, size, (flags,) data.
inline std::string frame23(const std::string& id, const std::string& data,
                           unsigned char format = 0) {
    return id + be32(static_cast<std::uint32_t>(data.size())) + '\0' + static_cast<char>(format) +
           data;
}
inline std::string frame24(const std::string& id, const std::string& data,
                           unsigned char format = 0) {
    return id + syncsafe(static_cast<std::uint32_t>(data.size())) + '\0' +
           static_cast<char>(format) + data;
}
inline std::string frame22(const std::string& id, const std::string& data) {
    return id + be24(static_cast<std::uint32_t>(data.size())) + data;
}
// The stored form of a carried frame.
inline std::string kept(const std::string& id, const std::string& data) {
    return id + be32(static_cast<std::uint32_t>(data.size())) + std::string(2, '\0') + data;
}

// A tag header with the given version and flags, declaring the body's size.
inline std::string tag(int version, const std::string& body, unsigned char flags = 0) {
    return std::string("ID3") + static_cast<char>(version) + '\0' + static_cast<char>(flags) +
           syncsafe(static_cast<std::uint32_t>(body.size())) + body;
}
// The same with four raw size bytes.
inline std::string tagraw(int version, const std::string& sizebytes, const std::string& body,
                          unsigned char flags = 0) {
    return std::string("ID3") + static_cast<char>(version) + '\0' + static_cast<char>(flags) +
           sizebytes + body;
}

// Text frame data.
inline std::string text0(const std::string& bytes) {
    return '\0' + bytes;
}
inline std::string text3(const std::string& utf8) {
    return '\3' + utf8;
}
inline std::string utf16units(const std::u16string& s, bool bigendian) {
    std::string out;
    for (char16_t c : s) {
        const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
        out += bigendian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}
inline std::string text1(const std::u16string& s) {
    return "\x01\xFF\xFE" + utf16units(s, false);
}
inline std::string text1be(const std::u16string& s) {
    return "\x01\xFE\xFF" + utf16units(s, true);
}

// APIC data: encoding, MIME, zero, picture type, description (with its
// terminator as given), picture.
inline std::string apic(const std::string& mime, const std::string& picture,
                        const std::string& description = std::string(1, '\0'), char encoding = 0,
                        char type = 3) {
    return encoding + mime + '\0' + type + description + picture;
}

// Inserts the zero bytes of unsynchronisation.
inline std::string unsyncencode(const std::string& in) {
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        out += in[i];
        const auto next = i + 1 < in.size() ? static_cast<unsigned char>(in[i + 1]) : 0x100;
        if (static_cast<unsigned char>(in[i]) == 0xFF &&
            (next == 0 || (next >= 0xE0 && next < 0x100)))
            out += '\0';
    }
    return out;
}

// The 128-byte ID3v1 block; a track byte makes it ID3v1.1.
inline std::string id3v1(const std::string& title, const std::string& artist,
                         const std::string& album, const std::string& year,
                         const std::string& comment = "", int track = -1, int genre = 255) {
    auto field = [](const std::string& s, std::size_t n) {
        return s.substr(0, n) + std::string(n - std::min(n, s.size()), '\0');
    };
    std::string b =
        "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4);
    if (track >= 0)
        b += field(comment, 28) + '\0' + static_cast<char>(track);
    else
        b += field(comment, 30);
    return b + static_cast<char>(genre);
}

// Stand-in audio: MPEG frame headers and silence, enough that an ID3v1 tag
// behind it is found.
inline std::string audio(std::size_t n = 1024) {
    std::string a(n, '\0');
    for (std::size_t i = 0; i + 4 <= n; i += 417) a.replace(i, 4, "\xFF\xFB\x90\x64");
    return a;
}

// Writes a file into the folder; with VORLINDE_FUZZ_SEEDS set, keeps a copy
// there as a seed for the fuzzer.
inline std::u16string put(const testutil::tempdir& dir, const std::string& name,
                          const std::string& bytes) {
    testutil::writefile(dir.path() / name, bytes);
    if (const char* seeds = std::getenv("VORLINDE_FUZZ_SEEDS"); seeds && *seeds) {
        const std::size_t h = std::hash<std::string>{}(bytes);
        testutil::writefile(std::filesystem::path(seeds) / ("seed-" + std::to_string(h)), bytes);
    }
    return dir.u16(platform::fromnative(name));
}

struct values {
    std::string artist, title, album, year, trno, genre, tcmp;
    bool haspicture = false;
};

inline values read(const std::u16string& path, bool keepall = false) {
    std::u16string a, t, al, y, tr, g, c;
    values v;
    id3v2::readtags(path, a, t, al, y, tr, g, c, v.haspicture, keepall);
    v.artist = testutil::u8(a);
    v.title = testutil::u8(t);
    v.album = testutil::u8(al);
    v.year = testutil::u8(y);
    v.trno = testutil::u8(tr);
    v.genre = testutil::u8(g);
    v.tcmp = testutil::u8(c);
    return v;
}

// The values in one line, artist|title|album|year|trno|genre|tcmp, to
// compare at once.
inline std::string all(const values& v) {
    return v.artist + '|' + v.title + '|' + v.album + '|' + v.year + '|' + v.trno + '|' + v.genre +
           '|' + v.tcmp;
}

// The windows-1251 bytes of a text, for ANSI tag text.
inline std::string cp1251(const std::string& utf8) {
    return platform::toansi(testutil::u16(utf8));
}

} // namespace tagbuild
