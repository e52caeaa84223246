// Rewriting the tags of one large file against copying the same file with
// the same flush (cp, then sync of the copy), for a 10 MB and a 200 MB file,
// warm cache. A second reference does all that a rewrite does to the disk:
// the same copy and flush, then the copy moved over the original, which frees
// the original's blocks and cached pages. Each run is a process of its own, so that its peak
// resident memory (ru_maxrss) is its own: the rewrite runs as this program started again with
// "--rewrite PATH". Prints times, ratios, and the peak memory of each; the rewrite's should not
// grow with the file.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "id3v2.h"
#include "platform.h"

namespace fs = std::filesystem;

namespace {

struct result {
    double seconds = 0;
    long maxrsskb = 0;
    bool ok = false;
};

// Starts argv as a process and waits for it.
result runprocess(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const std::uint64_t t0 = platform::perfcounter();
    const pid_t pid = fork();
    if (pid == 0) {
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage ru{};
    result r;
    if (pid < 0 || wait4(pid, &status, 0, &ru) != pid) return r;
    r.seconds = static_cast<double>(platform::perfcounter() - t0) / 1e9;
    r.maxrsskb = ru.ru_maxrss;
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return r;
}

// A tagged file as a tagger leaves it: text frames, a 100 KB picture,
// padding, then audio-like bytes and an ID3v1 block.
void makefile(const fs::path& p, std::size_t size) {
    std::string frames;
    auto frame = [&](const std::string& id, const std::string& data) {
        frames += id + id3v2::be32str(static_cast<std::uint32_t>(data.size())) +
                  std::string(2, '\0') + data;
    };
    frame("TIT2", std::string("\0A song", 7));
    frame("TPE1", std::string("\0An artist", 10));
    frame("APIC", std::string("\0image/jpeg\0\x03\0", 14) + std::string(100000, 'p'));
    frames += std::string(4096, '\0');
    std::ofstream out(p, std::ios::binary);
    const std::string tag = "ID3\x03" + std::string(2, '\0') +
                            id3v2::int2syncsafe(static_cast<std::uint32_t>(frames.size())) + frames;
    out.write(tag.data(), static_cast<std::streamsize>(tag.size()));
    std::string block(1 << 20, '\0');
    std::uint32_t x = 12345;
    std::size_t written = tag.size();
    while (written + 128 < size) {
        for (char& c : block) c = static_cast<char>((x = x * 1664525 + 1013904223) >> 24);
        const std::size_t n = std::min(block.size(), size - 128 - written);
        out.write(block.data(), static_cast<std::streamsize>(n));
        written += n;
    }
    std::string v1 = "TAG" + std::string(124, '\0') + '\x11';
    out.write(v1.data(), 128);
}

int rewriteonly(const char* path) {
    const std::u16string p = platform::fromnative(path);
    return id3v2::rewritetag(p, u"Artist", u"Title", u"Album", u"1999", u"-1", false, u"", u"", "",
                             0, "")
               ? 0
               : 1;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--rewrite") == 0) return rewriteonly(argv[2]);

    const std::string self = fs::read_symlink("/proc/self/exe").string();
    char tmpl[] = "/tmp/vorlinde-writebench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const fs::path dir = tmpl;
    const int rounds = 5;
    std::vector<long> peaks;

    std::printf("%-8s %11s %11s %7s %14s %7s %11s %16s\n", "file", "cp+sync ms", "rewrite ms",
                "ratio", "cp+sync+mv ms", "ratio", "cp peak KB", "rewrite peak KB");
    for (std::size_t mb : {10, 200}) {
        const fs::path src = dir / "track.mp3", dst = dir / "copy.mp3";
        makefile(src, mb << 20);
        std::vector<double> tcp, tours, tmv;
        long peakcp = 0, peakours = 0;
        bool ok = true;
        // A first round of each warms the cache; it is not counted.
        for (int r = 0; r <= rounds; ++r) {
            const result c = runprocess(
                {"/bin/sh", "-c", "cp \"$0\" \"$1\" && sync \"$1\"", src.string(), dst.string()});
            fs::remove(dst);
            const result o = runprocess({self, "--rewrite", src.string()});
            const result m =
                runprocess({"/bin/sh", "-c", "cp \"$0\" \"$1\" && sync \"$1\" && mv \"$1\" \"$0\"",
                            src.string(), dst.string()});
            ok = ok && c.ok && o.ok && m.ok;
            if (r == 0) continue;
            tcp.push_back(c.seconds);
            tours.push_back(o.seconds);
            tmv.push_back(m.seconds);
            peakcp = std::max(peakcp, c.maxrsskb);
            peakours = std::max(peakours, o.maxrsskb);
        }
        if (!ok) {
            std::printf("%zu MB: a run failed\n", mb);
            fs::remove_all(dir);
            return 1;
        }
        const double mcp = median(tcp), mours = median(tours), mmv = median(tmv);
        std::printf("%-8s %11.1f %11.1f %6.2fx %14.1f %6.2fx %11ld %16ld\n",
                    (std::to_string(mb) + " MB").c_str(), mcp * 1e3, mours * 1e3, mours / mcp,
                    mmv * 1e3, mours / mmv, peakcp, peakours);
        peaks.push_back(peakours);
        fs::remove(src);
    }
    std::printf("rewrite peak memory, 200 MB file against 10 MB file: %.2fx\n",
                static_cast<double>(peaks[1]) / static_cast<double>(peaks[0]));
    std::printf("goal: rewrite within 1.3x of cp+sync; peak memory not growing with the file\n");
    fs::remove_all(dir);
    return 0;
}
