// The program's start with a VORLINDE_CODEPAGE that names no single-byte code
// page: the built program ends before it reads or writes anything, saying
// why on stderr; with a display the same words come in an error box.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtWidgets>

#include "startup.h"
#include "testutil.h"

namespace fs = std::filesystem;

TEST(Start, ACodePageThatNamesNoneEndsTheProgramBeforeItTouchesAnything) {
    // The program keeps its settings beside itself: a copy in a folder of its own.
    testutil::tempdir dir;
    fs::copy_file(fs::path(VORLINDE_APP_DIR) / "vorlinde", dir.path() / "vorlinde");
    for (const auto& [value, arg] : {std::pair{"1252x", ""}, {"UTF-8", " -SC"}}) {
        // The time-out only ends a program that would never end by itself.
        const std::string cmd = "cd '" + dir.path().string() + "' && VORLINDE_CODEPAGE='" + value +
                                "' QT_QPA_PLATFORM=offscreen timeout 50 ./vorlinde" + arg +
                                " </dev/null >/dev/null 2>err";
        const int status = std::system(cmd.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 124)
            << value << " " << status;
        const std::string err = testutil::readfile(dir.path() / "err");
        EXPECT_NE(err.find("VORLINDE_CODEPAGE = «" + std::string(value) + "»"), std::string::npos)
            << err;
    }
    std::string left;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        left += entry.path().filename().string() + " ";
    EXPECT_TRUE(left == "vorlinde err " || left == "err vorlinde ") << left; // no settings
}

TEST(Start, WithADisplayTheRefusalIsAnErrorBoxNamingTheVariableAndTheValue) {
    QPointer<QMessageBox> answered;
    QString shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box == answered) return; // each showing answered once
        answered = box;
        shown += QString::number(box->icon()) + " " + box->windowTitle() + ": " + box->text();
        box->button(QMessageBox::Ok)->click();
    });
    poll.start(5);
    setenv("VORLINDE_CODEPAGE", "cp65001", 1);
    EXPECT_FALSE(app::codepageaccepted(true));
    setenv("VORLINDE_CODEPAGE", "windows-1252", 1);
    EXPECT_TRUE(app::codepageaccepted(true));
    unsetenv("VORLINDE_CODEPAGE");
    EXPECT_EQ(shown.toStdString(),
              std::to_string(QMessageBox::Critical) + " " +
                  QGuiApplication::applicationDisplayName().toStdString() +
                  ": Переменная окружения VORLINDE_CODEPAGE = «cp65001» не называет "
                  "однобайтовую кодовую страницу. Укажите, например, 1251, cp1252 или "
                  "windows-1252, или удалите переменную.");
}
