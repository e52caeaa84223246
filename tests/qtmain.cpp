// One application object for a whole binary of window tests; without a
// display they draw offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <unistd.h>

#include "answers.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's settings (the file dialog keeps its columns' widths there) begin
    // empty: what an earlier run or another program stored must not change
    // what a test sees, nor a test what the user has stored.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication app(argc, argv);
    // A window closed in one test must not end the event loops of the next.
    QApplication::setQuitOnLastWindowClosed(false);
    testqt::showings::all(); // every window's showings counted from the first
    alarm(60);               // a test left waiting for a window that never comes fails
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
