// The whole program with its real windows, offscreen: the settings file in a
// tempdir, a music tree of real MP3 files (encoded by lame, tagged by
// mutagen) in another, and the modal dialogs answered as the user answers
// them, through their widgets, once they are up.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFont>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "mp3fixture.h"
#include "program.h"
#include "qtext.h"
#include "qthost.h"
#include "reportmodel.h"
#include "settings.h"
#include "testutil.h"
#include "window.h"

namespace apptest {

namespace fs = std::filesystem;
using testutil::u16;
using testutil::u8;

using mp3fixture::basemp3;
using mp3fixture::tagwithmutagen;
using tags = mp3fixture::tags;

// The tags of a file as mutagen reads them back: "TPE1=...;TALB=..." for the
// frames asked for.
inline std::string mutagenframes(const fs::path& file, const std::string& ids) {
    testutil::tempdir t;
    testutil::writefile(t.path() / "read.py", R"(
import sys
import mutagen.id3 as id3
tag = id3.ID3(sys.argv[1])
out = []
for k in sys.argv[2].split(','):
    f = tag.get(k)
    out.append(k + '=' + (str(f.text[0]) if f is not None else ''))
open(sys.argv[3], 'w', encoding='utf-8').write(';'.join(out))
)");
    const fs::path out = t.path() / "out.txt";
    const std::string cmd = "/usr/bin/python3 '" + (t.path() / "read.py").string() + "' '" +
                            file.string() + "' '" + ids + "' '" + out.string() + "'";
    if (std::system(cmd.c_str()) != 0) return "mutagen failed";
    return testutil::readfile(out);
}

// The settings file's bytes (all zero when it has not the settings' size),
// and the root folder stored in them.
inline checker::cfgbytes readcfg(const fs::path& p) {
    const std::string s = testutil::readfile(p);
    checker::cfgbytes b{};
    if (s.size() == b.size()) std::copy(s.begin(), s.end(), b.begin());
    return b;
}
inline std::u16string rootof(const checker::cfgbytes& b) {
    std::u16string s;
    for (std::size_t i = checker::cfgoffset::rootdir; s.size() < checker::rootdirunits; i += 2) {
        const auto u = static_cast<char16_t>(b[i] | (b[i + 1] << 8));
        if (!u) break;
        s.push_back(u);
    }
    return s;
}
inline std::u16string storedroot(const fs::path& p) {
    return rootof(readcfg(p));
}

// Types text into a widget key by key, as the keyboard does; letters outside
// ASCII arrive as keys that carry only their text.
inline void typetext(QWidget* w, const QString& text) {
    for (QChar ch : text) {
        if (ch.unicode() < 0x80)
            QTest::keyClick(w, static_cast<char>(ch.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// Saves a picture of the window when VORLINDE_SCREENSHOTS names a folder.
inline void shoot(QWidget* w, const char* name) {
    const QByteArray dir = qgetenv("VORLINDE_SCREENSHOTS");
    if (dir.isEmpty() || !w) return;
    QDir().mkpath(QString::fromLocal8Bit(dir));
    EXPECT_TRUE(w->grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png"));
}

// The program as main() builds it, its settings file in a tempdir.
struct appenv {
    testutil::tempdir progdir; // the program's folder: the settings file
    testutil::tempdir music;   // the tree a run walks
    uiqt::qthost h;
    std::vector<std::u16string> urls;   // opened instead of a browser
    std::vector<std::u16string> boxes;  // message boxes
    std::vector<std::u16string> errors; // error boxes
    std::unique_ptr<ui::program> p;
    std::vector<std::pair<fs::path, tags>> pending;

    explicit appenv(std::vector<std::u16string> args = {}) {
        h.urlopener = [this](const std::u16string& url) {
            urls.push_back(url);
            return true;
        };
        h.boxhook = [this](const std::u16string& text, bool error) {
            (error ? errors : boxes).push_back(text);
        };
        p = std::make_unique<ui::program>(h, std::move(args), progdir.u16());
        app::bindviews(h, *p);
        h.show(p->Form1);
    }
    ~appenv() { p.reset(); }

    forms::TForm1& main() { return p->Form1; }
    std::u16string root() const { return music.u16(); }
    std::u16string path(std::u16string_view rel) const {
        return rel.empty() ? root() : music.u16(rel);
    }
    fs::path native(std::u16string_view rel) const {
        return fs::path(platform::tonative(path(rel)));
    }
    fs::path settingsfile() const { return progdir.path() / "brellian_gui.cnf"; }

    void folder(std::u16string_view rel) { fs::create_directories(native(rel)); }
    void mp3(std::u16string_view rel, tags tg = {}) {
        const fs::path f = native(rel);
        fs::create_directories(f.parent_path());
        testutil::writefile(f, basemp3());
        pending.emplace_back(f, std::move(tg));
    }
    // Tags every file made since the last call.
    void tagfiles() {
        tagwithmutagen(pending);
        pending.clear();
    }
    // The root that a run walks, as the user would have chosen it.
    void setroot(const std::u16string& root) {
        main().Label1.caption = root;
        h.handled();
    }

    uiqt::formview& view(forms::form& f) { return h.view(f); }
    template <typename W = QWidget>
    W* widget(forms::form& f, const forms::control& c) {
        return h.view(f).widgetas<W>(c);
    }
    void click(forms::form& f, const forms::control& c) {
        QWidget* w = widget(f, c);
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(w->isVisible()) << u8(c.name);
        ASSERT_TRUE(w->isEnabled()) << u8(c.name);
        QTest::mouseClick(w, Qt::LeftButton);
    }

    // The report list as it is drawn.
    uiqt::reportmodel* rows() { return h.view(main()).rowsof(main().ListView1); }
    int rowcount() { return rows()->rowCount(); }
    std::u16string row(int r) {
        return uiqt::u16(rows()->data(rows()->index(r), Qt::DisplayRole).toString());
    }
    QColor color(int r) {
        const QVariant v = rows()->data(rows()->index(r), Qt::ForegroundRole);
        return v.isValid() ? v.value<QBrush>().color() : QColor();
    }
    QFont font(int r) { return rows()->data(rows()->index(r), Qt::FontRole).value<QFont>(); }
    // The index of the first line with this text, or -1.
    int line(std::u16string_view text) {
        const auto& items = main().ListView1.items;
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i] == text) return static_cast<int>(i);
        return -1;
    }
    int linestarting(std::u16string_view text) {
        const auto& items = main().ListView1.items;
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].starts_with(text)) return static_cast<int>(i);
        return -1;
    }
};

// Paths dropped on the window as a file manager drops them.
inline void drop(appenv& e, const std::vector<QUrl>& urls) {
    auto* mime = new QMimeData;
    mime->setUrls(QList<QUrl>(urls.begin(), urls.end()));
    uiqt::formview& v = e.view(e.main());
    const QPointF at(v.width() / 2.0, v.height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&v, &enter);
    QDropEvent ev(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&v, &ev);
    delete mime;
}

inline QUrl local(const fs::path& p) {
    return QUrl::fromLocalFile(QString::fromStdString(p.string()));
}

// Answers the modal windows in the order given, each once it is up; runs
// inside their modal loops. A modal window that nobody expects is recorded
// and closed with "stop" after a while, so that a test fails instead of
// hanging.
class answers : public QObject {
public:
    explicit answers(appenv& e) : e_(e) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
        timer_.start();
    }

    // When `f` is shown modally: `act` (which should close it).
    void on(forms::form& f, std::function<void()> act) {
        forms::form* fp = &f;
        queue_.push_back({[this, fp] { return shownmodal(*fp); }, std::move(act), u8(f.name())});
    }
    // When a modal widget that is no form's view is up (the folder browser).
    void onwidget(std::string name, std::function<void(QWidget*)> act) {
        queue_.push_back({[this] {
                              QWidget* m = QApplication::activeModalWidget();
                              return m && !isview(m);
                          },
                          [act] { act(QApplication::activeModalWidget()); }, std::move(name)});
    }
    bool done() const { return queue_.empty(); }
    std::vector<std::string> unexpected;
    std::vector<std::string> answered;

    bool shownmodal(forms::form& f) {
        uiqt::formview* v = e_.h.findview(f);
        return f.visible && f.modalresult == forms::mrNone && v && v->isVisible() &&
               QApplication::activeModalWidget() == v;
    }

private:
    bool isview(QWidget* w) { return dynamic_cast<uiqt::formview*>(w) != nullptr; }

    void poll() {
        QWidget* m = QApplication::activeModalWidget();
        if (!queue_.empty() && queue_.front().ready()) {
            auto s = std::make_shared<step>(std::move(queue_.front()));
            queue_.pop_front();
            waiting_.invalidate();
            answered.push_back(s->name);
            acting_.push_back(m);
            // Acted on from a timer of its own: a timer does not fire again
            // while its own handler runs, and the act may open further modal
            // windows that this one must answer.
            QTimer::singleShot(0, this, [this, s, m] {
                s->act();
                acting_.erase(std::find(acting_.begin(), acting_.end(), m));
            });
            return;
        }
        if (!m || std::find(acting_.begin(), acting_.end(), m) != acting_.end()) {
            waiting_.invalidate();
            return;
        }
        if (!waiting_.isValid()) {
            waiting_.start();
            return;
        }
        if (waiting_.elapsed() < 5000) return;
        waiting_.invalidate();
        unexpected.push_back(m->windowTitle().toStdString());
        if (auto* v = dynamic_cast<uiqt::formview*>(m)) {
            v->model().modalresult = forms::mrAbort;
            e_.h.handled();
        } else {
            m->close();
        }
    }

    struct step {
        std::function<bool()> ready;
        std::function<void()> act;
        std::string name;
    };
    appenv& e_;
    std::deque<step> queue_;
    std::vector<QWidget*> acting_; // modal windows whose answer is under way
    QTimer timer_;
    QElapsedTimer waiting_;
};

} // namespace apptest
