// Windows as the X server shows them, read over a connection that leaves the program's unflushed.
#include <gtest/gtest.h>
#include <httplib.h>
#include <xcb/xcb.h>

#include <cstring>

#include <QTest>
#include <QtWidgets>

#include "answers.h"
#include "mp3fixture.h"
#include "program.h"
#include "tform4.h"
#include "window.h"

namespace {

xcb_connection_t* const c = xcb_connect(nullptr, nullptr);
const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;

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
        p.fillRect(w->frameGeometry().translated(-area.topLeft()), Qt::transparent);
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

xcb_atom_t atom(const char* name) {
    auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t a = r->atom;
    free(r);
    return a;
}

std::vector<std::uint32_t> property(WId w, const char* name) {
    auto* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr);
    auto* data = static_cast<std::uint32_t*>(xcb_get_property_value(r));
    std::vector<std::uint32_t> values(data, data + xcb_get_property_value_length(r) / 4);
    free(r);
    return values;
}

bool viewable(QWidget& w) {
    auto* r = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w.winId()), nullptr);
    const bool shown = r && r->map_state == XCB_MAP_STATE_VIEWABLE;
    free(r);
    return shown;
}

// What a window manager's minimize button asks of it.
void iconify(QWidget& w) {
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = w.winId();
    e.type = atom("WM_CHANGE_STATE");
    e.data.data32[0] = 3; // iconic
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&e));
    xcb_flush(c);
}

// Acts once the window has come up as the modal one, at its next showing.
void when(QWidget& w, std::function<void()> f) {
    testqt::when(w, std::move(f));
}

// The program with its windows, the main one shown.
class Screen : public testing::Test {
protected:
    Screen() {
        app::bindviews(h, p);
        h.show(p.Form1);
    }
    testutil::tempdir progdir, music;
    uiqt::qthost h;
    ui::program p{h, {}, progdir.u16()};
};

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
