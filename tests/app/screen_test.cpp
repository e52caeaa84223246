// Windows as the X server shows them, read over a connection that leaves the program's unflushed.
#include <gtest/gtest.h>
#include <httplib.h>

#include <QTest>
#include <QtWidgets>

#include "answers.h"
#include "mp3fixture.h"
#include "tform4.h"
#include "xscreen.h"

using namespace xscreen;

namespace {

QImage screen(const QRect& r) {
    auto q = xcb_get_image(c, 2 /* ZPixmap */, root, r.x(), r.y(), r.width(), r.height(), -1);
    auto* got = xcb_get_image_reply(c, q, nullptr);
    return QImage(xcb_get_image_data(got), r.width(), r.height(), QImage::Format_RGB32, free, got);
}
// A window's client area.
QImage screen(QWidget& w) {
    return screen(w.geometry());
}

// What the windows, listed bottom up, hold within `area` of the screen; where
// a window's frame lies, or none of them, the picture is transparent.
QImage below(const QRect& area, std::initializer_list<QWidget*> windows) {
    QImage all(area.size(), QImage::Format_ARGB32);
    all.fill(Qt::transparent);
    QPainter p(&all);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (QWidget* w : windows) {
        if (!w->isVisible()) continue;
        // The widget keeps the frame it first learnt of, which may be none yet.
        p.fillRect(w->windowHandle()->frameGeometry().translated(-area.topLeft()), Qt::transparent);
        p.drawImage(w->geometry().topLeft() - area.topLeft(), w->grab().toImage());
    }
    return all;
}

// The share of a window's pixels shown otherwise: unpainted, black or what lay behind it.
double mismatch(const QImage& shown, const QImage& own) {
    int off = 0;
    for (int y = 0; y < own.height(); ++y)
        for (int x = 0; x < own.width(); ++x)
            if (qAlpha(own.pixel(x, y)))
                off += std::abs(qGray(shown.pixel(x, y)) - qGray(own.pixel(x, y))) > 24;
    return double(off) / (own.width() * own.height());
}

// How far the screen shows `l` from `l` drawn with `text` in place of its own.
double against(QLabel& l, const QString& text) {
    const QString own = l.text();
    l.setText(text);
    QWidget* w = l.window();
    const QImage drawn = w->grab(QRect(l.mapTo(w, QPoint()), l.size())).toImage();
    l.setText(own);
    return mismatch(screen(QRect(l.mapToGlobal(QPoint()), l.size())), drawn);
}

// The whole screen saved when VORLINDE_SCREENSHOTS names a folder.
void shootscreen(const QString& name) {
    const QString dir = qEnvironmentVariable("VORLINDE_SCREENSHOTS");
    if (dir.isEmpty() || !QDir().mkpath(dir)) return;
    const xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    screen(QRect(0, 0, s->width_in_pixels, s->height_in_pixels)).save(dir + "/" + name + ".png");
}

} // namespace

TEST_F(Screen, WaitAndProgressWindowsPaintedEnterAndEscWorkQtDialogsInRussian) {
    auto click = [&](auto& f, auto& c) { QTest::mouseClick(h.view(f).widget(c), Qt::LeftButton); };

    std::vector<QImage> shown; // halfway through the search, then the release
    QRect chooser;             // where the chooser stood
    QImage uncovered, during;  // what lies below it; the screen there during the release fetch
    httplib::Server server;
    server.Get(".*", [&](const httplib::Request&, httplib::Response& res) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        shown.push_back(screen(h.view(p.Form6)));
        if (shown.size() == 2) during = screen(chooser);
        const std::string release = std::getenv("VORLINDE_DISCOGS_URL");
        res.set_content(R"({"title":"B","artists":[],"tracklist":[],"results":[{"resource_url":")" +
                            release + "\"}]}",
                        "application/json");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { server.listen_after_bind(); });
    setenv("VORLINDE_DISCOGS_URL", ("http://127.0.0.1:" + std::to_string(port)).c_str(), 1);
    std::string big; // megabytes: each file's copy takes a moment; untagged: the lookup is asked
    for (int i = 0; i < 12000; ++i) big += mp3fixture::basemp3();
    for (int i = 1; i <= 8; ++i)
        testutil::writefile(music.path() / (std::to_string(i) + ".mp3"), big);
    p.Form1.Label1.caption = music.u16();
    when(h.view(p.Form2), [&] {
        when(h.view(p.Form7), [&] {
            QWidget& v = h.view(p.Form7);
            chooser = v.geometry();
            uncovered = below(chooser, {&h.view(p.Form1), &h.view(p.Form2), &h.view(p.Form6)});
            click(p.Form7, p.Form7.Button1);
        });
        click(p.Form2, p.Form2.Button3);
        click(p.Form2, p.Form2.Button1);
    });
    click(p.Form1, p.Form1.Button1);
    server.stop();
    serving.join();
    ASSERT_EQ(shown.size(), 2u);
    for (const QImage& s : shown) EXPECT_LT(mismatch(s, h.view(p.Form6).grab().toImage()), 0.02);
    EXPECT_LT(mismatch(during, uncovered), 0.02);

    h.paintinterval = 0; // the screen is read just after each paint
    int polls = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        uiqt::formview* v = p.c.form4 ? h.findview(*p.c.form4) : nullptr;
        if (!v || !v->isVisible() || !v->testAttribute(Qt::WA_Mapped)) return; // not exposed yet
        QCoreApplication::sendPostedEvents(v, QEvent::UpdateRequest); // one a change just asked for
        const QImage own = v->grab().toImage();
        double d = 1; // the server takes requests sent in its own time; none is sent meanwhile
        testqt::untilblocked([&] { return (d = mismatch(screen(*v), own)) < 0.02; });
        EXPECT_LT(d, 0.02) << "poll " << polls;
        ++polls;
    });
    poll.start(30);
    click(p.Form1, p.Form1.Button3);
    EXPECT_GE(polls, 3);

    app::translateqt();
    when(h.view(p.Form5), [&] { QTest::keyClick(&h.view(p.Form5), Qt::Key_Escape); });
    QTest::keyClick(h.view(p.Form1).widget(p.Form1.Button5), Qt::Key_Return); // opens "Info"
    EXPECT_EQ(p.Form5.modalresult, forms::mrCancel); // opened by Enter, closed by Esc
    QMessageBox box(QMessageBox::NoIcon, {}, {}, QMessageBox::Cancel); // Qt's own buttons
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), "Отмена");

    QString title, kind, date; // the folder browser, opened on the music folder's parent
    testqt::answers browser;
    browser.on([](QWidget* m) { return qobject_cast<QFileDialog*>(m); },
               [&] {
                   auto* d = static_cast<QFileDialog*>(QApplication::activeModalWidget());
                   title = d->windowTitle();
                   auto* view = d->findChild<QTreeView*>("treeView");
                   testqt::until([&] { // the listing is read in the background
                       for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r) {
                           const QModelIndex row = view->model()->index(r, 0, view->rootIndex());
                           if (row.data().toString() != QString(music.path().filename().c_str()))
                               continue;
                           kind = row.siblingAtColumn(2).data().toString();
                           date = row.siblingAtColumn(3).data().toString();
                       }
                       return !date.isEmpty();
                   });
                   d->reject();
               });
    QTest::mouseClick(h.view(p.Form1).widget(p.Form1.Button2), Qt::LeftButton);
    EXPECT_EQ(title.toStdString(), "Выбор каталога для обработки");
    EXPECT_EQ(kind.toStdString(), "Папка");
    EXPECT_TRUE(QRegularExpression(R"(^\d\d\.\d\d\.\d{4} \d?\d:\d\d$)").match(date).hasMatch())
        << date.toStdString();
}

TEST_F(Screen, EachWindowAsksForItsOwnCaptionButtonsAndNoDialogIsLostMinimized) {
    forms::TForm4 progress;
    // Bits of the hints: the close box is a function and the window menu a
    // decoration; minimize and maximize are both.
    enum { close = 1, minimize = 2, maximize = 4 };
    const std::vector<std::pair<forms::form*, int>> frames = {
        {&p.Form1, close | minimize | maximize},
        {&p.Form10, close | maximize},
        {&p.Form2, 0},
        {&progress, 0},
        {&p.Form6, 0},
        {&p.Form3, close},
        {&p.Form7, close},
        {&p.Form8, close},
        {&p.Form5, close},
        {&p.Form11, close}};
    for (auto [f, buttons] : frames) {
        uiqt::formview& v = h.view(*f);
        f->visible = true;
        v.refresh();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&v, testqt::never));
        const std::vector<std::uint32_t> hints = property(v.winId(), "_MOTIF_WM_HINTS");
        ASSERT_EQ(hints.size(), 5u);
        auto asked = [&](int half, std::uint32_t closebit, std::uint32_t minbit) {
            const std::uint32_t bits =
                hints[0] & (1u << half) ? hints[1 + half] : ~0u; // unset: all
            return (bits & closebit ? close : 0) | (bits & minbit ? minimize : 0) |
                   (bits & minbit * 2 ? maximize : 0);
        };
        const std::string name = QString::fromStdU16String(f->name()).toStdString();
        EXPECT_EQ(asked(0, 32, 8), buttons) << "functions of " << name;
        EXPECT_EQ(asked(1, 16, 32), buttons) << "decorations of " << name;
        if (f != &p.Form1) f->visible = false, v.refresh();
    }

    if (property(root, "_NET_SUPPORTING_WM_CHECK").empty()) return; // no one minimizes
    QWidget& main = h.view(p.Form1);
    iconify(main);
    ASSERT_TRUE(testqt::until([&] { return !viewable(main); }));
    testutil::writefile(music.path() / "1.mp3", mp3fixture::basemp3()); // untagged: asked
    p.Form1.Label1.caption = music.u16();
    bool forward = false, lost = true;
    when(h.view(p.Form2), [&] {
        QWidget& dialog = h.view(p.Form2);
        forward = testqt::until([&] { return viewable(main); });
        testqt::until([&] { return !property(dialog.winId(), "WM_STATE").empty(); }); // managed
        iconify(main); // the focus cannot fall back to it, which would bring the dialog back
        testqt::until([&] { return !viewable(main); });
        iconify(dialog); // the window manager offers it
        // Seen before the program handles a single event.
        const bool hid = testqt::untilblocked([&] { return !viewable(dialog); });
        lost = !hid || !testqt::until([&] { return viewable(dialog); });
        QTest::mouseClick(h.view(p.Form2).widget(p.Form2.Button5), Qt::LeftButton); // "Стоп"
    });
    QTest::mouseClick(h.view(p.Form1).widget(p.Form1.Button1), Qt::LeftButton);
    EXPECT_TRUE(forward) << "the main window stays minimized behind a run's dialog";
    EXPECT_FALSE(lost) << "a minimized dialog stays hidden";
}

TEST_F(Screen, MessageBoxesOfAFixedSizeAskForNoResizing) {
    for (bool error : {false, true}) {
        std::vector<std::uint32_t> normal, motif;
        QSize size;
        std::function<void()> look = [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !viewable(*box)) return QTimer::singleShot(5, look);
            // Qt may write the hints of the box's final size after mapping it.
            testqt::until([&] {
                normal = property(box->winId(), "WM_NORMAL_HINTS");
                return normal.size() >= 9 && QSize(normal[7], normal[8]) == box->size();
            });
            motif = property(box->winId(), "_MOTIF_WM_HINTS");
            size = box->size();
            box->button(QMessageBox::Ok)->click();
        };
        QTimer::singleShot(0, look);
        error ? h.errorbox(u"Not found or access/parse error") : h.messagebox(u"Not found");
        ASSERT_GE(normal.size(), 9u);
        enum { minsize = 16, maxsize = 32 }; // of the normal hints' flags
        EXPECT_EQ(normal[0] & (minsize | maxsize), minsize | maxsize) << error;
        EXPECT_EQ(QSize(normal[5], normal[6]), size) << error;
        EXPECT_EQ(QSize(normal[7], normal[8]), size) << error;
        ASSERT_EQ(motif.size(), 5u);
        enum { functions = 1, decorations = 2, resize = 2, handles = 4 }; // of the Motif hints
        EXPECT_TRUE(motif[0] & functions && !(motif[1] & resize)) << error;
        EXPECT_TRUE(motif[0] & decorations && !(motif[2] & handles)) << error;
    }
}

TEST_F(Screen, TheFolderBrowserShowsWholeDates) {
    app::translateqt();
    std::filesystem::create_directories(music.path() / "a");
    p.Form1.Label1.caption = music.u16(u"a"); // the browser lists the music folder
    QStringList dates;
    int width = 0, room = 0; // the date column's, and what its longest date needs
    std::function<void()> browse = [&] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!d || !viewable(*d)) return QTimer::singleShot(5, browse);
        auto* view = d->findChild<QTreeView*>("treeView");
        testqt::until([&] { // the listing is read in the background
            const QModelIndex top = view->rootIndex();
            return view->model()->rowCount(top) > 0 &&
                   !view->model()->index(0, 3, top).data().toString().isEmpty();
        });
        QCoreApplication::processEvents();
        const int margin =
            view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
        for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r) {
            const QModelIndex date = view->model()->index(r, 3, view->rootIndex());
            dates << date.data().toString();
            room = std::max(room, view->fontMetrics().horizontalAdvance(dates.back()) + 2 * margin);
            // What the viewport shows of the cell.
            width = view->visualRect(date).intersected(view->viewport()->rect()).width();
        }
        const QString dir = qEnvironmentVariable("VORLINDE_SCREENSHOTS");
        if (!dir.isEmpty() && QDir().mkpath(dir))
            screen(d->frameGeometry()).save(dir + "/browser.png");
        d->reject();
    };
    QTimer::singleShot(5, browse);
    QTest::mouseClick(h.view(p.Form1).widget(p.Form1.Button2), Qt::LeftButton);
    ASSERT_FALSE(dates.isEmpty());
    EXPECT_GE(width, room) << dates.join(" ").toStdString();
}

// A folder named in windows-1251 bytes, read from the screen: the dialog's
// headline and the report's row of the folder look as their text drawn in
// their place, not as the bytes would.
TEST_F(Screen, LegacyNamesReadAsTextOnTheScreen) {
    const std::u16string kino = testutil::legacyname("Кино - Звезда");
    const std::filesystem::path dir = music.path() / platform::tonative(kino);
    std::filesystem::create_directories(dir);
    testutil::writefile(dir / "01.mp3", mp3fixture::basemp3()); // untagged: asked
    p.Form1.Label1.caption = music.u16();
    const QString lack = ": нет альбома и исполнителя";
    double text = 1, bytes = 0;
    when(h.view(p.Form2), [&] {
        uiqt::formview& v = h.view(p.Form2);
        testqt::until([&] { return mismatch(screen(v), v.grab().toImage()) < 0.02; }); // drawn
        shootscreen("legacy-dialog");
        auto* headline = h.view(p.Form2).widgetas<QLabel>(p.Form2.Label5);
        text = against(*headline, "Кино - Звезда" + lack);
        bytes = against(*headline, QString::fromStdU16String(kino) + lack);
        QTest::mouseClick(v.widget(p.Form2.Button1), Qt::LeftButton);
    });
    QTest::mouseClick(h.view(p.Form1).widget(p.Form1.Button1), Qt::LeftButton);
    EXPECT_LT(text, 0.02);
    EXPECT_GT(bytes, 0.05);

    // The folder's row of the report, against the row drawn from a given text.
    uiqt::formview& main = h.view(p.Form1);
    QListView* list = main.listof(p.Form1.ListView1);
    const auto& lines = p.Form1.ListView1.items;
    const int row = int(std::ranges::find(lines, music.u16() + u"/" + kino) - lines.begin());
    ASSERT_LT(row, int(lines.size()));
    const QRect cell = list->visualRect(list->model()->index(row, 0)) & list->viewport()->rect();
    testqt::until([&] { return mismatch(screen(main), main.grab().toImage()) < 0.02; });
    shootscreen("legacy-report");
    const QImage shown = screen(QRect(list->viewport()->mapToGlobal(cell.topLeft()), cell.size()));
    auto drawn = [&](const std::u16string& as) {
        main.setlinetext(p.Form1.ListView1, [&](int r) -> const std::u16string& {
            return r == row ? as : checker::linetext(p.c, r);
        });
        const QImage image =
            main.grab(QRect(list->viewport()->mapTo(&main, cell.topLeft()), cell.size())).toImage();
        main.setlinetext(p.Form1.ListView1,
                         [&](int r) -> const std::u16string& { return checker::linetext(p.c, r); });
        return image;
    };
    EXPECT_LT(mismatch(shown, drawn(music.u16() + u"/Кино - Звезда")), 0.02);
    EXPECT_GT(mismatch(shown, drawn(lines[row])), 0.02);
}
