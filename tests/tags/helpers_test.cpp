// The byte rules on their own: sizes, trimming, numbers, unsynchronisation
// and the decoding of text frame data.
#include <gtest/gtest.h>

#include "reader.h"
#include "tagbuilder.h"

using namespace id3v2;
using testutil::u16;
using testutil::u8;
using namespace std::string_literals;

namespace {

const unsigned char* ub(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

std::string unsync(std::string s) {
    s.resize(unsyncbytes(s.data(), s.size()));
    return s;
}

std::string text(const std::string& data) {
    return u8(readtextframe(data));
}

} // namespace

TEST(Sizes, SyncsafeTakesWholeBytesExceptInVersion22) {
    EXPECT_EQ(syncsafe2int(ub(std::string("\x00\x00\x02\x01", 4))), 257);
    // Top bits count in the ID3v2.3/2.4 reading; a hostile header can claim
    // over half a gigabyte.
    EXPECT_EQ(syncsafe2int(ub("\xFF\xFF\xFF\xFF")), 538984575);
    EXPECT_EQ(syncsafe2int22(ub("\xFF\xFF\xFF\xFF")), 0x0FFFFFFF);
    EXPECT_EQ(syncsafe2int22(ub(std::string("\x80\x80\x81\x00", 4))), 128);
}

TEST(Sizes, BigEndianAndBack) {
    EXPECT_EQ(be2int(ub(std::string("\x80\x00\x00\x01", 4))), 0x80000001u);
    EXPECT_EQ(be2int22(ub(std::string("\x01\x02\x03", 3))), 0x010203);
    EXPECT_EQ(be32str(0x01020304), std::string("\x01\x02\x03\x04"));
    EXPECT_EQ(int2syncsafe(0x0FFFFFFF), "\x7F\x7F\x7F\x7F");
    EXPECT_EQ(int2syncsafe(0x10000080), std::string("\x00\x00\x01\x00", 4)); // bit 28 dropped
    for (std::uint32_t v : {0u, 127u, 128u, 16384u, 123456789u, 0x0FFFFFFFu})
        EXPECT_EQ(syncsafe2int(ub(int2syncsafe(v))), static_cast<std::int32_t>(v)) << v;
}

TEST(Trim, CutsAtControlsAndTrailingBlanksOnly) {
    auto trim = [](std::u16string s) {
        trimtagfield(s);
        return u8(s);
    };
    EXPECT_EQ(trim(u"  word  "), "  word");
    EXPECT_EQ(trim(std::u16string(u"abc\0def  ", 9)), "abc");
    EXPECT_EQ(trim(std::u16string(u"\0abc", 4)), "");
    EXPECT_EQ(trim(u"a\tb"), "a");
    EXPECT_EQ(trim(u"a?b"), "a?b");
    EXPECT_EQ(trim(u"   "), "");
    EXPECT_EQ(trim(u"x\u00a0"), "x\u00a0"); // only U+0020 is a blank
}

TEST(Trim, IntegerConversionIsDecimalWithLeadingBlanks) {
    std::int32_t v = 0;
    for (auto [good, want] : {std::pair{u"2004", 2004},
                              {u"  12", 12},
                              {u"-5", -5},
                              {u"+0", 0},
                              {u"-2147483648", INT32_MIN}}) {
        EXPECT_TRUE(strtoint(good, v)) << u8(good);
        EXPECT_EQ(v, want) << u8(good);
    }
    for (const char16_t* bad : {u"", u" ", u"-", u"12 ", u"0x10", u"2004-05-06", u"2147483648",
                                u"99999999999999999999", u"1\u0660"})
        EXPECT_FALSE(strtoint(bad, v)) << u8(bad);
}

TEST(Unsync, DropsTheStuffedZeroOnly) {
    EXPECT_EQ(unsync("\xFF\x00\xE0"s), "\xFF\xE0");
    EXPECT_EQ(unsync("\xFF\x00\x00"s), std::string("\xFF\x00", 2));
    EXPECT_EQ(unsync("\xFF\x00\x41"s), std::string("\xFF\x00\x41", 3));
    EXPECT_EQ(unsync("\xFF\x00"s), std::string("\xFF\x00", 2)); // no third byte: as it is
    EXPECT_EQ(unsync("ab\xFF\x00\xFF\x00\xFBz"s), "ab\xFF\xFF\xFBz");
}

TEST(Unsync, RunsOfFFComeBackWhole) {
    // FF FF 00 is written FF 00 FF 00 00; reading must give it back.
    const std::string original("\xFF\xFF\x00\xFF\xFF\xFF\xE1\x01\xFF", 9);
    EXPECT_EQ(unsync(tagbuild::unsyncencode(original)), original);
    std::string every;
    for (int a = 0; a < 256; ++a)
        for (int b : {0, 0x41, 0xE0, 0xFF})
            every += {'\xFF', static_cast<char>(a), static_cast<char>(b)};
    EXPECT_EQ(unsync(tagbuild::unsyncencode(every)), every);
}

TEST(Unsync, FrameAndTagForms) {
    workbuf = "\xFF\x00\xE0xyz"s + "tail";
    std::int32_t n = 6;
    unsyncframe(n);
    EXPECT_EQ(n, 5);
    EXPECT_EQ(workbuf.substr(0, 5), "\xFF\xE0xyz");

    tagbuf = "ID3\x03\x00\x80\xFF\x00\x00\x00"s + "\xFF\x00\xE0"s + "ab";
    unsynctag();
    EXPECT_EQ(tagbuf, "ID3\x03\x00\x80\xFF\x00\x00\x00"s + "\xFF\xE0" + "ab"); // header untouched
    tagbuf.clear();
    workbuf.clear();
}

TEST(TextFrame, TwoByteText) {
    EXPECT_EQ(text("\x01\xFF\xFE"s + "a\0b\0\0\0c\0d\0"s), "ab");
    EXPECT_EQ(text("\x01\xFE\xFF"s + "\0a\0b\0\0\0c"s), "ab");
    EXPECT_EQ(text("\x01"s + "a\0b\0"s), "ab");                // no mark: little-endian
    EXPECT_EQ(text("\x01\xFF\xFE"s + "a\0b"s), "a");           // odd last byte ignored
    EXPECT_EQ(text("\x01\xFF"s), "");                          // too short for a unit
    EXPECT_EQ(text("\x01\xFF\xFE"s + "a\0\x09\0b\0"s), "a?b"); // controls become "?"
    EXPECT_EQ(readtextframe(tagbuild::text1(u"Кино \U0001F3B5")), u"Кино \U0001F3B5");
    EXPECT_EQ(readtextframe(tagbuild::text1be(u"Кино")), u"Кино");
}

TEST(TextFrame, SingleByteTextUsesTheAnsiCodePage) {
    EXPECT_EQ(text("\0a\tb"s), "a?b");
    EXPECT_EQ(text("\0"s + tagbuild::cp1251("Группа крови")), "Группа крови");
    EXPECT_EQ(text("\0abc\0def"s), "abc");
    EXPECT_EQ(text("\0"s), "");
    EXPECT_EQ(text(""), "");
    // ISO-8859-1 "é" (E9) is "й" in windows-1251: the ANSI code page decides.
    EXPECT_EQ(text("\0\xE9"s), "й");
    // Encoding 2 is read byte by byte: big-endian ASCII begins with a zero.
    EXPECT_EQ(text("\x02"s + tagbuild::utf16units(u"Hi", true)), "");
    EXPECT_EQ(text("\x07xyz"s), "xyz"); // unknown encodings too
}

TEST(TextFrame, Utf8IsLenient) {
    EXPECT_EQ(text("\x03"s + "Кино"), "Кино");
    EXPECT_EQ(text("\x03"s + "a\x01z"), "a?z");
    EXPECT_EQ(text("\x03"s + "ok\xC3" + "ok"), "ok\uFFFDok");
    EXPECT_EQ(text("\x03"s + tagbuild::cp1251("Кино") + "!"), "\uFFFD\uFFFD\uFFFD\uFFFD!");
}

TEST(TextFrame, FieldRules) {
    std::u16string f = u"first";
    takefirst(f, u"second");
    EXPECT_EQ(f, u"first");
    f.clear();
    takefirst(f, u"  ");
    EXPECT_EQ(f, u"  "); // blanks are a value until trimmed
    takelast(f, u"7/12  ", trnolow, trnohigh);
    EXPECT_EQ(f, u"7/12");
    takelast(f, u"A1", trnolow, trnohigh);
    EXPECT_EQ(f, u"");
    for (const char16_t* keep : {u"(17)", u"Rock", u"80s", u"я", u"Альтернатива"}) {
        takelast(f, keep, genrelow, genrehigh);
        EXPECT_EQ(f, keep);
    }
    for (const char16_t* drop : {u" Rock", u"!x", u"ё", u"\u0450x", u"'quoted'"}) {
        takelast(f, drop, genrelow, genrehigh);
        EXPECT_EQ(f, u"") << u8(drop);
    }
    std::string kept;
    storeframe(kept, "COMM", "0123456789");
    EXPECT_EQ(kept, "COMM\0\0\0\x0A\0\0"s + "0123456789");
}
