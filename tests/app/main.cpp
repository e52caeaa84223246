// One application object for all the program's window tests; without a
// display they draw offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

// What the offscreen platform cannot do (raise windows, grab the keyboard),
// said for every window, hides what matters in the output.
void quiet(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    for (const char* known : {"does not support raise()", "does not support propagateSizeHints",
                              "does not support grabbing", "XDG_RUNTIME_DIR"})
        if (text.contains(QLatin1String(known))) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") &&
        !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(quiet);
    QApplication app(argc, argv);
    // A window closed in a test must not end the event loops of the next.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName("vorlinde");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
