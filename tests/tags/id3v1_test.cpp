// The ID3v1 block at the end of the file and its merge into the values.
#include <gtest/gtest.h>

#include "tagbuilder.h"

using namespace tagbuild;
using namespace std::string_literals;

namespace {

class V1 : public ::testing::Test {
protected:
    testutil::tempdir dir;
    std::u16string path(const std::string& bytes) { return put(dir, "v1.mp3", bytes); }
    values file(const std::string& v1, const std::string& tagbytes = "") {
        return read(path(tagbytes + audio() + v1));
    }
};

} // namespace

TEST_F(V1, Fields) {
    const std::string block =
        id3v1(cp1251("Группа крови"), cp1251("Кино"), "Album  ", "1988", "comment", 5, 17);
    const values v = file(block);
    EXPECT_EQ(all(v), "Кино|Группа крови|Album|1988|5|(17)|");
    EXPECT_EQ(id3v2::v1tail, block.substr(97));
    EXPECT_FALSE(id3v2::hasid3v2);
}

TEST_F(V1, TrackAndGenreBytesOnlyInVersion11) {
    EXPECT_EQ(file(id3v1("", "", "", "", "", 0, 0)).genre, "");
    EXPECT_EQ(file(id3v1("", "", "", "", "", 0, 255)).genre, "");
    EXPECT_EQ(file(id3v1("", "", "", "", "", 255, 254)).trno, "255");
    EXPECT_EQ(file(id3v1("", "", "", "", "", 255, 254)).genre, "(254)");
    // A comment of 30 characters: byte 28 is not zero, no track and no genre.
    const values v = file(id3v1("", "", "", "", std::string(30, 'c'), -1, 17));
    EXPECT_EQ(v.trno, "");
    EXPECT_EQ(v.genre, "");
    EXPECT_EQ(id3v2::v1tail.size(), 31u);
}

TEST_F(V1, Id3v2ValuesWin) {
    const values v =
        file(id3v1("V1T", "V1A", "V1Al", "1999", "", 9, 3),
             tag(3, frame23("TIT2", text0("T")) + frame23("TRCK", text0("2")) +
                        frame23("TCON", text0("Pop")) + frame23("TYER", text0("2001"))));
    EXPECT_EQ(all(v), "V1A|T|V1Al|2001|2|Pop|");
}

TEST_F(V1, Years) {
    // Three characters are no year; leading blanks are allowed.
    for (auto [year, want] : {std::pair{"199"s, ""},
                              {"   3"s, "   3"},
                              {"0000"s, ""},
                              {"9999"s, "9999"},
                              {"112\0"s, ""},
                              {" 199"s, " 199"}})
        EXPECT_EQ(file(id3v1("", "", "", year)).year, want) << year;
}

TEST_F(V1, FullLengthFieldsAndPadding) {
    const std::string title = std::string(28, 'a') + "  ";
    const values v = file(id3v1(title, "abc\0junk"s, std::string(30, ' '), "2003"));
    EXPECT_EQ(v.title, std::string(28, 'a'));
    EXPECT_EQ(v.artist, "abc");
    EXPECT_EQ(v.album, "");
    EXPECT_EQ(file(id3v1(std::string(30, 'x'), "", "", "")).title, std::string(30, 'x'));
}

TEST_F(V1, WhereThereIsNone) {
    // Exactly 128 bytes: the block alone is no tag.
    EXPECT_EQ(read(path(id3v1("T", "A", "", ""))).title, "");
    EXPECT_EQ(id3v2::v1tail, "");
    EXPECT_EQ(read(path("x" + id3v1("T", "A", "", ""))).title, "T");
    // Case matters.
    std::string lower = id3v1("T", "A", "", "");
    lower.replace(0, 3, "tag");
    EXPECT_EQ(file(lower).title, "");
    EXPECT_EQ(id3v2::v1tail, "");
}

TEST_F(V1, PublicReaders) {
    const std::u16string p = path(audio() + id3v1("Title", "Artist", "Album", "1999", "", 7, 20));
    std::u16string artist, title, album, year;
    std::string tail;
    id3v2::readid3v1(p, artist, title, album, year, tail);
    EXPECT_EQ(artist, u"Artist");
    EXPECT_EQ(title, u"Title");
    EXPECT_EQ(album, u"Album");
    EXPECT_EQ(year, u"1999");
    EXPECT_EQ(tail.size(), 31u);
    const std::string tail31 = tail;
    id3v2::readid3v1(dir.u16(u"missing.mp3"), artist, title, album, year, tail);
    EXPECT_EQ(artist + title + album + year, u"");
    EXPECT_EQ(tail, "");

    std::u16string a = u"   ", t = u"Mine  ", al, y = u"20x", tr, g;
    id3v2::mergeid3v1(p, a, t, al, y, tr, g);
    EXPECT_EQ(a, u""); // present as blanks, so the ID3v1 value stays out
    EXPECT_EQ(t, u"Mine");
    EXPECT_EQ(al, u"Album");
    EXPECT_EQ(y, u"");
    EXPECT_EQ(tr, u"7");
    EXPECT_EQ(g, u"(20)");
    EXPECT_EQ(id3v2::v1tail, tail31);
}
