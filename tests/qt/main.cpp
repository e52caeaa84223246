// The Qt tests need one application object for the whole run; without a
// display they draw offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

// The offscreen platform cannot raise windows; saying so for every window
// only hides what matters in the output.
void quiet(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("does not support raise()"))) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") &&
        !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(quiet);
    QApplication app(argc, argv);
    QApplication::setApplicationName("vorlinde");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
