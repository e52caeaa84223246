// Windows as the X server shows them, read over a connection that leaves the program's unflushed.
#include <xcb/xcb.h>

#include <QLabel>
#include <QThread>

#include <httplib.h>

#include "apptest.h"
#include "tform4.h"

using namespace apptest;

namespace {

QImage screen(QWidget& w) {
    static xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    static const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const QRect r(w.mapToGlobal(QPoint()), w.size());
    auto q =
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, r.x(), r.y(), r.width(), r.height(), -1);
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

} // namespace

TEST(Screen, WaitAndProgressWindowsPaintedEnterAndEscWorkQtDialogsInRussian) {
    appenv e;
    ui::program& p = *e.p;
    std::vector<QImage> shown; // halfway through the search, then the release
    httplib::Server server;
    server.Get(".*", [&](const httplib::Request& q, httplib::Response& res) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        shown.push_back(screen(e.view(p.Form6)));
        res.set_content(
            R"({"title": "B", "artists": [], "tracklist": [], "results": [{"resource_url": "http://127.0.0.1:)" +
                std::to_string(q.local_port) + "\"}]}",
            "application/json");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { server.listen_after_bind(); });
    setenv("VORLINDE_DISCOGS_URL", ("http://127.0.0.1:" + std::to_string(port)).c_str(), 1);
    std::string big; // megabytes: each file's copy takes a moment
    for (int i = 0; i < 12000; ++i) big += basemp3();
    for (char16_t i = u'1'; i <= u'8'; ++i)
        e.mp3(u"a/" + std::u16string(1, i) + u".mp3", {u"", u"T"});
    for (auto& f : e.pending) testutil::writefile(f.first, big);
    e.tagfiles();
    e.setroot(e.root());
    answers a(e);
    a.on(p.Form2, [&] {
        e.click(p.Form2, p.Form2.Button3);
        e.click(p.Form2, p.Form2.Button1);
    });
    a.on(p.Form7, [&] { e.click(p.Form7, p.Form7.Button1); });
    e.click(e.main(), e.main().Button1);
    server.stop();
    serving.join();
    ASSERT_EQ(shown.size(), 2u);
    for (const QImage& s : shown) EXPECT_LT(mismatch(s, e.view(p.Form6).grab().toImage()), 0.02);

    e.h.paintinterval = 0; // the screen is read just after each paint
    std::vector<double> seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        uiqt::formview* v = p.c.form4 ? e.h.findview(*p.c.form4) : nullptr;
        if (!v || !v->isVisible() || !v->testAttribute(Qt::WA_Mapped)) return; // not exposed yet
        QCoreApplication::sendPostedEvents(v, QEvent::UpdateRequest); // one a change just asked for
        double d = 1; // the server takes requests sent in its own time; none is sent meanwhile
        for (int i = 0; i < 10 && (d = mismatch(screen(*v), v->grab().toImage())) > 0.02; ++i)
            QThread::msleep(20);
        seen.push_back(d);
    });
    poll.start(30);
    e.click(e.main(), e.main().Button3);
    EXPECT_GE(seen.size(), 3u);
    for (double d : seen) EXPECT_LT(d, 0.02);

    app::translateqt();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape})
        a.on(p.Form5, [&, key] { QTest::keyClick(e.widget(p.Form5, p.Form5.Button1), key); });
    QString texts;
    a.onwidget("folder browser", [&](QWidget* d) {
        for (auto* l : d->findChildren<QLabel*>()) texts += l->text();
        d->close();
    });
    for (int i = 0; i < 2; ++i)
        QTest::keyClick(e.widget(e.main(), e.main().Button5), Qt::Key_Return);
    e.click(e.main(), e.main().Button2);
    EXPECT_TRUE(a.done() && a.unexpected.empty());
    EXPECT_TRUE(texts.contains(QRegularExpression("^[^A-Za-z]{9,}$"))) << texts.toStdString();
}
