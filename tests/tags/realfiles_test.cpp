// The test files of other tag libraries' suites, many of them hostile: every
// one is read in both modes (under the sanitizers in that build), and a good
// selection gives the values our rules call for.
#include <filesystem>
#include <gtest/gtest.h>

#include "tagbuilder.h"

using namespace tagbuild;

namespace {

const std::filesystem::path realdir = VORLINDE_REALMP3;

values real(const std::string& name, bool keepall = true) {
    return read(platform::fromnative((realdir / name).string()), keepall);
}

// The IDs in keptframes, which must be whole frames in the stored form.
std::string keptids() {
    const std::string& k = id3v2::keptframes;
    std::string ids;
    std::size_t pos = 0;
    while (pos + 10 <= k.size()) {
        const std::size_t size =
            id3v2::be2int(reinterpret_cast<const unsigned char*>(k.data()) + pos + 4);
        if (k[pos + 8] != 0 || k[pos + 9] != 0) return "bad flags";
        ids += (ids.empty() ? "" : " ") + k.substr(pos, 4);
        pos += 10 + size;
    }
    return pos == k.size() ? ids : "bad sizes";
}

class Real : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::is_directory(realdir)) GTEST_SKIP() << "no " << realdir;
    }
};

} // namespace

TEST_F(Real, EveryFileReadsSafelyInBothModes) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(realdir)) {
        if (entry.path().extension() == ".md") continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++files;
        for (bool keepall : {false, true}) {
            const values v = real(entry.path().filename().string(), keepall);
            EXPECT_EQ(id3v2::piclen,
                      id3v2::picdata ? static_cast<std::int32_t>(id3v2::picdata->size()) : 0);
            EXPECT_TRUE(keepall || !id3v2::picdata);
            EXPECT_TRUE(!id3v2::picdata || v.haspicture);
            EXPECT_NE(keptids(), "bad sizes");
            EXPECT_NE(keptids(), "bad flags");
            EXPECT_TRUE(id3v2::v1tail.empty() || id3v2::v1tail.size() == 31);
            EXPECT_GE(id3v2::tagsize, 0);
            for (const std::string* s : {&v.artist, &v.title, &v.album, &v.year})
                EXPECT_TRUE(s->empty() || s->back() != ' ');
        }
    }
    EXPECT_GE(files, 70);
}

TEST_F(Real, Id3v1Suite) {
    values v = real("lofty__id3v1_001_basic.mp3");
    EXPECT_EQ(all(v), "Artist|Title|Album|2003||(7)|"); // ID3v1.0: the comment fills byte 125
    EXPECT_EQ(real("lofty__id3v1_002_basic.mp3").trno, "12");
    v = real("lofty__id3v1_003_basic_F.mp3"); // "tag" in lower case
    EXPECT_EQ(v.title + v.year, "");
    EXPECT_TRUE(id3v2::v1tail.empty());
    v = real("lofty__id3v1_005_basic.mp3");
    EXPECT_EQ(v.title, "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaA");
    EXPECT_EQ(v.album, "cccccccccccccccccccccccccccccC");
    EXPECT_EQ(v.trno, "");
    v = real("lofty__id3v1_007_basic_W.mp3");
    EXPECT_EQ(v.title, "12345");
    EXPECT_EQ(v.trno, "");
    EXPECT_EQ(real("lofty__id3v1_008_basic_W.mp3").trno, "1");
    EXPECT_EQ(real("lofty__id3v1_009_basic.mp3").trno, "255");
    EXPECT_EQ(real("lofty__id3v1_010_year.mp3").year, "");
    EXPECT_EQ(real("lofty__id3v1_011_year.mp3").year, "9999");
    EXPECT_EQ(real("lofty__id3v1_012_year_F.mp3").year, "   3");
    EXPECT_EQ(real("lofty__id3v1_013_year_F.mp3").year, "");
    EXPECT_EQ(real("lofty__id3v1_014_year_F.mp3").year, "");
    EXPECT_EQ(real("lofty__id3v1_015_genre.mp3").genre, ""); // byte 0
    EXPECT_EQ(real("lofty__id3v1_163_genre_F.mp3").genre, "(148)");
    EXPECT_EQ(real("lofty__id3v1_270_genre_F.mp3").genre, ""); // byte 255
    // ISO-8859-1 "räksmörgås" through windows-1251.
    EXPECT_EQ(real("lofty__id3v1_271_extra.mp3").title, "rдksmцrgеs");
    v = real("mutagen__silence-44-s-v1.mp3");
    EXPECT_EQ(v.album, "Quod Libet Test Data");
    EXPECT_EQ(v.trno, "2");
    EXPECT_EQ(v.genre, "(50)");
}

TEST_F(Real, Version23Files) {
    values v = real("mutagen__silence-44-s.mp3");
    EXPECT_EQ(v.title, "Silence");
    EXPECT_EQ(v.artist, "piman"); // the first of two TPE1 frames
    EXPECT_EQ(v.year, "2004");
    EXPECT_EQ(v.trno, "02/10");
    EXPECT_EQ(v.genre, "Silence");
    EXPECT_EQ(id3v2::tagsize, 1304);
    v = real("mutagen__id3v23_unsynch.id3"); // whole-tag unsynchronisation
    EXPECT_EQ(v.title, "My babe just cares for me");
    EXPECT_EQ(v.artist, "Nina Simone");
    EXPECT_EQ(v.album, "100% Jazz");
    EXPECT_EQ(v.trno, "03");
    EXPECT_EQ(real("mutagen__vbri.mp3").genre, "(3)Dance");
    // TYER of a Latin-1 byte-order mark: no number, and the ID3v1 year stays out.
    v = real("mutagen__bad-TYER-frame.mp3");
    EXPECT_EQ(v.year, "");
    EXPECT_EQ(v.artist, "From 1.01 To 1.02");
    // A tag that claims more than the 512-byte file.
    v = real("taglib__w000.mp3");
    EXPECT_EQ(v.title, "Knowing You");
    EXPECT_EQ(v.genre, "(3)");
    // Two tags back to back: the first one counts.
    EXPECT_EQ(real("taglib__duplicate_id3v2.mp3").title, "TitleXXXX");
    // A compressed picture cannot be read: there is a picture, none is kept.
    v = real("taglib__compressed_id3_frame_invalid.mp3");
    EXPECT_TRUE(v.haspicture);
    EXPECT_FALSE(id3v2::picdata);
    EXPECT_EQ(keptids(), "WOAR POPM COMM");
}

TEST_F(Real, Version24Files) {
    values v = real("mutagen__id3v24_extended_header.id3");
    EXPECT_EQ(v.title, "One Second of Silence");
    EXPECT_EQ(v.year, "2023");
    EXPECT_EQ(real("taglib__extended-header.mp3").artist, "Excelsis");
    v = real("mutagen__issue_21.id3"); // extended-header flag without the header
    EXPECT_EQ(v.title, "Punk To Funk");
    EXPECT_EQ(v.genre, "Bigbeat");
    EXPECT_EQ(real("taglib__unsynch24.id3").title, "Hi"); // the frame's own unsynchronisation
    v = real("taglib__005411.id3");                       // iTunes: plain frame sizes
    EXPECT_EQ(v.title, "Sunshine Superman");
    EXPECT_EQ(v.year, "1966");
    EXPECT_EQ(v.genre, "(80)");
    ASSERT_TRUE(id3v2::picdata);
    EXPECT_EQ(id3v2::piclen, 36061);
    EXPECT_EQ(id3v2::picdata->substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(id3v2::picmime, "image/jpg");
    v = real("taglib__broken-tenc.id3"); // frames too short for their length prefix
    EXPECT_EQ(v.title, "Take On Me");
    EXPECT_EQ(v.tcmp, "1");
    EXPECT_EQ(keptids(), "COMM");
    v = real("mutagen__id3v1v2-combined.mp3");
    EXPECT_EQ(v.artist, "Anais Mitchell");
    EXPECT_EQ(v.album, "Hymns for the Exiled"); // only in the ID3v1 tag
    EXPECT_EQ(v.trno, "3/11");
    v = real("taglib__compressed_id3_frame.mp3");
    EXPECT_TRUE(v.haspicture);
    EXPECT_FALSE(id3v2::picdata);
    EXPECT_EQ(v.artist, "Moby");
    EXPECT_EQ(real("mutagen__apev2-lyricsv2.mp3").title, "A song");
    EXPECT_EQ(real("taglib__excessive_alloc.mp3").trno, "10/13");
}

TEST_F(Real, Version22Files) {
    values v = real("mutagen__id3v22-test.mp3");
    EXPECT_EQ(v.title, "cosmic american");
    EXPECT_EQ(v.year, "2004");
    EXPECT_EQ(v.trno, "3/11");
    EXPECT_EQ(keptids(), "COMM COMM COMM COMM");
    v = real("taglib__itunes10.mp3");
    EXPECT_EQ(v.title, "iTunes10MP3");
    EXPECT_EQ(v.tcmp, "1");
    EXPECT_EQ(v.genre, "Heavy Metal");
    ASSERT_TRUE(id3v2::picdata);
    EXPECT_EQ(id3v2::piclen, 2315);
    EXPECT_EQ(id3v2::picmime, "image/png");
    EXPECT_EQ(keptids(), "COMM USLT COMM");
    EXPECT_EQ(real("taglib__id3v22-tda.mp3").year, "2010");
}

TEST_F(Real, FilesWithoutALeadingTag) {
    for (const char* name : {"mutagen__emptyfile.mp3", "mutagen__audacious-trailing-id32-apev2.mp3",
                             "mutagen__audacious-trailing-id32-id31.mp3", "taglib__garbage.mp3",
                             "mutagen__no-tags.mp3"}) {
        EXPECT_EQ(all(real(name)).substr(0, 6), "||||||") << name; // tcmp aside
        EXPECT_FALSE(id3v2::hasid3v2) << name;
    }
}
