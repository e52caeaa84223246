// Reading the tags of a collection: readtags against TagLib and against a
// floor that only opens each file, reads the same byte ranges and closes it.
// 5,000 generated files (ID3v2.3 tags, a 30 KB picture on one in five, ID3v1
// on half), warm cache. Prints rates and ratios, measured in the same run.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <fileref.h>
#include <tag.h>

#include "id3v2.h"
#include "platform.h"

namespace fs = std::filesystem;

namespace {

constexpr int filecount = 5000;

std::string frame(const std::string& id, const std::string& data) {
    return id + id3v2::be32str(static_cast<std::uint32_t>(data.size())) + std::string(2, '\0') +
           data;
}

std::string utf16(const std::u16string& s) {
    std::string out = "\x01\xFF\xFE";
    for (char16_t c : s) out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return out;
}

std::string latin(const std::string& s) {
    return '\0' + s;
}

// One file as a tagging program leaves it: text frames, a comment, padding,
// sometimes a picture, sometimes an ID3v1 tag; the audio is a sparse hole of
// a few megabytes.
void makefile(const fs::path& p, int i) {
    const bool wide = i % 2 == 0;
    const std::string n = std::to_string(i);
    std::string frames =
        frame("TIT2",
              wide ? utf16(u"Песня номер " + platform::fromnative(n)) : latin("Song number " + n)) +
        frame("TPE1", wide ? utf16(u"Исполнитель") : latin("The Artist")) +
        frame("TALB", wide ? utf16(u"Альбом " + platform::fromnative(std::to_string(i / 12)))
                           : latin("Album")) +
        frame("TYER", latin(std::to_string(1960 + i % 60))) +
        frame("TRCK", latin(std::to_string(1 + i % 12) + "/12")) + frame("TCON", latin("(17)")) +
        frame("COMM", std::string("\0eng\0Ripped with care", 21)) +
        frame("TENC", latin("LAME 3.100"));
    if (i % 5 == 0) {
        std::string picture(30 * 1024, '\0');
        std::uint32_t x = static_cast<std::uint32_t>(i) * 2654435761u;
        for (char& c : picture) c = static_cast<char>((x = x * 1664525 + 1013904223) >> 24);
        picture.replace(0, 4, "\xFF\xD8\xFF\xE0");
        frames += frame("APIC", std::string("\0image/jpeg\0\x03\0", 14) + picture);
    }
    frames += std::string(1024, '\0');
    const std::string tag = "ID3\x03" + std::string(2, '\0') +
                            id3v2::int2syncsafe(static_cast<std::uint32_t>(frames.size())) + frames;
    std::ofstream out(p, std::ios::binary);
    out.write(tag.data(), static_cast<std::streamsize>(tag.size()));
    out.write("\xFF\xFB\x90\x64", 4);
    const std::streamoff size = 3 * 1024 * 1024 + i % 1000;
    if (i % 2 == 0) {
        std::string v1 = "TAG" + std::string("Song number " + n).substr(0, 30);
        v1.resize(97, '\0');
        v1.resize(125, '\0');
        v1 += std::string{'\0', static_cast<char>(1 + i % 12), 17};
        out.seekp(size - 128);
        out.write(v1.data(), 128);
    } else {
        out.seekp(size - 1);
        out.put('\0');
    }
}

// The reads a tag reader cannot avoid: the header, the tag, the last 128 bytes.
std::size_t floorread(const std::u16string& path, std::string& buf) {
    platform::file f;
    if (!f.open(path, platform::openmode::read)) return 0;
    const std::int64_t size = f.size();
    unsigned char h[10];
    std::size_t got = 0;
    if (f.read(h, 10) == 10 && h[0] == 'I' && h[1] == 'D' && h[2] == '3') {
        buf.resize(static_cast<std::size_t>(id3v2::syncsafe2int(h + 6)));
        got += static_cast<std::size_t>(f.read(buf.data(), buf.size()));
    }
    char tail[128];
    if (size >= 128 && f.seek(size - 128)) got += static_cast<std::size_t>(f.read(tail, 128));
    return got;
}

std::size_t ours(const std::u16string& path, bool keepall) {
    std::u16string a, t, al, y, tr, g, c;
    bool pic = false;
    id3v2::readtags(path, a, t, al, y, tr, g, c, pic, keepall);
    return a.size() + t.size() + al.size() + y.size() + tr.size() + g.size() + pic;
}

std::size_t taglib(const std::string& path) {
    TagLib::FileRef f(path.c_str(), false);
    if (f.isNull() || !f.tag()) return 0;
    const TagLib::Tag* t = f.tag();
    return t->artist().size() + t->title().size() + t->album().size() + t->year() + t->track() +
           t->genre().size();
}

// Seconds for one pass over the files; the best of `rounds` passes.
double timed(int rounds, const std::function<void()>& pass) {
    double best = 1e300;
    for (int r = 0; r < rounds; ++r) {
        const std::uint64_t t0 = platform::perfcounter();
        pass();
        best = std::min(best, static_cast<double>(platform::perfcounter() - t0) / 1e9);
    }
    return best;
}

long statuskb(const char* field) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::string(field).size());
    return -1;
}

// How far the resident memory of a child that reads the first n files (with
// keepall) rises above what it started with, in KB.
long peakgrowthkb(const std::vector<std::u16string>& paths, std::size_t n) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        std::ofstream("/proc/self/clear_refs") << "5"; // resets the peak
        const long base = statuskb("VmRSS:");
        std::size_t sink = 0;
        for (std::size_t i = 0; i < n; ++i) sink += ours(paths[i], true);
        const long growth = statuskb("VmHWM:") - base + static_cast<long>(sink & 0);
        if (write(fds[1], &growth, sizeof growth) != sizeof growth) _exit(1);
        _exit(0);
    }
    close(fds[1]);
    long growth = -1;
    if (read(fds[0], &growth, sizeof growth) != sizeof growth) growth = -1;
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return growth;
}

} // namespace

int main() {
    char tmpl[] = "/tmp/vorlinde-bench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const fs::path dir = tmpl;
    std::vector<std::string> native;
    std::vector<std::u16string> paths;
    for (int i = 0; i < filecount; ++i) {
        const fs::path p = dir / ("track" + std::to_string(i) + ".mp3");
        makefile(p, i);
        native.push_back(p.string());
        paths.push_back(platform::fromnative(p.string()));
    }

    std::size_t sink = 0;
    std::string buf;
    auto passours = [&] {
        for (const auto& p : paths) sink += ours(p, false);
    };
    auto passkeep = [&] {
        for (const auto& p : paths) sink += ours(p, true);
    };
    auto passtaglib = [&] {
        for (const auto& p : native) sink += taglib(p);
    };
    auto passfloor = [&] {
        for (const auto& p : paths) sink += floorread(p, buf);
    };
    // Warm the cache and every reader's first-use work.
    passfloor();
    passours();
    passtaglib();
    const int rounds = 5;
    const double tfloor = timed(rounds, passfloor);
    const double tours = timed(rounds, passours);
    const double tkeep = timed(rounds, passkeep);
    const double ttaglib = timed(rounds, passtaglib);
    const long peaksmall = peakgrowthkb(paths, filecount / 10);
    const long peakall = peakgrowthkb(paths, filecount);

    std::printf("tag reading, %d files (ID3v2.3; 30 KB picture on 1 in 5; ID3v1 on half), warm "
                "cache, best of %d\n",
                filecount, rounds);
    std::printf("  floor (open, read header, tag and last 128 bytes, close): %9.0f files/s\n",
                filecount / tfloor);
    std::printf("  readtags:                                                 %9.0f files/s\n",
                filecount / tours);
    std::printf("  readtags, keepall:                                        %9.0f files/s\n",
                filecount / tkeep);
    std::printf("  TagLib FileRef, no audio properties:                      %9.0f files/s\n",
                filecount / ttaglib);
    std::printf("  readtags speed / TagLib speed:  %5.2f (goal >= 1)\n", ttaglib / tours);
    std::printf("  readtags time / floor time:     %5.2f (goal <= 1.5)\n", tours / tfloor);
    std::printf("  keepall time / floor time:      %5.2f\n", tkeep / tfloor);
    std::printf("  peak memory growth (keepall), %d files / %d files: %ld KB / %ld KB = %.2f "
                "(goal: about 1)\n",
                filecount, filecount / 10, peakall, peaksmall,
                static_cast<double>(peakall) / peaksmall);
    std::printf("  (checksum %zu)\n", sink);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
