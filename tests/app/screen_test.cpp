// Windows as the X server shows them, read over a connection that leaves the program's unflushed.
#include <gtest/gtest.h>
#include <httplib.h>
#include <xcb/xcb.h>

#include <QTest>
#include <QtWidgets>

#include "mp3fixture.h"
#include "program.h"
#include "tform4.h"
#include "window.h"

namespace {

QImage screen(QWidget& w) {
    static xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    static const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const QRect r = w.geometry(); // a window's client area on the screen
    auto q = xcb_get_image(c, 2 /* ZPixmap */, root, r.x(), r.y(), r.width(), r.height(), -1);
    auto* got = xcb_get_image_reply(c, q, nullptr);
    return QImage(xcb_get_image_data(got), r.width(), r.height(), QImage::Format_RGB32, free, got);
}

// The share of a window's pixels shown otherwise: unpainted, black or what lay behind it.
double mismatch(const QImage& shown, const QImage& own) {
    int off = 0;
    for (int y = 0; y < own.height(); ++y)
        for (int x = 0; x < own.width(); ++x)
            off += std::abs(qGray(shown.pixel(x, y)) - qGray(own.pixel(x, y))) > 24;
    return double(off) / (own.width() * own.height());
}

// Acts once the window has come up as the modal one.
void when(QWidget& w, std::function<void()> f) {
    QTimer::singleShot(5, [&w, f] { QApplication::activeModalWidget() == &w ? f() : when(w, f); });
}

} // namespace

TEST(Screen, WaitAndProgressWindowsPaintedEnterAndEscWorkQtDialogsInRussian) {
    testutil::tempdir progdir, music;
    uiqt::qthost h;
    ui::program p(h, {}, progdir.u16());
    app::bindviews(h, p);
    h.show(p.Form1);
    auto click = [&](auto& f, auto& c) { QTest::mouseClick(h.view(f).widget(c), Qt::LeftButton); };

    std::vector<QImage> shown; // halfway through the search, then the release
    httplib::Server server;
    server.Get(".*", [&](const httplib::Request&, httplib::Response& res) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        shown.push_back(screen(h.view(p.Form6)));
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
        when(h.view(p.Form7), [&] { click(p.Form7, p.Form7.Button1); });
        click(p.Form2, p.Form2.Button3);
        click(p.Form2, p.Form2.Button1);
    });
    click(p.Form1, p.Form1.Button1);
    server.stop();
    serving.join();
    ASSERT_EQ(shown.size(), 2u);
    for (const QImage& s : shown) EXPECT_LT(mismatch(s, h.view(p.Form6).grab().toImage()), 0.02);

    h.paintinterval = 0; // the screen is read just after each paint
    int polls = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        uiqt::formview* v = p.c.form4 ? h.findview(*p.c.form4) : nullptr;
        if (!v || !v->isVisible() || !v->testAttribute(Qt::WA_Mapped)) return; // not exposed yet
        QCoreApplication::sendPostedEvents(v, QEvent::UpdateRequest); // one a change just asked for
        double d = 1; // the server takes requests sent in its own time; none is sent meanwhile
        for (int i = 0; i < 10 && (d = mismatch(screen(*v), v->grab().toImage())) > 0.02; ++i)
            QThread::msleep(20);
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
}
