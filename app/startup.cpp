// The start-up checks: a code page that would read and write every
// single-byte text wrongly stops the program before it touches anything.
#include "startup.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>
#include <string>

#include "platform.h"

namespace app {

bool codepageaccepted(bool showbox) {
    std::string value;
    if (!platform::codepagerefused(value)) return true;
    const std::u16string text =
        u"Переменная окружения VORLINDE_CODEPAGE = «" + platform::utf8to16(value) +
        u"» не называет однобайтовую кодовую страницу. Укажите, например, 1251, cp1252 или "
        u"windows-1252, или удалите переменную.";
    std::fprintf(stderr, "vorlinde: %s\n", platform::utf16to8(text).c_str());
    if (showbox) {
        QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(),
                        QString::fromStdU16String(text), QMessageBox::Ok);
        box.exec();
    }
    return false;
}

} // namespace app
