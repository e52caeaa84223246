#include <cstdlib>
#include <gtest/gtest.h>

#include "platform.h"

using platform::fromansi;
using platform::toansi;

namespace {

// Sets VORLINDE_CODEPAGE for one test and puts the old value back.
class codepageenv {
public:
    explicit codepageenv(const char* value) {
        if (const char* old = std::getenv("VORLINDE_CODEPAGE")) old_ = old, had_ = true;
        if (value)
            setenv("VORLINDE_CODEPAGE", value, 1);
        else
            unsetenv("VORLINDE_CODEPAGE");
        platform::resetcodepage();
    }
    ~codepageenv() {
        if (had_)
            setenv("VORLINDE_CODEPAGE", old_.c_str(), 1);
        else
            unsetenv("VORLINDE_CODEPAGE");
        platform::resetcodepage();
    }

private:
    std::string old_;
    bool had_ = false;
};

} // namespace

TEST(CodePage, CyrillicRoundTripThroughWindows1251) {
    codepageenv env(nullptr);
    EXPECT_EQ(platform::codepagename(), "WINDOWS-1251");
    const std::u16string text = u"Кино - Группа крови (1988) Ёё";
    const std::string bytes = toansi(text);
    ASSERT_EQ(bytes.size(), text.size());
    // "К" is 0xCA, "Ё" 0xA8 and "ё" 0xB8 in windows-1251.
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xCA);
    EXPECT_EQ(static_cast<unsigned char>(bytes[bytes.size() - 2]), 0xA8);
    EXPECT_EQ(static_cast<unsigned char>(bytes.back()), 0xB8);
    EXPECT_EQ(fromansi(bytes), text);
}

TEST(CodePage, MissingCharactersBecomeQuestionMarks) {
    codepageenv env(nullptr);
    // Greek, CJK and a character outside the BMP (one "?" for the pair).
    EXPECT_EQ(toansi(u"aαb漢c\U0001F3B5d"), "a?b?c?d");
    // Every byte decodes to exactly one character.
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(fromansi(all).size(), 256u);
}

TEST(CodePage, EnvironmentChoosesAnotherCodePage) {
    codepageenv env("CP1252");
    EXPECT_EQ(fromansi(std::string("\xE9\x80", 2)), u"é€");
    EXPECT_EQ(toansi(u"é"), "\xE9");
    EXPECT_EQ(toansi(u"Ж"), "?");
}

TEST(CodePage, UnknownNameFallsBackToDefault) {
    codepageenv env("NO-SUCH-CODEPAGE");
    EXPECT_EQ(fromansi(std::string("\xC0", 1)), u"А");
}

TEST(Utf8, PathsWithInvalidBytesRoundTrip) {
    const std::string names[] = {
        "plain",
        "Кино",
        std::string("bad\xFF\xFEname", 9),
        std::string("\xC0\xAF", 2),
        std::string("\xED\xA0\x80", 3), // an encoded surrogate is not UTF-8
        std::string("cut\xE2\x82", 5),
        "\xF0\x9F\x8E\xB5 note"};
    for (const auto& n : names) EXPECT_EQ(platform::tonative(platform::fromnative(n)), n) << n;
    EXPECT_EQ(platform::fromnative(std::string("a\xFF", 2)), std::u16string(u"a\xDCFF"));
    EXPECT_EQ(platform::fromnative("\xF0\x9F\x8E\xB5"), u"\U0001F3B5");
}

TEST(Utf8, LenientDecodingReplacesBadBytes) {
    EXPECT_EQ(platform::utf8to16("Ж\xFFz"), u"Ж\uFFFDz");
    EXPECT_EQ(platform::utf16to8(u"a\xD800"), "a\xEF\xBF\xBD");
}

TEST(UpperCase, FoldsLatinCyrillicAndKeepsLength) {
    EXPECT_EQ(platform::upcase(u"abc xyz"), u"ABC XYZ");
    EXPECT_EQ(platform::upcase(u"кино ёж"), u"КИНО ЁЖ");
    EXPECT_EQ(platform::upcase(u"éàü"), u"ÉÀÜ");
    // ß has no single-character upper case: it stays, so lengths match.
    const std::u16string s = u"straße\U0001F3B5";
    EXPECT_EQ(platform::upcase(s).size(), s.size());
    EXPECT_EQ(platform::upcase(s), u"STRAßE\U0001F3B5");
}

TEST(Pattern, WildcardsMatchCaseInsensitively) {
    using platform::matchpattern;
    EXPECT_TRUE(matchpattern(u"Song.MP3", u"*.mp3"));
    EXPECT_TRUE(matchpattern(u"песня.Mp3", u"*.mp3"));
    EXPECT_FALSE(matchpattern(u"song.mp3.bak", u"*.mp3"));
    EXPECT_FALSE(matchpattern(u"mp3", u"*.mp3"));
    EXPECT_TRUE(matchpattern(u"noext", u"*.*"));
    EXPECT_TRUE(matchpattern(u"a.b.c", u"*.*"));
    EXPECT_TRUE(matchpattern(u"list.M3U", u"*.m3u"));
    EXPECT_TRUE(matchpattern(u"ab", u"a?"));
    EXPECT_FALSE(matchpattern(u"abc", u"a?"));
    EXPECT_TRUE(matchpattern(u"aXbXc", u"a*b*c"));
}

TEST(Order, NamesSortAfterUpperCasing) {
    using platform::namebefore;
    EXPECT_TRUE(namebefore(u"apple", u"Banana"));
    EXPECT_TRUE(namebefore(u"a_", u"B"));
    EXPECT_TRUE(namebefore(u"ab", u"a_")); // upper-cased: "AB" < "A_"
    EXPECT_TRUE(namebefore(u"Z", u"а"));   // Latin before Cyrillic
    EXPECT_TRUE(namebefore(u"ab", u"abc"));
    EXPECT_FALSE(namebefore(u"x", u"x"));
    // Equal after upper-casing: a fixed order all the same.
    EXPECT_NE(namebefore(u"Ab", u"aB"), namebefore(u"aB", u"Ab"));
}
