// How a report line is drawn: its colour and style follow from its text and
// from whether its first operation is switched on.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace ui {

// Colours as 0x00BBGGRR.
enum : std::uint32_t {
    clPurple = 0x800080,
    clGreen = 0x008000,
    clMaroon = 0x000080,
    clRed = 0x0000FF,
};

struct lineformat {
    std::optional<std::uint32_t> color; // none: the list's own text colour
    bool bold = false;
    bool strikeout = false;
    bool operator==(const lineformat&) const = default;
};

// The line's operation, as the operation list knows it.
enum class lineop { none, off, on };

lineformat outputcolor(std::u16string_view text, lineop op);
// The same with what findop answers: whether the line has an operation, and
// that operation's perform flag.
inline lineformat outputcolor(std::u16string_view text, bool hasop, bool perform) {
    return outputcolor(text, !hasop ? lineop::none : perform ? lineop::on : lineop::off);
}

} // namespace ui
