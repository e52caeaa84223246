// A whole run over a large collection: with the real windows (offscreen),
// with the scripted host and no display, and a bare read of the same files'
// tags as the reference. 2,000 album folders of 10 files each (ID3v2.3 tags
// before a short lame-encoded tone), one folder in `ask` with differing
// albums so that the unify dialog comes up and is answered "Да". Warm cache;
// each variant runs `rounds` times and its best time counts. The time the
// window run spends showing and answering dialogs is printed apart: it is
// painting that a user, who reads each dialog, never waits for.
//
// Goals: the window costs at most 1.5 times the headless run, and the
// headless run at most 1.5 times the bare tag reading.
//
//   app_bench [folders] [rounds] [ask]     (defaults 2000, 3, 20; ask 0: no dialogs)
//   Qt's own options work too, e.g. -style windows.
#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "id3v2.h"
#include "platform.h"
#include "program.h"
#include "qthost.h"
#include "scriptedhost.h"
#include "window.h"

namespace fs = std::filesystem;

namespace {

constexpr int filesperfolder = 10;

// ------------------------------------------------------------ the collection

std::string be32(std::uint32_t v) {
    return id3v2::be32str(v);
}

std::string frame(const std::string& id, const std::string& data) {
    return id + be32(static_cast<std::uint32_t>(data.size())) + std::string(2, '\0') + data;
}

// UTF-16 text with its byte-order mark, as most taggers write Cyrillic.
std::string text(const std::u16string& s) {
    std::string out = "\x01\xFF\xFE";
    for (char16_t c : s) out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return out;
}

std::string syncsafe(std::uint32_t v) {
    return id3v2::int2syncsafe(v);
}

std::u16string u16(const std::string& s) {
    return platform::utf8to16(s);
}

// A short tone encoded by lame, without a tag.
std::string audio(const fs::path& scratch) {
    std::string pcm;
    for (int i = 0; i < 8000; ++i) {
        const auto v = static_cast<std::int16_t>(4000 * std::sin(i / 6.0));
        pcm += {static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff)};
    }
    auto le = [](std::uint32_t v, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
        return s;
    };
    const auto n = static_cast<std::uint32_t>(pcm.size());
    std::ofstream(scratch / "tone.wav", std::ios::binary)
        << "RIFF" + le(36 + n, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(8000, 4) +
               le(16000, 4) + le(2, 2) + le(16, 2) + "data" + le(n, 4) + pcm;
    const std::string cmd = "lame --quiet -b 32 '" + (scratch / "tone.wav").string() + "' '" +
                            (scratch / "tone.mp3").string() + "'";
    if (std::system(cmd.c_str()) != 0) {
        std::fprintf(stderr, "lame failed\n");
        std::exit(1);
    }
    std::ifstream in(scratch / "tone.mp3", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void makecollection(const fs::path& root, int folders, int ask, const std::string& tone) {
    for (int d = 0; d < folders; ++d) {
        const std::string artist = "Исполнитель " + std::to_string(d % 97);
        const std::string album = "Альбом " + std::to_string(d);
        const std::string year = std::to_string(1960 + d % 60);
        const fs::path folder = root / (artist + " - " + album + " (" + year + ")");
        fs::create_directories(folder);
        for (int t = 1; t <= filesperfolder; ++t) {
            // One folder in `ask` disagrees about its album on one file.
            const bool differs = ask > 0 && d % ask == ask / 2 && t == 3;
            const std::string thisalbum = differs ? album + " (CD2)" : album;
            const std::string frames =
                frame("TPE1", text(u16(artist))) +
                frame("TIT2", text(u"Песня " + u16(std::to_string(t)))) +
                frame("TALB", text(u16(thisalbum))) + frame("TYER", '\0' + year) +
                frame("TRCK", '\0' + std::to_string(t)) + frame("TCON", '\0' + std::string("Rock"));
            const std::string tag = std::string("ID3\x03\x00\x00", 6) +
                                    syncsafe(static_cast<std::uint32_t>(frames.size())) + frames;
            char name[32];
            std::snprintf(name, sizeof name, "%02d track.mp3", t);
            std::ofstream(folder / name, std::ios::binary) << tag << tone;
        }
    }
}

// ------------------------------------------------------------ the three ways

double seconds(const std::function<void()>& what) {
    const auto start = std::chrono::steady_clock::now();
    what();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Every folder searched for its MP3 files, every file's tags read.
std::size_t bareread(const std::u16string& root) {
    std::size_t files = 0;
    std::vector<std::u16string> folders{root};
    std::vector<platform::direntry> entries;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        entries.clear();
        platform::search(folders[i] + u"/*", entries);
        for (const auto& e : entries)
            if (e.folder) folders.push_back(folders[i] + u"/" + e.name);
        entries.clear();
        platform::search(folders[i] + u"/*.mp3", entries);
        for (const auto& e : entries) {
            std::u16string artist, title, album, year, trno, genre, tcmp;
            bool picture = false;
            id3v2::readtags(folders[i] + u"/" + e.name, artist, title, album, year, trno, genre,
                            tcmp, picture, false);
            id3v2::picdata.reset();
            ++files;
        }
    }
    return files;
}

// A run as Start makes it; the unify dialog answered "Да".
std::size_t headlessrun(const std::u16string& root, const std::u16string& settings) {
    forms::scriptedhost h;
    ui::program p(h, {}, settings);
    h.fallback = [&p](forms::form& f) {
        if (&f == &p.Form3) {
            f.click(p.Form3.Button1);
        } else {
            f.modalresult = forms::mrAbort;
        }
    };
    p.Form1.Label1.caption = root;
    p.Form1.click(p.Form1.Button1);
    return p.Form1.ListView1.items.size();
}

// The same with the real windows; the dialogs are shown and answered once
// their modal loop turns.
class answeringhost : public uiqt::qthost {
public:
    forms::form* unify = nullptr;
    forms::button* yes = nullptr;
    int dialogs = 0;
    double indialogs = 0; // seconds inside showmodal

    int showmodal(forms::form& f) override {
        const auto start = std::chrono::steady_clock::now();
        QTimer::singleShot(0, [this, &f] {
            if (&f == unify) {
                f.click(*yes);
            } else {
                f.modalresult = forms::mrAbort;
            }
            handled();
        });
        const int r = qthost::showmodal(f);
        indialogs +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++dialogs;
        return r;
    }
};

struct windowresult {
    std::size_t lines = 0;
    int dialogs = 0;
    double indialogs = 0;
};

windowresult windowrun(const std::u16string& root, const std::u16string& settings) {
    answeringhost h;
    ui::program p(h, {}, settings);
    h.unify = &p.Form3;
    h.yes = &p.Form3.Button1;
    app::bindviews(h, p);
    h.show(p.Form1);
    QApplication::processEvents();
    p.Form1.Label1.caption = root;
    h.view(p.Form1).act([&] { p.Form1.click(p.Form1.Button1); });
    QApplication::processEvents();
    return {p.Form1.ListView1.items.size(), h.dialogs, h.indialogs};
}

// What the offscreen platform cannot do, said once per dialog shown.
void quiet(QtMsgType, const QMessageLogContext&, const QString& text) {
    if (text.contains(QLatin1String("does not support")) ||
        text.contains(QLatin1String("XDG_RUNTIME_DIR")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(quiet);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const int folders = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const int ask = argc > 3 ? std::atoi(argv[3]) : 20;

    char tmpl[] = "/tmp/vorlinde-app-bench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    const fs::path base = tmpl;
    const fs::path root = base / "music";
    const fs::path settings = base / "program";
    fs::create_directories(root);
    fs::create_directories(settings);

    double made = seconds([&] { makecollection(root, folders, ask, audio(base)); });
    std::printf("collection: %d folders, %d files, made in %.1f s\n", folders,
                folders * filesperfolder, made);

    const std::u16string uroot = platform::fromnative(root.string());
    const std::u16string usettings = platform::fromnative(settings.string());
    std::size_t files = bareread(uroot); // warms the cache
    std::size_t lines1 = 0;
    windowresult w, best;
    double bare = 1e9, headless = 1e9, window = 1e9;
    for (int r = 0; r < rounds; ++r) {
        bare = std::min(bare, seconds([&] { files = bareread(uroot); }));
        headless = std::min(headless, seconds([&] { lines1 = headlessrun(uroot, usettings); }));
        const double t = seconds([&] { w = windowrun(uroot, usettings); });
        if (t < window) {
            window = t;
            best = w;
        }
    }
    const std::size_t lines2 = best.lines;
    std::printf("files read: %zu; report lines: %zu headless, %zu with the window\n", files, lines1,
                lines2);
    std::printf("bare tag reading:     %8.3f s\n", bare);
    std::printf("headless run:         %8.3f s  = %.2fx the bare reading (goal <= 1.5x)\n",
                headless, headless / bare);
    std::printf("run with the window:  %8.3f s  = %.2fx the headless run (goal <= 1.5x)\n", window,
                window / headless);
    if (best.dialogs > 0)
        std::printf("  of which %d dialogs shown and answered: %.3f s (%.1f ms each);\n"
                    "  the rest:           %8.3f s  = %.2fx the headless run\n",
                    best.dialogs, best.indialogs, 1000 * best.indialogs / best.dialogs,
                    window - best.indialogs, (window - best.indialogs) / headless);

    std::error_code ec;
    fs::remove_all(base, ec);
    return lines1 == lines2 ? 0 : 1;
}
