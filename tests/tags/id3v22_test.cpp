// ID3v2.2 tags: 3-character frames, the 7-bit tag size, PIC and COM.
#include <gtest/gtest.h>

#include "tagbuilder.h"

using namespace tagbuild;
using namespace std::string_literals;

namespace {

class V22 : public ::testing::Test {
protected:
    testutil::tempdir dir;
    values file(const std::string& tagbytes, const std::string& v1 = "", bool keepall = true) {
        return read(put(dir, "v22.mp3", tagbytes + audio() + v1), keepall);
    }
    const std::string jpeg = "\xFF\xD8\xFF\xE0\x00\x10JFIF\xFF\xD9"s;
};

} // namespace

TEST_F(V22, Values) {
    const values v =
        file(tag(2, frame22("TT2", text0("Title")) + frame22("TT2", text0("Other")) +
                        frame22("TP2", text1(u"Кино")) + frame22("TP1", text0("Late")) +
                        frame22("TAL", text0("Album")) + frame22("TYE", text0("1987xx")) +
                        frame22("TRK", text0("3/11")) + frame22("TCO", text0("(17)")) +
                        frame22("TCP", text0("1"))));
    EXPECT_EQ(all(v), "Кино|Title|Album|1987|3/11|(17)|1");
    EXPECT_TRUE(id3v2::hasid3v2);
    EXPECT_FALSE(id3v2::isv24);
}

TEST_F(V22, ValuesOfBlanksCountAsPresentUntilTheEnd) {
    const values v = file(tag(2, frame22("TT2", text0("  ")) + frame22("TT2", text0("Real")) +
                                     frame22("TP1", text0(" ")) + frame22("TP1", text0("Band"))),
                          id3v1("V1 title", "V1 artist", "V1 album", "2000"));
    EXPECT_EQ(v.title, "");
    EXPECT_EQ(v.artist, ""); // unlike ID3v2.3, where the later frame would win
    EXPECT_EQ(v.album, "V1 album");
    EXPECT_EQ(v.year, "2000");
    // An untrimmed year with blanks is no number.
    EXPECT_EQ(file(tag(2, frame22("TYE", text0("99  ")))).year, "");
}

TEST_F(V22, SevenBitTagSize) {
    // Size bytes 80 80 81 00 mean 128 when each is masked to 7 bits.
    const std::string body = frame22("TT2", text0("Masked")) + std::string(128 - 13, '\0');
    ASSERT_EQ(body.size(), 128u);
    file(tagraw(2, "\x80\x80\x81\x00"s, body));
    EXPECT_EQ(id3v2::tagsize, 128);
    EXPECT_EQ(read(put(dir, "m.mp3", tagraw(2, "\x80\x80\x81\x00"s, body) + audio())).title,
              "Masked");
}

TEST_F(V22, CarriedFramesBecomeVersion23Frames) {
    const std::string com = "\0engab\0cde"s; // 10 bytes
    ASSERT_EQ(com.size(), 10u);
    file(tag(2, frame22("COM", com) + frame22("TT1", text0("group")) +
                    frame22("TCM", text0("comp")) + frame22("ULT", "\0eng\0la"s) +
                    frame22("TXT", text0("lyricist")) + frame22("WAR", "http://a") +
                    frame22("MCI", "\1\2") + frame22("SLT", "s") + frame22("GEO", "g") +
                    frame22("WAF", "w") + frame22("TEN", text0("enc"))));
    EXPECT_EQ(id3v2::keptframes, "COMM\0\0\0\x0A\0\0"s + com + kept("USLT", "\0eng\0la"s) +
                                     kept("TEXT", text0("lyricist")) + kept("WOAR", "http://a") +
                                     kept("MCDI", "\1\2") + kept("SYLT", "s") + kept("GEOB", "g") +
                                     kept("WOAF", "w"));
}

TEST_F(V22, Pictures) {
    const std::string pic1 = "\0JPG\x03\0"s + jpeg;
    const std::string pic2 = "\x01XYZ\x06\xFF\xFEh\0\0\0"s + "second";
    values v = file(tag(2, frame22("PIC", pic1) + frame22("PIC", pic2)));
    EXPECT_TRUE(v.haspicture);
    ASSERT_TRUE(id3v2::picdata);
    EXPECT_EQ(*id3v2::picdata, jpeg);
    EXPECT_EQ(id3v2::picmime, "image/jpeg");
    // The second is carried as APIC: a zero after the format makes it a MIME field.
    EXPECT_EQ(id3v2::keptframes, kept("APIC", "\x01XYZ\0\x06\xFF\xFEh\0\0\0second"s));
    EXPECT_EQ(id3v2::keptframes.substr(4, 4), be32(pic2.size() + 1));

    // An unknown format gives no MIME type, yet the bytes are taken.
    file(tag(2, frame22("PIC", "\0XYZ\x03\0"s + jpeg)));
    EXPECT_EQ(id3v2::picmime, "");
    EXPECT_EQ(*id3v2::picdata, jpeg);
    file(tag(2, frame22("PIC", "\0png\x03\0"s + jpeg)));
    EXPECT_EQ(id3v2::picmime, "image/png");

    // Without keepall nothing is held and nothing carried.
    v = file(tag(2, frame22("PIC", pic1) + frame22("PIC", pic2)), "", false);
    EXPECT_TRUE(v.haspicture);
    EXPECT_FALSE(id3v2::picdata);
    EXPECT_TRUE(id3v2::keptframes.empty());

    // Short and broken PIC frames.
    for (const std::string& data : {""s, "\0J"s, "\0JPG"s, "\0JPG\x03"s, "\x01JPG\x03\xFF\xFEh"s}) {
        v = file(tag(2, frame22("PIC", data)));
        EXPECT_TRUE(v.haspicture);
        EXPECT_FALSE(id3v2::picdata);
    }
}

TEST_F(V22, UnsynchronisedTagAndFramesPastTheEnd) {
    const std::string body =
        frame22("TT2", text0("\xFF\xE0")) + frame22("PIC", "\0JPG\x03\0"s + jpeg);
    values v = file(tag(2, unsyncencode(body), 0x80));
    EXPECT_EQ(v.title, "яа");
    EXPECT_EQ(*id3v2::picdata, jpeg);

    v = file(
        tag(2, frame22("TRK", text0("4")) + frame22("COM", "\0eng\0c"s) + "TRK\0\0\x40"s + "\0"s),
        id3v1("", "", "", ""));
    EXPECT_EQ(v.trno, "");
    EXPECT_EQ(id3v2::keptframes, kept("COMM", "\0eng\0c"s));
    v = file(tag(2, frame22("TT2", text0("T")) + "PIC\0\x10\0"s + "\0JPG"s));
    EXPECT_EQ(v.title, "T");
    EXPECT_TRUE(v.haspicture);
    EXPECT_FALSE(id3v2::picdata);
    EXPECT_TRUE(id3v2::keptframes.empty());
}
