// vorlinde: repairs the ID3 tags and folder names of MP3 collections.
#include <QApplication>
#include <string>
#include <vector>

#include "platform.h"
#include "program.h"
#include "qthost.h"
#include "startup.h"
#include "window.h"

int main(int argc, char** argv) {
    QApplication qapp(argc, argv); // takes Qt's own options out of argv
    QApplication::setApplicationName(QStringLiteral("vorlinde"));
    QApplication::setApplicationVersion(QStringLiteral("0.98"));
    app::translateqt();
    // Before the settings are read: a box shown where nobody can see it
    // (offscreen) would keep the program from ever ending.
    const QString screen = QGuiApplication::platformName();
    if (!app::codepageaccepted(screen != QLatin1String("offscreen") &&
                               screen != QLatin1String("minimal")))
        return 2;

    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) args.push_back(platform::fromnative(argv[i]));

    uiqt::qthost host;
    ui::program p(host, std::move(args));
    app::bindviews(host, p);
    host.show(p.Form1);
    return QApplication::exec();
}
