// Picture frames: which one becomes the picture, its MIME type and bytes, and
// which are carried.
#include <gtest/gtest.h>

#include "tagbuilder.h"

using namespace tagbuild;
using namespace std::string_literals;

namespace {

class Pictures : public ::testing::Test {
protected:
    testutil::tempdir dir;
    values file(const std::string& tagbytes, bool keepall = true) {
        return read(put(dir, "p.mp3", tagbytes + audio()), keepall);
    }
    // Picture-like bytes with the values unsynchronisation cares about.
    const std::string jpeg = "\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\xFF\xFF\x00\xFF\xD9"s;
    const std::string png = "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s;
};

} // namespace

TEST_F(Pictures, FirstIsKeptSecondIsCarried) {
    const std::string second = apic("image/png", png, "\0"s, 0, 6);
    const values v =
        file(tag(3, frame23("APIC", apic("image/jpeg", jpeg)) + frame23("APIC", second)));
    EXPECT_TRUE(v.haspicture);
    ASSERT_TRUE(id3v2::picdata);
    EXPECT_EQ(*id3v2::picdata, jpeg);
    EXPECT_EQ(id3v2::piclen, static_cast<std::int32_t>(jpeg.size()));
    EXPECT_EQ(id3v2::picmime, "image/jpeg");
    EXPECT_EQ(id3v2::keptframes, kept("APIC", second));
}

TEST_F(Pictures, WithoutKeepallNothingIsHeldOrCarried) {
    const values v = file(
        tag(3, frame23("APIC", apic("image/jpeg", jpeg)) + frame23("APIC", apic("image/png", png))),
        false);
    EXPECT_TRUE(v.haspicture);
    EXPECT_FALSE(id3v2::picdata);
    EXPECT_EQ(id3v2::piclen, 0);
    EXPECT_EQ(id3v2::picmime, "image/png"); // every frame was taken in turn
    EXPECT_TRUE(id3v2::keptframes.empty());
}

TEST_F(Pictures, ShortFormsOfMimeTypes) {
    const std::pair<std::string, std::string> cases[] = {
        {"jpg", "image/jpeg"}, {"JPG", "image/jpeg"},
        {"Png", "image/png"},  {"gif", "image/gif"},
        {"BMP", "image/bmp"},  {"image/png", "image/png"},
        {"jpeg", "jpeg"},      {"", ""}};
    for (const auto& [written, mime] : cases) {
        file(tag(3, frame23("APIC", apic(written, jpeg))));
        EXPECT_EQ(id3v2::picmime, mime) << written;
        ASSERT_TRUE(id3v2::picdata);
        EXPECT_EQ(*id3v2::picdata, jpeg);
    }
}

TEST_F(Pictures, DescriptionsEndAtTheirTerminator) {
    // Two UTF-16 characters, then 00 00: the picture starts right after; a
    // zero high byte inside a UTF-16 character does not end it; single-byte
    // text; UTF-16BE (encoding 2) ends with 00 00 as well.
    const std::tuple<int, std::string, char, const std::string&> cases[] = {
        {3, "\xFF\xFEh\0i\0\0\0"s, 1, jpeg},
        {3, "\x00\x04\0\0"s, 1, png},
        {3, "Cover\0"s, 0, jpeg},
        {4, "\0A\0\0"s, 2, jpeg},
        {4, "\0\0"s, 2, png}};
    for (const auto& [version, description, encoding, picture] : cases) {
        const std::string data = apic("image/x", picture, description, encoding);
        file(tag(version, version == 3 ? frame23("APIC", data) : frame24("APIC", data)));
        ASSERT_TRUE(id3v2::picdata) << version << " " << int(encoding);
        EXPECT_EQ(*id3v2::picdata, picture) << version << " " << int(encoding);
    }
}

TEST_F(Pictures, NoBytesLeftMeansNoPicture) {
    // No MIME terminator: nothing remains; the frame is taken but holds
    // nothing, so the next one is read as the first.
    file(tag(3, frame23("APIC", "\0image/jpeg"s) + frame23("APIC", apic("image/png", png))));
    ASSERT_TRUE(id3v2::picdata);
    EXPECT_EQ(*id3v2::picdata, png);
    EXPECT_EQ(id3v2::picmime, "image/png");
    EXPECT_TRUE(id3v2::keptframes.empty());
    // A description that runs to the end of the frame.
    values v = file(tag(3, frame23("APIC", "\x01image/jpeg\0\x03\xFF\xFEh\0i"s)));
    EXPECT_TRUE(v.haspicture);
    EXPECT_FALSE(id3v2::picdata);
    EXPECT_EQ(id3v2::picmime, "image/jpeg");
    for (const std::string& data : {""s, "\0"s, "\x01"s, "\0image/png\0"s, "\0image/png\0\x03"s}) {
        v = file(tag(3, frame23("APIC", data)));
        EXPECT_TRUE(v.haspicture);
        EXPECT_FALSE(id3v2::picdata);
    }
}

TEST_F(Pictures, PictureRunningPastTheTagIsDropped) {
    const std::string body =
        frame23("TIT2", text0("T")) + "APIC"s + be32(5000) + "\0\0"s + apic("image/jpeg", jpeg);
    const values v = file(tag(3, body));
    EXPECT_EQ(v.title, "T");
    EXPECT_TRUE(v.haspicture);
    EXPECT_FALSE(id3v2::picdata);
    EXPECT_TRUE(id3v2::keptframes.empty());
}

TEST_F(Pictures, Version24FormatFlags) {
    const std::string data = apic("image/jpeg", jpeg);
    // 0x01: four length bytes before the data, not part of the MIME type.
    file(tag(4, frame24("APIC", syncsafe(data.size()) + data, 0x01)));
    EXPECT_EQ(id3v2::picmime, "image/jpeg");
    EXPECT_EQ(*id3v2::picdata, jpeg);
    // 0x03: also unsynchronised; the picture is the bytes before stuffing.
    const std::string stuffed = unsyncencode(data);
    ASSERT_NE(stuffed, data);
    file(tag(4, frame24("APIC", syncsafe(data.size()) + stuffed, 0x03)));
    EXPECT_EQ(*id3v2::picdata, jpeg);
    // 0x40: one grouping byte.
    file(tag(4, frame24("APIC", "\x90"s + data, 0x40)));
    EXPECT_EQ(id3v2::picmime, "image/jpeg");
    EXPECT_EQ(*id3v2::picdata, jpeg);
    // 0x02 alone.
    file(tag(4, frame24("APIC", stuffed, 0x02)));
    EXPECT_EQ(*id3v2::picdata, jpeg);
    // ID3v2.3 tags do not stuff per frame: the same bytes stay as written.
    file(tag(3, frame23("APIC", stuffed)));
    EXPECT_EQ(*id3v2::picdata, unsyncencode(jpeg));
}

TEST_F(Pictures, WholeTagUnsynchronisationReachesThePicture) {
    const std::string body =
        frame23("APIC", apic("image/jpeg", jpeg)) + frame23("APIC", apic("image/png", jpeg + png));
    file(tag(3, unsyncencode(body), 0x80));
    EXPECT_EQ(*id3v2::picdata, jpeg);
    EXPECT_EQ(id3v2::keptframes, kept("APIC", apic("image/png", jpeg + png)));
}

TEST_F(Pictures, StateIsResetByTheNextFile) {
    file(tag(3, frame23("APIC", apic("image/jpeg", jpeg)) + frame23("COMM", "\0eng\0c"s)), true);
    ASSERT_TRUE(id3v2::picdata);
    values v = read(put(dir, "plain.mp3", audio()), true);
    EXPECT_FALSE(v.haspicture);
    EXPECT_FALSE(id3v2::picdata);
    EXPECT_EQ(id3v2::piclen, 0);
    EXPECT_EQ(id3v2::picmime, "");
    EXPECT_TRUE(id3v2::keptframes.empty());
    EXPECT_FALSE(id3v2::hasid3v2);
    EXPECT_EQ(id3v2::tagsize, 0);
}
