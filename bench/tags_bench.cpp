// The tag library's speed goals as ratios against references measured in the
// same run: reading a collection's tags against TagLib and against a floor that
// only reads the same bytes (warm cache, best of five passes); rewriting a
// large file's tags against cp and sync of it (median of five).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include <fileref.h>
#include <tag.h>

#include "id3v2.h"
#include "platform.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

std::string frame(const std::string& id, const std::string& data) {
    return id + id3v2::be32str(std::uint32_t(data.size())) + std::string(2, '\0') + data;
}

// A file as a tagging program leaves it: text frames, a comment, padding, a
// 30 KB picture on one in five, an ID3v1 tag on half; the audio a sparse hole.
void makefile(const fs::path& p, int i, std::int64_t size) {
    std::string frames = frame("TIT2", "\0Song number " + std::to_string(i)) +
                         frame("TPE1", "\0The Artist"s) +
                         frame("TALB", "\x01\xFF\xFEZ\0\x04\x04"s) +
                         frame("TYER", "\0" + std::to_string(1960 + i % 60)) +
                         frame("TRCK", "\0" + std::to_string(1 + i % 12) + "/12") +
                         frame("COMM", "\0eng\0Ripped with care"s);
    if (i % 5 == 0)
        frames += frame("APIC", "\0image/jpeg\0\x03\0"s + std::string(30 << 10, char(i)));
    frames += std::string(1024, '\0');
    std::ofstream out(p, std::ios::binary);
    out << "ID3\x03" << std::string(2, '\0') << id3v2::int2syncsafe(std::uint32_t(frames.size()))
        << frames;
    out.seekp(size - 128);
    out << (i % 2 ? std::string(128, '\0') : "TAG" + std::string(124, 'v') + '\x11');
}

// Seconds for one pass; the best of five.
double best(const std::function<void()>& pass) {
    double t = 1e300;
    for (int r = 0; r < 5; ++r) {
        const std::uint64_t t0 = platform::perfcounter();
        pass();
        t = std::min(t, double(platform::perfcounter() - t0) / 1e9);
    }
    return t;
}

} // namespace

int main() {
    const fs::path dir = fs::temp_directory_path() / ("vorlinde-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const int count = 5000;
    std::vector<std::u16string> paths;
    for (int i = 0; i < count; ++i) {
        makefile(dir / (std::to_string(i) + ".mp3"), i, 3 << 20);
        paths.push_back(platform::fromnative((dir / (std::to_string(i) + ".mp3")).string()));
    }
    std::size_t sink = 0;
    std::string buf;
    auto floor = [&] { // the reads no tag reader avoids: header, tag, last 128 bytes
        for (const auto& p : paths) {
            platform::file f;
            unsigned char h[10];
            if (!f.open(p, platform::openmode::read) || f.read(h, 10) != 10) continue;
            buf.resize(std::size_t(id3v2::syncsafe2int(h + 6)) + 128);
            sink += f.read(buf.data(), buf.size() - 128) +
                    (f.seek(f.size() - 128) ? f.read(buf.data(), 128) : 0);
        }
    };
    auto ours = [&] {
        std::u16string v[7];
        bool picture = false;
        for (const auto& p : paths)
            id3v2::readtags(p, v[0], v[1], v[2], v[3], v[4], v[5], v[6], picture, false);
        sink += v[1].size();
    };
    auto taglib = [&] {
        for (const auto& p : paths)
            sink += TagLib::FileRef(platform::tonative(p).c_str(), false).tag()->title().size();
    };
    floor(), ours(), taglib(); // the cache and every reader's first use warmed
    const double tfloor = best(floor), tours = best(ours), ttaglib = best(taglib);
    std::printf(
        "reading %d files: %.0f files/s; against TagLib %.2fx as fast (goal >= 1), against the "
        "floor %.2fx the time (goal <= 1.5)\n",
        count, count / tours, ttaglib / tours, tours / tfloor);
    for (const auto& p : paths) fs::remove(platform::tonative(p));

    // Rewriting: a file of 100 MB of audio-like bytes behind a 30 KB picture.
    const fs::path big = dir / "big.mp3", copy = dir / "copy.mp3";
    makefile(big, 0, 0);
    std::ofstream(big, std::ios::app | std::ios::binary) << std::string(100 << 20, '\x55');
    // The references: cp and sync of the file; the same, then moved over the
    // original (what a rewrite does to the disk: the old file's blocks are freed).
    std::vector<double> t[3];
    const std::string cp =
        "cp '" + big.string() + "' '" + copy.string() + "' && sync '" + copy.string() + "'";
    const std::string mv = cp + " && mv '" + copy.string() + "' '" + big.string() + "'";
    for (int r = 0; r < 6; ++r) { // the first round warms the cache
        const std::uint64_t t0 = platform::perfcounter();
        const bool ok = id3v2::rewritetag(platform::fromnative(big.string()), u"Artist", u"Title",
                                          u"Album", u"1999", u"-1", false, u"", u"", "", 0, "");
        const std::uint64_t t1 = platform::perfcounter();
        if (!ok || std::system(cp.c_str()) != 0 || !fs::remove(copy)) return 1;
        const std::uint64_t t2 = platform::perfcounter();
        if (std::system(mv.c_str()) != 0) return 1;
        const double d[3] = {double(t1 - t0), double(t2 - t1),
                             double(platform::perfcounter() - t2)};
        for (int k = 0; r > 0 && k < 3; ++k) t[k].push_back(d[k]);
    }
    for (auto& v : t) std::sort(v.begin(), v.end());
    std::printf(
        "rewriting %.0f MB: %.0f ms; against cp and sync %.2fx the time (goal <= 1.3), against "
        "cp, sync and mv %.2fx (checksum %zu)\n",
        double(fs::file_size(big)) / (1 << 20), t[0][2] / 1e6, t[0][2] / t[1][2], t[0][2] / t[2][2],
        sink);
    fs::remove_all(dir);
    return 0;
}
