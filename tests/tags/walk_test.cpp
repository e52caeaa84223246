// ID3v2.3 and ID3v2.4 tags built byte by byte, read through readtags.
#include <gtest/gtest.h>

#include "tagbuilder.h"

using namespace tagbuild;
using namespace std::string_literals;

namespace {

class Walk : public ::testing::Test {
protected:
    testutil::tempdir dir;
    // A file of the tag, some audio and, when given, an ID3v1 block.
    values file(const std::string& tagbytes, const std::string& v1 = "", bool keepall = false) {
        return read(put(dir, "t.mp3", tagbytes + audio() + v1), keepall);
    }
};

} // namespace

TEST_F(Walk, FirstFrameWinsForNamesLastForNumbers) {
    const values v =
        file(tag(3, frame23("TIT2", text0("One")) + frame23("TIT2", text0("Two")) +
                        frame23("TPE1", text0("   ")) + frame23("TPE2", text0("Band  ")) +
                        frame23("TPE1", text0("Later")) + frame23("TALB", text1(u"Альбом ")) +
                        frame23("TRCK", text0("5")) + frame23("TRCK", text0("A1")) +
                        frame23("TCON", text0("Rock")) + frame23("TCON", text0("(17)")) +
                        frame23("TCMP", text0("1"))));
    // Blanks count as absent for the artist; the last TRCK decides, and it
    // begins with a letter.
    EXPECT_EQ(all(v), "Band|One|Альбом|||(17)|1");
    EXPECT_FALSE(v.haspicture);
}

TEST_F(Walk, TitleOfBlanksBlocksLaterTitlesAndId3v1) {
    const values v = file(tag(3, frame23("TIT2", text0("  ")) + frame23("TIT2", text0("Real"))),
                          id3v1("V1 title", "V1 artist", "", "1999"));
    EXPECT_EQ(v.title, "");
    EXPECT_EQ(v.artist, "V1 artist");
    EXPECT_EQ(v.year, "1999");
}

TEST_F(Walk, NumberFramesKeepLeadingBlanksAndTestTheFirstCharacter) {
    EXPECT_EQ(file(tag(3, frame23("TRCK", text0(" 7/12  ")))).trno, " 7/12");
    EXPECT_EQ(file(tag(3, frame23("TRCK", text1(u"№3")))).trno, "");
    EXPECT_EQ(file(tag(3, frame23("TCMP", text0("x")))).tcmp, "");
    EXPECT_EQ(file(tag(3, frame23("TCON", text0("!x")))).genre, "");
    EXPECT_EQ(file(tag(3, frame23("TCON", text1(u"ёлки")))).genre, "");
    EXPECT_EQ(file(tag(3, frame23("TCON", text1(u"поп")))).genre, "поп");
    // A later empty frame clears the value too.
    EXPECT_EQ(file(tag(3, frame23("TRCK", text0("5")) + frame23("TRCK", ""))).trno, "");
}

TEST_F(Walk, YearRules) {
    EXPECT_EQ(file(tag(3, frame23("TYER", text0("19999")))).year, "1999");
    EXPECT_EQ(file(tag(3, frame23("TYER", text0("  ")) + frame23("TDRC", text0("2004")))).year,
              "2004");
    EXPECT_EQ(file(tag(3, frame23("TYER", text0("abcd"))), id3v1("", "", "", "1999")).year, "");
    EXPECT_EQ(file(tag(4, frame24("TDRL", text3("2001")))).year, "2001");
    EXPECT_EQ(file(tag(3, frame23("TYER", text0("0000")))).year, "");
    // A full date is not a number: emptied, and the ID3v1 year stays out.
    EXPECT_EQ(file(tag(4, frame24("TDRC", text3("2004-05-06"))), id3v1("", "", "", "1999")).year,
              "");
}

TEST_F(Walk, PaddingIsWalkedAndId3v1FillsTheGaps) {
    const values v = file(tag(3, std::string(300, '\0')), id3v1("T", "A", "Al", "2000", "", 4, 17));
    EXPECT_EQ(all(v), "A|T|Al|2000|4|(17)|");
    EXPECT_TRUE(id3v2::hasid3v2);
    EXPECT_EQ(id3v2::tagsize, 300);
    EXPECT_TRUE(id3v2::keptframes.empty());
}

TEST_F(Walk, PaddingIsWalkedTenBytesAtATime) {
    // Zero bytes are empty frames: a frame 20 bytes behind them is found, one
    // 15 bytes behind is read from the middle of its header and lost.
    EXPECT_EQ(file(tag(3, std::string(20, '\0') + frame23("TIT2", text0("Found")))).title, "Found");
    EXPECT_EQ(file(tag(3, std::string(15, '\0') + frame23("TIT2", text0("Lost")))).title, "");
    EXPECT_EQ(file(tag(2, std::string(12, '\0') + frame22("TT2", text0("Found")))).title, "Found");
    EXPECT_EQ(file(tag(2, std::string(8, '\0') + frame22("TT2", text0("Lost")))).title, "");
}

TEST_F(Walk, SizeWithTopBitIsZeroInVersion23) {
    // The TCOM frame claims 2 GB; it is taken as empty and the TIT2 right
    // behind its header is read.
    const std::string body = "TCOM\x80\x00\x00\x05\0\0"s + frame23("TIT2", text0("After"));
    EXPECT_EQ(file(tag(3, body)).title, "After");
    EXPECT_EQ(id3v2::keptframes, kept("TCOM", ""));
}

TEST_F(Walk, FramePastTheEndIsTheLast) {
    const std::string good = frame23("TRCK", text0("3")) + frame23("COMM", "\0engx\0y"s);
    const std::string bad = "TRCK\0\0\0\x50\0\0"s + text0("9");
    values v = file(tag(3, good + bad), id3v1("", "", "", "", "", 8));
    EXPECT_EQ(v.trno, "8"); // cleared by the broken frame, then filled from ID3v1
    EXPECT_EQ(id3v2::keptframes, kept("COMM", "\0engx\0y"s));
    v = file(tag(3, good + "COMM\0\0\0\x50\0\0"s + "\0eng"s));
    EXPECT_EQ(v.trno, "3");
    EXPECT_EQ(id3v2::keptframes, kept("COMM", "\0engx\0y"s)); // the broken COMM is not carried
}

TEST_F(Walk, Version24SizesAreSyncsafe) {
    const std::string title(200, 'x');
    const values v = file(tag(4, frame24("TIT2", text0(title)) + frame24("TPE1", text3("Кино"))));
    EXPECT_EQ(v.title, title);
    EXPECT_EQ(v.artist, "Кино");
    EXPECT_TRUE(id3v2::isv24);
}

TEST_F(Walk, Version24PlainSizesOfOldItunes) {
    // Frame sizes written as plain numbers: the syncsafe reading of 301
    // (01 2D) is 173, which lands inside the title; the plain one on the next frame.
    const std::string title(300, 'x');
    const std::string body = frame23("TIT2", text0(title)) + frame23("TPE1", text0("Artist")) +
                             frame23("COMM", "\0eng\0"s + std::string(300, 'c'));
    const values v = file(tag(4, body + std::string(64, '\0')));
    EXPECT_EQ(v.title, title);
    EXPECT_EQ(v.artist, "Artist");
    EXPECT_EQ(id3v2::keptframes, kept("COMM", "\0eng\0"s + std::string(300, 'c')));
}

TEST_F(Walk, ExtendedHeaders) {
    // ID3v2.3: the size leaves out its own four bytes, so size 6 puts the
    // frames at 20.
    std::string ext = be32(6) + std::string(6, '\0');
    EXPECT_EQ(file(tag(3, ext + frame23("TIT2", text0("Three")), 0x40)).title, "Three");
    // ID3v2.4: the syncsafe size counts them.
    ext = syncsafe(12) + "\x01\x20\x05\x1F\x7F\x7F\x7F"s + "\x7F";
    EXPECT_EQ(file(tag(4, ext + frame24("TIT2", text0("Four")), 0x40)).title, "Four");
    // The flag without an extended header: the frame right after the header counts.
    EXPECT_EQ(file(tag(4, frame24("TIT2", text0("Bogus")), 0x40)).title, "Bogus");
    // An extended header claiming more than the tag: nothing to walk.
    EXPECT_EQ(file(tag(3, be32(0x7FFFFFF0) + frame23("TIT2", text0("x")), 0x40)).title, "");
    EXPECT_EQ(file(tag(3, "\0\0"s, 0x40)).title, "");
}

TEST_F(Walk, WholeTagUnsynchronisationInVersion23) {
    // FF E0 (windows-1251 "яа") must be stuffed; the frame sizes are those
    // before stuffing.
    const std::string body =
        frame23("TIT2", text0("\xFF\xE0\xFF")) + frame23("TPE1", text0("Artist"));
    const std::string stuffed = unsyncencode(body);
    ASSERT_NE(stuffed, body);
    const values v = file(tag(3, stuffed, 0x80));
    EXPECT_EQ(v.title, "яая");
    EXPECT_EQ(v.artist, "Artist");
    EXPECT_EQ(id3v2::tagsize, static_cast<std::int32_t>(stuffed.size())); // the declared size
}

TEST_F(Walk, Version24IgnoresTheTagFlagButHonoursTheFrameFlag) {
    // The header flag alone changes nothing: FF 00 E0 is read as it stands.
    EXPECT_EQ(file(tag(4, frame24("TIT2", text0("\xFF\x00\xE0"s)), 0x80)).title, "я");
    // A frame's own flag 0x02 is undone, also for text.
    const std::string hi = unsyncencode(text1(u"Hi"));
    EXPECT_EQ(file(tag(4, frame24("TIT2", hi, 0x02))).title, "Hi");
}

TEST_F(Walk, FormatFlagPrefixesAreNotText) {
    // Data length indicator (4 bytes) and grouping identity (1 byte) stand
    // before the text.
    values v = file(tag(4, frame24("TIT2", syncsafe(6) + text0("Title"), 0x01) +
                               frame24("TPE1", "\x80"s + text0("Artist"), 0x40) +
                               frame24("TALB", "\x81"s + syncsafe(6) + text0("Album"), 0x41)));
    EXPECT_EQ(v.title, "Title");
    EXPECT_EQ(v.artist, "Artist");
    EXPECT_EQ(v.album, "Album");
    // ID3v2.3 grouping identity.
    EXPECT_EQ(file(tag(3, frame23("TIT2", "\x80"s + text0("Grouped"), 0x20))).title, "Grouped");
    // Too short for the prefix it announces: not read, not carried.
    v = file(tag(4, frame24("TRCK", text0("2")) + frame24("TRCK", "\x01"s, 0x01) +
                        frame24("TENC", "\x01"s, 0x01)));
    EXPECT_EQ(v.trno, "2");
    EXPECT_TRUE(id3v2::keptframes.empty());
}

TEST_F(Walk, CompressedOrEncryptedFramesAreSkipped) {
    const std::string v1 = id3v1("V1", "", "", "");
    values v = file(tag(4, frame24("TIT2", syncsafe(9) + "\x78\x9C garbage"s, 0x09) +
                               frame24("COMM", "\x05zzzz"s, 0x04) +
                               frame24("APIC", syncsafe(40) + "\x78\x9C..."s, 0x09)),
                    v1, true);
    EXPECT_EQ(v.title, "V1");
    EXPECT_TRUE(v.haspicture);
    EXPECT_FALSE(id3v2::picdata);
    EXPECT_TRUE(id3v2::keptframes.empty());
    v = file(
        tag(3, frame23("TIT2", be32(5) + "\x78\x9Czz"s, 0x80) + frame23("COMM", "\x01zz"s, 0x40)),
        v1);
    EXPECT_EQ(v.title, "V1");
    EXPECT_TRUE(id3v2::keptframes.empty());
}

TEST_F(Walk, CarriedFramesInTheirStoredForm) {
    const std::vector<std::string> ids = {"COMM", "TEXT", "MCDI", "USLT", "SYLT", "GEOB", "WOAR",
                                          "WOAF", "PCNT", "POPM", "RBUF", "LINK", "AENC", "TOPE",
                                          "WXXX", "TCOM", "TENC", "TLAN", "TPOS"};
    std::string body, expected;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const std::string data =
            "\x01\xFF\xFE"s + std::string(i + 1, static_cast<char>('a' + i)) + '\0';
        // Status flags are not carried.
        body += frame23("TXXX", text0("skip")) + ids[i] + be32(data.size()) + "\x40\x00"s + data;
        expected += kept(ids[i], data);
    }
    body += frame23("TIT2", text0("t")) + frame23("PRIV", "owner\0x"s) + frame23("comm", "\0"s);
    file(tag(3, body));
    EXPECT_EQ(id3v2::keptframes, expected);
    // ID3v2.4 sizes come out big-endian.
    const std::string big(300, 'q');
    file(tag(4, frame24("COMM", "\0eng\0"s + big)));
    EXPECT_EQ(id3v2::keptframes, kept("COMM", "\0eng\0"s + big));
    // A frame's own unsynchronisation and prefixes are undone for carrying.
    const std::string comm = "\0eng\0\xFF\xE1\xFF"s;
    file(tag(4, frame24("COMM", syncsafe(comm.size()) + unsyncencode(comm), 0x03)));
    EXPECT_EQ(id3v2::keptframes, kept("COMM", comm));
}

TEST_F(Walk, VersionsAndHeaders) {
    for (int version : {0, 1, 3, 5, 255}) {
        EXPECT_EQ(file(tag(version, frame23("TIT2", text0("v")))).title, "v") << version;
        EXPECT_TRUE(id3v2::hasid3v2);
        EXPECT_FALSE(id3v2::isv24);
    }
    EXPECT_EQ(file("ID3"s + std::string(7, '\0') + frame23("TIT2", text0("x"))).title, "");
    EXPECT_TRUE(id3v2::hasid3v2);
    EXPECT_EQ(id3v2::tagsize, 0);
    EXPECT_EQ(file("id3\x03\0\0\0\0\0\x20"s + frame23("TIT2", text0("x"))).title, "");
    EXPECT_FALSE(id3v2::hasid3v2);
}
