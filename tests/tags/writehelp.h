// Helpers of the tag-writing tests: the arguments of a rewrite with names,
// the tag we expect byte for byte, real MP3 files from lame, and the outside
// tools (ffprobe, mutagen) run through the shell.
#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "progress.h"
#include "tagbuilder.h"

namespace writehelp {

using namespace tagbuild;

// The arguments of rewritetag in their order; the defaults keep what the
// file holds, except artist, title, album and year, which a rewrite always sets.
struct args {
    args() = default;
    args(std::u16string artist, std::u16string title, std::u16string album, std::u16string year,
         std::u16string genre = u"-1", bool changetrno = false, std::u16string trno = {},
         std::u16string tcmp = {})
        : artist(std::move(artist)), title(std::move(title)), album(std::move(album)),
          year(std::move(year)), genre(std::move(genre)), changetrno(changetrno),
          trno(std::move(trno)), tcmp(std::move(tcmp)) {}

    std::u16string artist, title, album, year;
    std::u16string genre = u"-1";
    bool changetrno = false;
    std::u16string trno;
    std::u16string tcmp;
    std::string picture;
    std::string mime;
};

inline bool rewrite(const std::u16string& path, const args& a) {
    return id3v2::rewritetag(path, a.artist, a.title, a.album, a.year, a.genre, a.changetrno,
                             a.trno, a.tcmp, a.picture, static_cast<int>(a.picture.size()), a.mime);
}

// The frames we write: UTF-16 text with FF FE; the picture as a front cover.
inline std::string text(const std::string& id, const std::u16string& s) {
    return frame23(id, text1(s));
}
inline std::string picture(const std::string& mime, const std::string& bytes) {
    return frame23("APIC", apic(mime, bytes));
}
// Our tag: version 2.3.0, no flags, no padding.
inline std::string ours(const std::string& frames) {
    return tag(3, frames);
}

// The ID3v2 tag's extent at the start of a file (0 without one).
inline std::size_t extent(const std::string& file) {
    if (file.size() < 10 || file.compare(0, 3, "ID3") != 0) return 0;
    const auto* u = reinterpret_cast<const unsigned char*>(file.data());
    return 10 + ((u[6] & 127u) << 21 | (u[7] & 127u) << 14 | (u[8] & 127u) << 7 | (u[9] & 127u));
}

// The frames of an ID3v2.3 or ID3v2.4 tag at the start of a file, as written
// (no unsynchronisation, no extended header).
inline std::vector<std::pair<std::string, std::string>> frames(const std::string& file) {
    std::vector<std::pair<std::string, std::string>> out;
    const std::size_t end = std::min(extent(file), file.size());
    for (std::size_t pos = 10; pos + 10 <= end && file[pos] != 0;) {
        const auto* s = reinterpret_cast<const unsigned char*>(file.data()) + pos + 4;
        const std::size_t size = file[3] == 4 ? id3v2::syncsafe2int(s) : id3v2::be2int(s);
        out.emplace_back(file.substr(pos, 4), file.substr(pos + 10, size));
        pos += 10 + size;
    }
    return out;
}

inline std::string run(const std::string& command, int& status) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) {
        status = -1;
        return out;
    }
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    status = pclose(p);
    return out;
}

inline std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline std::string hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string h;
    for (unsigned char c : bytes) h += {digits[c >> 4], digits[c & 15]};
    return h;
}

// A real MP3 from lame: `seconds` of a quiet tone, mono, 32 kbit/s, no tags.
inline std::string lamemp3(const testutil::tempdir& dir, double seconds, int kbps = 32) {
    const std::string out = (dir.path() / "lame-out.mp3").string();
    int status = 0;
    run("ffmpeg -nostdin -loglevel error -f lavfi -i 'sine=frequency=440:sample_rate=44100' -t " +
            std::to_string(seconds) + " -ac 1 -f s16le - | lame -r -s 44.1 --bitwidth 16 -m m -b " +
            std::to_string(kbps) + " --silent - " + quote(out) + " 2>/dev/null",
        status);
    std::string bytes = testutil::readfile(out);
    std::filesystem::remove(out);
    return bytes;
}

// The audio frames ffprobe decodes; -1 when it fails.
inline long ffprobeframes(const std::string& path) {
    int status = 0;
    const std::string out = run("ffprobe -v error -count_frames -select_streams a:0 -show_entries "
                                "stream=nb_read_frames -of csv=p=0 " +
                                    quote(path) + " 2>/dev/null",
                                status);
    if (status != 0 || out.empty()) return -1;
    return std::stol(out);
}

// A progress that records what a rewrite does with it.
struct recorder {
    int max = 100;
    std::vector<int> positions;
    int repaints = 0, pumps = 0;
    std::function<void()> onpump;

    id3v2::progress progress() {
        return {[this] { return max; }, [this](int p) { positions.push_back(p); },
                [this] { ++repaints; },
                [this] {
                    ++pumps;
                    if (onpump) onpump();
                }};
    }
};

inline platform::filetime mtime(const std::u16string& path) {
    platform::filetime t;
    platform::getfiletime(path, t);
    return t;
}
inline unsigned mode(const std::u16string& path) {
    unsigned m = 0;
    platform::getmode(path, m);
    return m;
}

} // namespace writehelp
