// How a report line is drawn: its colour from its text, later rules winning;
// struck out or bold from the operation that decides the line.
#include <gtest/gtest.h>

#include <map>

#include "outputcolor.h"

TEST(OutputColor, Lines) {
    using ui::lineop;
    const std::tuple<std::u16string, lineop, std::string> rows[] = {
        {u"нет исполнителя", lineop::none, " "}, // case counts
        {u" -- Ok", lineop::none, "maroon bold"},
        {u"  -- Ok", lineop::none, " "},
        {u"  > Переименовать a В b", lineop::on, "green bold"},
        {u"  > Переименовать a В b", lineop::off, "green struck"},
        {u"  > Переименовать x: Нет альбома", lineop::none, "red bold"},
        {u"  > (Пере)записать теги", lineop::off, " struck"},
        {u"x > Set track", lineop::none, " bold"},
        {u"x > Set genre", lineop::none, " bold"},
        {u"plain", lineop::on, " bold"},
        {u"      A: 1 трек", lineop::none, "purple "},
        {u"album расхождение", lineop::none, "purple "},
        {u"  Нет исполнителя: a.mp3", lineop::none, "red "},
        {u"x (чтобы посмотреть подробности)", lineop::none, "red "},
        {u"    Найден плейлист", lineop::none, "maroon "},
    };
    const std::map<std::uint32_t, std::string> names{{0, ""},
                                                     {ui::clPurple, "purple"},
                                                     {ui::clGreen, "green"},
                                                     {ui::clMaroon, "maroon"},
                                                     {ui::clRed, "red"}};
    for (const auto& [text, op, want] : rows) {
        const ui::lineformat l = ui::outputcolor(text, op);
        EXPECT_EQ(names.at(l.color.value_or(0)) + " " + (l.bold ? "bold" : "") +
                      (l.strikeout ? "struck" : ""),
                  want);
    }
}
