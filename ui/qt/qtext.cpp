#include "qtext.h"

#include <QFile>

#include "controls.h"
#include "platform.h"

namespace uiqt {

QString qpath(std::u16string_view path) {
    const std::string bytes = platform::tonative(path);
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::u16string u16path(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return platform::fromnative(std::string_view(bytes.constData(), bytes.size()));
}

std::uint16_t virtualkey(int k) {
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return static_cast<std::uint16_t>('A' + (k - Qt::Key_A));
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return static_cast<std::uint16_t>('0' + (k - Qt::Key_0));
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
        return static_cast<std::uint16_t>(112 + (k - Qt::Key_F1));
    switch (k) {
    case Qt::Key_Backspace:
        return forms::vkBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return forms::vkReturn;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_Escape:
        return forms::vkEscape;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    default:
        return 0;
    }
}

unsigned shiftstate(Qt::KeyboardModifiers m) {
    unsigned s = forms::ssNone;
    if (m & Qt::ShiftModifier) s |= forms::ssShift;
    if (m & Qt::AltModifier) s |= forms::ssAlt;
    if (m & Qt::ControlModifier) s |= forms::ssCtrl;
    return s;
}

} // namespace uiqt
