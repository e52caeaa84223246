// Conversions between the core's texts and key codes and Qt's.
#pragma once

#include <QColor>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

namespace uiqt {

inline QString qs(std::u16string_view s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::u16string u16(const QString& s) {
    return s.toStdU16String();
}

// Paths go through the native bytes, so that a name that is not valid UTF-8
// keeps its bytes on the way to Qt's file dialogs and back.
QString qpath(std::u16string_view path);
std::u16string u16path(const QString& path);

// The virtual-key code the form handlers test, or 0 for a key they never see.
std::uint16_t virtualkey(int qtkey);
// forms::shiftstate bits of Qt's modifiers.
unsigned shiftstate(Qt::KeyboardModifiers m);

// A colour given as 0x00BBGGRR.
inline QColor bgr(std::uint32_t c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

} // namespace uiqt
