// The ID3v1.1 block writeid3v1 leaves at the end of a file: in place or
// appended, the field rules, the bytes it keeps and the date.
#include <gtest/gtest.h>

#include "writehelp.h"

using namespace writehelp;
using namespace std::string_literals;

namespace {

class Id3v1Write : public ::testing::Test {
protected:
    testutil::tempdir dir;

    // Writes `bytes`, reads its tags (which sets v1tail), writes the ID3v1
    // block and returns the file's bytes.
    std::string write(const std::string& bytes, const std::u16string& title,
                      bool changetrno = false, const std::u16string& trno = u"",
                      bool genrechanged = false, const std::u16string& year = u"1999",
                      bool* result = nullptr) {
        const std::u16string p = put(dir, "a.mp3", bytes);
        read(p);
        const bool ok =
            id3v2::writeid3v1(p, u"Artist", title, u"Album", year, changetrno, trno, genrechanged);
        if (result)
            *result = ok;
        else
            EXPECT_TRUE(ok);
        return testutil::readfile(dir.path() / "a.mp3");
    }
    static std::string last(const std::string& file) { return file.substr(file.size() - 128); }
};

} // namespace

TEST_F(Id3v1Write, ShortFilesAreLeftAlone) {
    for (const std::string& bytes : {""s, audio(128), id3v1("T", "A", "Al", "2000")}) {
        bool ok = false;
        EXPECT_EQ(write(bytes, u"Title", true, u"3", true, u"1999", &ok), bytes);
        EXPECT_TRUE(ok);
    }
}

TEST_F(Id3v1Write, OverwritesInPlaceKeepingTheTailOrAppends) {
    const std::string old =
        audio(1000) + id3v1("Old title", "Old", "Old", "1970", "comment", 7, 17);
    std::string now = write(old, u"Title");
    ASSERT_EQ(now.size(), old.size());
    EXPECT_EQ(now.substr(0, 1000), audio(1000));
    EXPECT_EQ(last(now), id3v1("Title", "Artist", "Album", "1999", "comment", 7, 17));
    // None before: appended.
    now = write(audio(1000), u"Title");
    ASSERT_EQ(now.size(), 1000u + 128);
    EXPECT_EQ(now.substr(0, 1000), audio(1000));
    EXPECT_EQ(last(now), id3v1("Title", "Artist", "Album", "1999", "", 0, 255));
    now = write(audio(1000), u"Title", true, u"12", true);
    EXPECT_EQ(last(now), id3v1("Title", "Artist", "Album", "1999", "", 12, 255));
}

TEST_F(Id3v1Write, TextFields) {
    // The ANSI code page, cut to 30 bytes; empty fields are zeros; the year is
    // the low bytes of its first four characters.
    const std::u16string longtitle = u"Звезда по имени Солнце, и ещё немного";
    std::string now = write(audio(500), longtitle, false, u"", false, u"2\u01310\u0439X");
    std::string b = last(now);
    EXPECT_EQ(b.substr(3, 30), cp1251("Звезда по имени Солнце, и ещё немного").substr(0, 30));
    EXPECT_EQ(b.substr(93, 4), "2\x31"
                               "0\x39"s);
    now = write(audio(500), u"", false, u"", false, u"");
    b = last(now);
    EXPECT_EQ(b.substr(3, 30), std::string(30, '\0'));
    EXPECT_EQ(b.substr(93, 4), std::string(4, '\0'));
    EXPECT_EQ(b.substr(33, 30), "Artist" + std::string(24, '\0'));
}

TEST_F(Id3v1Write, TrackByte) {
    const std::string old = audio(500) + id3v1("T", "A", "Al", "2000", "c", 4, 17);
    const std::pair<std::u16string, int> cases[] = {{u"300", 44}, {u"-1", 255}, {u" 7", 7},
                                                    {u"3/12", 4}, {u"", 4},     {u"x", 4}};
    for (const auto& [trno, byte] : cases) {
        SCOPED_TRACE(testutil::u8(trno));
        EXPECT_EQ(static_cast<unsigned char>(last(write(old, u"T", true, trno))[126]), byte);
    }
    // Without changetrno the number is not looked at.
    EXPECT_EQ(last(write(old, u"T", false, u"9"))[126], 4);
}

TEST_F(Id3v1Write, FullCommentOfVersion10KeepsItsMarker) {
    const std::string comment(30, 'c');
    const std::string old = audio(500) + id3v1("T", "A", "Al", "2000", comment);
    const std::string b = last(write(old, u"T", true, u"5"));
    EXPECT_EQ(b[125], 'c');
    EXPECT_EQ(b[126], 5);
    // So the track byte is not read back as a track number.
    testutil::writefile(dir.path() / "b.mp3", audio(500) + b);
    EXPECT_EQ(read(dir.u16(u"b.mp3")).trno, "");
}

TEST_F(Id3v1Write, GenreByte) {
    const std::string withtail = audio(500) + id3v1("T", "A", "Al", "2000", "c", 4, 17);
    EXPECT_EQ(last(write(withtail, u"T", false, u"", true))[127], 0);
    EXPECT_EQ(last(write(withtail, u"T", false, u"", false))[127], 17);
    for (bool changed : {false, true})
        EXPECT_EQ(last(write(audio(500), u"T", false, u"", changed))[127], '\xFF');
}

TEST_F(Id3v1Write, WithoutATailTheOldBlockKeepsItsBytes) {
    // A block readtags did not see (v1tail empty) keeps comment, marker and
    // track; its genre becomes 255.
    const std::string old = audio(500) + id3v1("T", "A", "Al", "2000", "comment", 4, 17);
    const std::u16string p = put(dir, "a.mp3", old);
    id3v2::v1tail.clear();
    ASSERT_TRUE(id3v2::writeid3v1(p, u"Artist", u"Title", u"Album", u"1999", false, u"", true));
    EXPECT_EQ(last(testutil::readfile(dir.path() / "a.mp3")),
              id3v1("Title", "Artist", "Album", "1999", "comment", 4, 255));
}

TEST_F(Id3v1Write, KeepsTheDateAndFailsOnAMissingFile) {
    const std::u16string p = put(dir, "a.mp3", audio(1000));
    const platform::filetime t{1500000000, 1};
    ASSERT_TRUE(platform::setfiletime(p, t));
    ASSERT_TRUE(id3v2::writeid3v1(p, u"A", u"T", u"Al", u"2000", true, u"1", false));
    EXPECT_EQ(mtime(p), t);
    EXPECT_FALSE(
        id3v2::writeid3v1(dir.u16(u"missing.mp3"), u"A", u"T", u"Al", u"2000", true, u"1", false));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing.mp3"));
}
