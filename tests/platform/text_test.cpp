#include <cstdlib>
#include <gtest/gtest.h>

#include "platform.h"

using platform::fromansi;
using platform::toansi;

namespace {

// Sets VORLINDE_CODEPAGE (unset when null) for one scope, then puts the old value back.
struct codepageenv {
    static void put(const char* v) {
        v ? setenv("VORLINDE_CODEPAGE", v, 1) : unsetenv("VORLINDE_CODEPAGE");
        platform::resetcodepage();
    }
    explicit codepageenv(const char* value) : had(std::getenv("VORLINDE_CODEPAGE")) {
        if (had) old = std::getenv("VORLINDE_CODEPAGE");
        put(value);
    }
    ~codepageenv() { put(had ? old.c_str() : nullptr); }
    bool had;
    std::string old;
};

} // namespace

TEST(CodePage, Windows1251ByDefaultOthersByEnvironment) {
    {
        codepageenv env(nullptr);
        EXPECT_EQ(platform::codepagename(), "WINDOWS-1251");
        const std::u16string text = u"Кино - Группа крови (1988) Ёё";
        const std::string bytes = toansi(text);
        ASSERT_EQ(bytes.size(), text.size());
        // "К" is 0xCA, "Ё" 0xA8 and "ё" 0xB8 in windows-1251.
        EXPECT_EQ(bytes.substr(0, 1) + bytes.substr(bytes.size() - 2), "\xCA\xA8\xB8");
        EXPECT_EQ(fromansi(bytes), text);
        // Missing characters become "?": Greek, CJK, one "?" for a surrogate pair.
        EXPECT_EQ(toansi(u"aαb漢c\U0001F3B5d"), "a?b?c?d");
        // Every byte decodes to exactly one character.
        std::string all;
        for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
        EXPECT_EQ(fromansi(all).size(), 256u);
    }
    {
        codepageenv env("CP1252");
        EXPECT_EQ(fromansi(std::string("\xE9\x80", 2)), u"é€");
        EXPECT_EQ(toansi(u"é"), "\xE9");
        EXPECT_EQ(toansi(u"Ж"), "?");
    }
    codepageenv env("NO-SUCH-CODEPAGE"); // falls back to the default
    EXPECT_EQ(fromansi(std::string("\xC0", 1)), u"А");
}

TEST(Utf8, PathsWithInvalidBytesRoundTripAndTextIsDecodedLeniently) {
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
    EXPECT_EQ(platform::utf8to16("Ж\xFFz"), u"Ж\uFFFDz");
    EXPECT_EQ(platform::utf16to8(u"a\xD800"), "a\xEF\xBF\xBD");
}

TEST(UpperCase, FoldsLatinCyrillicAndKeepsLength) {
    EXPECT_EQ(platform::upcase(u"abc xyz кино ёж éàü"), u"ABC XYZ КИНО ЁЖ ÉÀÜ");
    // ß has no single-character upper case: it stays, so lengths match.
    EXPECT_EQ(platform::upcase(u"straße\U0001F3B5"), u"STRAßE\U0001F3B5");
}

TEST(Pattern, WildcardsMatchCaseInsensitively) {
    const struct {
        std::u16string name, pattern;
        bool match;
    } cases[] = {{u"Song.MP3", u"*.mp3", true},
                 {u"песня.Mp3", u"*.mp3", true},
                 {u"song.mp3.bak", u"*.mp3", false},
                 {u"mp3", u"*.mp3", false},
                 {u"noext", u"*.*", true},
                 {u"a.b.c", u"*.*", true},
                 {u"list.M3U", u"*.m3u", true},
                 {u"ab", u"a?", true},
                 {u"abc", u"a?", false},
                 {u"aXbXc", u"a*b*c", true}};
    for (const auto& c : cases)
        EXPECT_EQ(platform::matchpattern(c.name, c.pattern), c.match)
            << platform::utf16to8(c.name + u" " + c.pattern);
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
