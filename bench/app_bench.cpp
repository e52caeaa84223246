// Whole runs at the users' size, as ratios measured in the same run: the run against a bare read
// of the same tags, its growth from 10k to 100k files; with the real windows (offscreen unless
// QT_QPA_PLATFORM names another platform, dialogs shown and closed within the time) against it,
// the window's cost a folder from 2k to 20k folders. One album in eight needs fixes, in turn: a
// differing album (unify dialog, "Да"), no track numbers and a stray genre; a compilation; missing
// artists and a playlist.   app_bench [rounds] [divisor: sizes / n] [window: only the window
// against the run]
#include <QApplication>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <string_view>
#include <sys/file.h>

#include "mp3fixture.h"
#include "scriptedhost.h"
#include "window.h"
#include "writer.h"

namespace fs = std::filesystem;
using testutil::u16;

void makealbum(const fs::path& parent, int a) {
    auto num = [](int n) { return u16(std::to_string(n)); };
    const int fault = a % 8 == 3 ? a / 8 % 3 : -1;
    const std::u16string artist = u"Исполнитель " + num(a % 97), album = u"Альбом " + num(a);
    const fs::path dir = parent / testutil::u8(artist + u" - " + album);
    fs::create_directories(dir);
    if (fault == 2) testutil::writefile(dir / "list.m3u", "t 1.mp3\n");
    for (int t = 1; t <= 10; ++t) {
        const std::u16string by = fault == 1 ? artist + num(t) : fault == 2 && t % 3 ? u"" : artist;
        const std::u16string from = fault == 0 && t == 3 ? album + u" (CD2)" : album;
        const std::u16string trno = fault ? num(t) : u"", title = u"Песня " + num(t);
        std::string tag;
        const std::u16string_view genre = fault == 0 && t == 5 ? u"Pop" : u"Rock";
        id3v2::buildtag({by, title, from, num(1960 + a % 60), trno, genre, u"", {}, {}}, {}, tag);
        testutil::writefile(dir / ("t " + std::to_string(t) + ".mp3"), tag + mp3fixture::basemp3());
    }
}

template <class F>
double seconds(F what) {
    const auto start = std::chrono::steady_clock::now();
    what();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Every folder searched for its subfolders and its MP3 files, their tags read.
void bareread(const std::u16string& folder) {
    std::vector<platform::direntry> dirs, files;
    platform::search(folder + u"/*", dirs);
    platform::search(folder + u"/*.mp3", files);
    for (const auto& e : dirs)
        if (e.folder) bareread(folder + u"/" + e.name);
    std::u16string t[7];
    bool pic = false;
    for (const auto& e : files)
        id3v2::readtags(folder + u"/" + e.name, t[0], t[1], t[2], t[3], t[4], t[5], t[6], pic, 0);
}

// The real windows, timed whole: a dialog's showing, its closing, the round trips with the window
// system and the keys handed back. Left out is only what a person takes, the time from the
// dialog's first loop turn to the answer: here none, the answer comes at that turn.
struct windowhost : uiqt::qthost {
    forms::scriptedhost dialogs; // its fallback answers
    int showmodal(forms::form& f) override {
        QObject showing; // drops an answer still waiting when the showing ends
        const int level = QThread::currentThread()->loopLevel();
        std::function<void()> answer = [&] {
            // Events handled while the dialog is being shown are not yet its loop.
            if (QThread::currentThread()->loopLevel() <= level)
                return QTimer::singleShot(0, &showing, answer);
            dialogs.fallback(f), handled();
        };
        QTimer::singleShot(0, &showing, answer);
        return qthost::showmodal(f);
    }
};

// A run as Start makes it ("Да" to unify, "Стоп" to any other): its time, its report's digest.
double run(const fs::path& root, bool window, std::size_t& digest) {
    windowhost h;
    ui::program p(window ? static_cast<forms::host&>(h) : h.dialogs, {}, u16(root.string()));
    h.dialogs.fallback = [&p](forms::form& f) {
        f.modalresult = forms::mrAbort, p.Form3.click(p.Form3.Button1);
    };
    if (window) app::bindviews(h, p), h.show(p.Form1), QApplication::processEvents();
    p.Form1.Label1.caption = u16(root.string());
    auto start = [&p] { p.Form1.click(p.Form1.Button1); };
    const double t = seconds([&] { window ? h.view(p.Form1).act(start) : start(); });
    digest = 0;
    for (const auto& line : p.Form1.ListView1.items)
        digest = digest * 31 + std::hash<std::u16string>()(line);
    return t;
}

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication qapp(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3, div = argc > 2 ? std::atoi(argv[2]) : 1;
    // "window": only the windows against the headless run, at 2k and 20k folders.
    const bool windowsonly = argc > 3 && std::string_view(argv[3]) == "window";
    const int folders[] = {1000 / div, 2000 / div, 10000 / div, 20000 / div};
    const fs::path base = fs::temp_directory_path() / "vorlinde-app-bench"; // digests compare
    // One benchmark at a time on the machine: they share the collection's folder.
    const int lock = open((base.string() + ".lock").c_str(), O_CREAT | O_RDWR, 0666);
    if (lock < 0 || flock(lock, LOCK_EX) != 0) return 2;
    const fs::path roots[4] = {base / "c/c/c/c", base / "c/c/c", base / "c/c", base / "c"};
    fs::remove_all(base);
    for (int s = 0, a = 0; s < 4; ++s)
        for (; a < folders[s]; ++a) makealbum(roots[s], a);

    // The best of `rounds` (four times as many at the quick, noisier small sizes), after one
    // that warms the cache. The runs compared take turns, so that a change in the load of the
    // machine meets them all alike; the spread of the second against the first within a round
    // shows how far that went.
    double spread[2];
    auto best = [rounds, &spread](int s, const std::vector<std::function<double()>>& runs) {
        std::vector<double> b(runs.size(), 1e9), t(runs.size());
        spread[0] = 1e9, spread[1] = 0;
        for (const auto& once : runs) once();
        for (int r = 0; r < std::max(rounds, 1) * (s < 2 ? 4 : 1); ++r) {
            for (std::size_t i = 0; i < runs.size(); ++i) b[i] = std::min(b[i], t[i] = runs[i]());
            spread[0] = std::min(spread[0], t[1] / t[0]),
            spread[1] = std::max(spread[1], t[1] / t[0]);
        }
        return b;
    };
    double bare[4] = {}, headless[4] = {}, window[4] = {};
    std::size_t digest[4] = {}, windigest[4] = {};
    for (int s = 0; s < 4; ++s) {
        if (windowsonly && s % 2 == 0) continue;
        std::vector<std::function<double()>> runs{
            [&] { return run(roots[s], false, digest[s]); },
            [&] { return run(roots[s], true, windigest[s]); }};
        if (!windowsonly)
            runs.push_back([&] { return seconds([&] { bareread(u16(roots[s].string())); }); });
        const std::vector<double> b = best(s, runs);
        headless[s] = b[0], window[s] = b[1], bare[s] = b.back();
        std::printf("%6d files: run %.3f s", folders[s] * 10, headless[s]);
        if (!windowsonly) std::printf(" = %.2fx bare read (goal <= 1.3x)", headless[s] / bare[s]);
        std::printf("; window %.2fx run (goal <= 1.25x; rounds %.2f-%.2fx)\n",
                    window[s] / headless[s], spread[0], spread[1]);
    }
    if (!windowsonly)
        std::printf("10x files: run %.2fx (goal <= 10.5x), bare read %.2fx; ",
                    headless[2] / headless[0], bare[2] / bare[0]);
    std::printf("10x folders: window's cost a folder %.2fx (goal <= 1.3x); report %zx\n",
                (window[3] - headless[3]) / (window[1] - headless[1]) / 10,
                digest[windowsonly ? 3 : 2]);
    fs::remove_all(base);
    return std::equal(digest, digest + 4, windigest) ? 0 : 1; // the same reports with the window
}
