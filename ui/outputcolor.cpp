#include "outputcolor.h"

namespace ui {

namespace {

bool contains(std::u16string_view text, std::u16string_view part) {
    return text.find(part) != std::u16string_view::npos;
}

} // namespace

lineformat outputcolor(std::u16string_view text, lineop op) {
    lineformat f;
    if (contains(text, u"расхождение")) f.color = clPurple;
    if (contains(text, u"> (Пере)записать")) f.bold = true;
    if (contains(text, u"> Set track")) f.bold = true;
    if (contains(text, u"> Set genre")) f.bold = true;
    if (contains(text, u"> Переименовать")) {
        f.bold = true;
        f.color = clGreen;
    }
    if (text.starts_with(u"    ")) f.color = clPurple;
    if (text.starts_with(u" --")) {
        f.color = clMaroon;
        f.bold = true;
    }
    if (contains(text, u"Нет исполнителя") || contains(text, u"Нет альбома")) f.color = clRed;
    if (contains(text, u"посмотреть подробности)")) f.color = clRed;
    if (contains(text, u"ен плейлист")) f.color = clMaroon;
    if (op == lineop::off) {
        f.strikeout = true;
        f.bold = false;
    } else if (op == lineop::on) {
        f.strikeout = false;
        f.bold = true;
    }
    return f;
}

} // namespace ui
