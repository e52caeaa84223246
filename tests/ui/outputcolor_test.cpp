#include <gtest/gtest.h>

#include "outputcolor.h"

using namespace ui;

namespace {

lineformat look(std::u16string_view text, lineop op = lineop::none) {
    return outputcolor(text, op);
}

lineformat make(std::optional<std::uint32_t> color, bool bold, bool strikeout = false) {
    lineformat f;
    f.color = color;
    f.bold = bold;
    f.strikeout = strikeout;
    return f;
}

} // namespace

TEST(OutputColor, PlainLinesKeepTheListFont) {
    EXPECT_EQ(look(u""), lineformat{});
    EXPECT_EQ(look(u"D:/Music/Artist - Album (1999)"), lineformat{});
    EXPECT_EQ(look(u"  Обработка дерева папок /x"), lineformat{});
    // Rules are case-sensitive.
    EXPECT_EQ(look(u"нет исполнителя"), lineformat{});
    EXPECT_EQ(look(u"> переименовать"), lineformat{});
}

TEST(OutputColor, ClosingLinesBeginWithBlankAndTwoHyphens) {
    EXPECT_EQ(look(u" --"), make(clMaroon, true));
    EXPECT_EQ(look(u" -- Ok"), make(clMaroon, true));
    EXPECT_EQ(look(u"  --"), lineformat{});
    EXPECT_EQ(look(u" -"), lineformat{});
    // Switched off: struck out, never bold, colour kept.
    EXPECT_EQ(look(u" -- Ok", lineop::off), make(clMaroon, false, true));
}

TEST(OutputColor, RenameLinesFollowTheirOperation) {
    const std::u16string line = u"  > Переименовать a - b В a - b (2001)";
    EXPECT_EQ(look(line), make(clGreen, true));
    EXPECT_EQ(look(line, lineop::off), make(clGreen, false, true));
    EXPECT_EQ(look(line, lineop::on), make(clGreen, true));
    // A missing album wins the colour, the rename keeps it bold.
    EXPECT_EQ(look(u"  > Переименовать x: Нет альбома"), make(clRed, true));
    EXPECT_EQ(look(u"  > Переименовать x: Нет исполнителя"), make(clRed, true));
}

TEST(OutputColor, TagWritesAreBoldAndOperationsDecideTheStyle) {
    EXPECT_EQ(look(u"  > (Пере)записать теги"), make(std::nullopt, true));
    EXPECT_EQ(look(u"  > (Пере)записать теги", lineop::off), make(std::nullopt, false, true));
    EXPECT_EQ(look(u"x > Set track"), make(std::nullopt, true));
    EXPECT_EQ(look(u"x > Set genre"), make(std::nullopt, true));
    // Any line with a switched-on operation is bold.
    EXPECT_EQ(look(u"plain", lineop::on), make(std::nullopt, true));
    EXPECT_EQ(look(u"plain", lineop::off), make(std::nullopt, false, true));
}

TEST(OutputColor, LaterColourRulesWin) {
    // Four blanks: purple; a playlist line after it turns maroon.
    EXPECT_EQ(look(u"      Artist A"), make(clPurple, false));
    EXPECT_EQ(look(u"    Найден плейлист"), make(clMaroon, false));
    EXPECT_EQ(look(u"   "), lineformat{});
    EXPECT_EQ(look(u"album 'расхождение'"), make(clPurple, false));
    EXPECT_EQ(look(u"x (двойной щелчок на пути папки, чтобы посмотреть подробности)"),
              make(clRed, false));
    EXPECT_EQ(look(u"  Найден плейлист. При копировании в плеер могут продублироваться треки!"),
              make(clMaroon, false));
    // The red of a missing artist is overridden by a playlist mention.
    EXPECT_EQ(look(u"Нет исполнителя, найден плейлист"), make(clMaroon, false));
}

TEST(OutputColor, FindopPairMapsToTheOperationState) {
    EXPECT_EQ(outputcolor(u"a", false, true), look(u"a"));
    EXPECT_EQ(outputcolor(u"a", true, true), look(u"a", lineop::on));
    EXPECT_EQ(outputcolor(u"a", true, false), look(u"a", lineop::off));
}
