// Reading: the rules as one table of hand-built files per tag version (each
// file's summary: the values, the frames carried for a rewrite, the picture
// kept); then hostile files: headers that claim far more than the file holds,
// files too short or none, and the test files of other tag libraries' suites,
// many broken on purpose, read in both modes and rewritten.
#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <sstream>

#include "mp3fixture.h"
#include "tagfile.h"

using namespace tagfile;

namespace {

// A file of a tag over `body`, some audio and an ID3v1 block.
std::string mp3(int version, const std::string& body, const std::string& v1 = "", int flags = 0) {
    return tag(version, body, flags) + audio() + v1;
}
// A text frame of single bytes.
std::string T(const std::string& id, const std::string& text, int v = 3) {
    return v == 2 ? f22(id, '\0' + text) : v == 4 ? f24(id, '\0' + text) : f23(id, '\0' + text);
}
void check(const std::vector<std::pair<std::string, std::string>>& cases, bool keepall = true) {
    testutil::tempdir dir;
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(summary(put(dir, "t.mp3", cases[i].first), keepall), cases[i].second) << i;
}

// Picture bytes with the runs that unsynchronisation stuffs.
const std::string jpeg = "\xFF\xD8\xFF\xE0\0\x10JFIF\xFF\xFF\0\xFF\xFF\xFF\xE1\x01\xFF\xD9"s;
const std::string png = "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s;
const std::string v1 = id3v1("V1 title", "V1 artist", "", "1999", "", 8);

} // namespace

TEST(Read, Version23) {
    std::vector<std::pair<std::string, std::string>> cases = {
        // The first frame wins for names, the last for numbers (the first
        // character decides); blanks are no artist, but a title.
        {mp3(3, T("TIT2", "One") + T("TIT2", "Two") + T("TPE1", " ") + T("TPE2", "Band ") +
                    T("TPE1", "Later") + f23("TALB", t1(u"Альбом ")) + T("TRCK", " 5 ") +
                    T("TCON", "Rock") + T("TCON", "(17)") + T("TCMP", "1")),
         "Band|One|Альбом|| 5|(17)|1 [] :0"},
        {mp3(3,
             T("TRCK", "5") + f23("TRCK", t1(u"№3")) + f23("TCON", t1(u"ёлки")) + T("TCMP", "x")),
         "|||||| [] :0"},
        {mp3(3, T("TIT2", "  ") + T("TIT2", "Real") + f23("TCON", t1(u"поп")), v1),
         "V1 artist|||1999|8|поп| [] :0"},
        // Years: four characters of TYER; a blank one is none; no number is emptied.
        {mp3(3, T("TYER", "19999")), "|||1999||| [] :0"},
        {mp3(3, T("TYER", "  ") + T("TDRC", "2004")), "|||2004||| [] :0"},
        {mp3(3, T("TYER", "abcd"), v1), "V1 artist|V1 title|||8|| [] :0"},
        // Padding is empty frames, walked ten bytes at a time.
        {mp3(3, std::string(20, '\0') + T("TIT2", "Found")), "|Found||||| [] :0"},
        {mp3(3, std::string(15, '\0') + T("TIT2", "Lost")), "|||||| [] :0"},
        // A size with the top bit set is zero; a frame past the end is the
        // last, its field emptied and itself not carried.
        {mp3(3, "TCOM\x80\0\0\x05\0\0"s + T("TIT2", "After")), "|After||||| [TCOM:0 ] :0"},
        {mp3(3, T("TRCK", "3") + f23("COMM", "\0engx\0y"s) + "TRCK\0\0\0\x50\0\0\0COMM"s, v1),
         "V1 artist|V1 title||1999|8|| [COMM:7 ] :0"},
        // An extended header's size leaves out its own four bytes.
        {mp3(3, num(6, 4) + std::string(6, '\0') + T("TIT2", "Three"), "", 0x40),
         "|Three||||| [] :0"},
        // Whole-tag unsynchronisation, pictures included.
        {mp3(3,
             unsync(T("TIT2", "\xFF\xE0\xFF") + f23("APIC", apic("jpg", jpeg)) +
                    f23("APIC", apic("x", png))),
             "", 0x80),
         "|яая||||||P [APIC:21 ] image/jpeg:20"},
        // Compressed and encrypted frames are skipped, grouped ones read.
        {mp3(3,
             f23("TIT2", num(5, 4) + "\x78\x9Czz", 0x80) + f23("COMM", "\x01zz", 0x40) +
                 f23("TPE1", "\x80\0G"s, 0x20),
             v1),
         "G|V1 title||1999|8|| [] :0"},
        // The first picture kept (a UTF-16 description), the next carried; one
        // without bytes holds none.
        {mp3(3, f23("APIC", apic("PNG", png, "\xFF\xFEh\0\0\x04\0\0"s, 1, 6)) +
                    f23("APIC", apic("x", jpeg))),
         "|||||||P [APIC:25 ] image/png:16"},
        {mp3(3, f23("APIC", "\0image/jpeg"s) + f23("APIC", apic("GIF", png))),
         "|||||||P [] image/gif:16"},
        {mp3(5, T("TIT2", "v")), "|v||||| [] :0"}, // other versions read as 2.3
        // Text data: the encodings, a terminator, controls, the code page.
        {mp3(3, f23("TIT2", "\x01\xFF\xFEx\0y\0\0\0z\0"s)), "|xy||||| [] :0"},
        {mp3(3, f23("TIT2", "\x01\xFE\xFF\0x\0\x09"s)), "|x?||||| [] :0"},
        {mp3(3, f23("TIT2", "\x01x\0y\0"s)), "|xy||||| [] :0"},
        {mp3(3, f23("TIT2", "\0x\ty\0z"s)), "|x?y||||| [] :0"},
        {mp3(3, f23("TIT2", "\0\xCA\xE8\xED\xEE"s)), "|Кино||||| [] :0"},
        {mp3(3, f23("TIT2", "\3Кино"s)), "|Кино||||| [] :0"},
        {mp3(3, f23("TIT2", "\x02\0H"s)), "|||||| [] :0"},
    };
    // Every carried ID travels, without its status flags; others are dropped.
    std::string body, kept, id;
    for (std::istringstream ids("COMM TEXT MCDI USLT SYLT GEOB WOAR WOAF PCNT POPM RBUF LINK AENC "
                                "TOPE WXXX TCOM TENC TLAN TPOS");
         ids >> id; kept += id + ":7 ")
        body += T("TXXX", "x") + f23(id, "\x01\xFF\xFE" + id, 0x4000);
    cases.push_back(
        {mp3(3, body + f23("PRIV", "o\0x"s) + f23("comm", "x")), "|||||| [" + kept + "] :0"});
    check(cases);
    // Without keepall every picture is taken in turn, none held or carried.
    check(
        {{mp3(3, f23("APIC", apic("jpg", jpeg)) + f23("APIC", apic("x", png))), "|||||||P [] x:0"}},
        false);
}

TEST(Read, Version24) {
    const std::string pic = apic("image/jpeg", jpeg), comm = "\0eng\0\xFF\xE1\xFF"s, x(300, 'x');
    check({
        {mp3(4, T("TIT2", x, 4) + f24("TPE1", "\3Кино")), "Кино|" + x + "||||| [] :0"},
        // TDRC; a full date is no year, and the ID3v1 year stays out.
        {mp3(4, T("TDRC", "2004", 4)), "|||2004||| [] :0"},
        {mp3(4, T("TDRC", "2004-05-06", 4), v1), "V1 artist|V1 title|||8|| [] :0"},
        // The tag's unsynchronisation flag is ignored, a frame's own honoured;
        // prefixes for data length and group are skipped.
        {mp3(4, T("TIT2", "\xFF\0\xE0"s, 4), "", 0x80), "|я||||| [] :0"},
        {mp3(4, f24("TIT2", unsync(t1(u"Hi\u00ff")), 2) + f24("TPE1", "\x80\0A"s, 0x40) +
                    f24("TALB", "\x81" + num(3, 4, 7) + "\0Al"s, 0x41) +
                    f24("APIC", num(pic.size(), 4, 7) + unsync(pic), 3) +
                    f24("COMM", num(comm.size(), 4, 7) + unsync(comm), 3)),
         "A|Hi\u00ff|Al|||||P [COMM:8 ] image/jpeg:20"},
        // Too short for the prefix it announces: neither read nor carried.
        {mp3(4, T("TRCK", "2", 4) + f24("TRCK", "\x01", 1) + f24("TENC", "\x01", 1)),
         "||||2|| [] :0"},
        // Compressed and encrypted frames are skipped.
        {mp3(4, f24("TIT2", num(9, 4, 7) + "\x78\x9C garbage", 9) + f24("COMM", "\x05zz", 4) +
                    f24("APIC", num(40, 4, 7) + "\x78\x9C...", 9)),
         "|||||||P [] :0"},
        // A big-endian picture description ends with 00 00.
        {mp3(4, f24("APIC", apic("image/x", png, "\0A\0\0"s, 2))), "|||||||P [] image/x:16"},
    });
}

TEST(Read, Version22) {
    const std::string pic = "\0JPG\x03\0"s + jpeg;
    check({
        {mp3(2, T("TT2", "Title", 2) + T("TT2", "Other", 2) + f22("TP2", t1(u"Кино")) +
                    T("TP1", "Late", 2) + T("TAL", "Album", 2) + T("TYE", "1987xx", 2) +
                    T("TRK", "3/11", 2) + T("TCO", "(17)", 2) + T("TCP", "1", 2)),
         "Кино|Title|Album|1987|3/11|(17)|1 [] :0"},
        // Values of blanks count as present until the end.
        {mp3(2,
             T("TT2", " ", 2) + T("TT2", "T", 2) + T("TP1", " ", 2) + T("TP1", "A", 2) +
                 T("TYE", "99 ", 2),
             v1),
         "||||8|| [] :0"},
        // The tag size takes 7 bits of each byte: the frame behind the tag is not read.
        {tag(2, T("TT2", "Masked!", 2) + std::string(114, '\0'), 0, "\x80\x80\x81\x00"s) +
             T("TAL", "x", 2),
         "|Masked!||||| [] :0"},
        // Frames carried as version 2.3 frames, a second PIC as an APIC with a MIME terminator.
        {mp3(2, f22("COM", "\0engab\0cde"s) + T("TT1", "g", 2) + f22("ULT", "u") +
                    T("TXT", "lyricist", 2) + f22("WAR", "w") + f22("MCI", "m") + f22("SLT", "s") +
                    f22("GEO", "g") + f22("WAF", "f") + f22("PIC", pic) +
                    f22("PIC", "\x01XYZ\x06\0\0z"s)),
         "|||||||P [COMM:10 USLT:1 TEXT:9 WOAR:1 MCDI:1 SYLT:1 GEOB:1 WOAF:1 APIC:9 ] "
         "image/jpeg:20"},
        {mp3(2, f22("PIC", "\0png\x03\0"s + png)), "|||||||P [] image/png:16"},
        {mp3(2, f22("PIC", "\0JPG"s)), "|||||||P [] image/jpeg:0"},
        {mp3(2, unsync(T("TT2", "\xFF\xE0", 2) + f22("PIC", pic)), "", 0x80),
         "|яа||||||P [] image/jpeg:20"},
        // A frame past the end is the last.
        {mp3(2, T("TRK", "4", 2) + f22("COM", "\0eng\0c"s) + "TRK\0\0\x40\0"s),
         "|||||| [COMM:6 ] :0"},
    });
}

TEST(Read, Id3v1AndTheMerge) {
    check({
        {mp3(3, "",
             id3v1("\xC3\xF0\xF3\xEF\xEF\xE0", "\xCA\xE8\xED\xEE", "Album  ", "1988", "x", 5, 17)),
         "Кино|Группа|Album|1988|5|(17)| [] :0"},
        // Genre bytes 0 and 255 are none; ID3v1.0 has no track and no genre.
        {mp3(3, "", id3v1("", "", "", "", "", 0, 0)), "|||||| [] :0"},
        {mp3(3, "", id3v1("", "", "", "", "", 255, 254)), "||||255|(254)| [] :0"},
        {mp3(3, "", id3v1("T", "", "", "", std::string(30, 'c'), -1, 17)), "|T||||| [] :0"},
        {mp3(3, T("TIT2", "T") + T("TRCK", "2") + T("TCON", "Pop") + T("TYER", "2001"), v1),
         "V1 artist|T||2001|2|Pop| [] :0"},
        // Three characters are no year; leading blanks are allowed.
        {mp3(3, "", id3v1("", "", "", "199")), "|||||| [] :0"},
        {mp3(3, "", id3v1("", "", "", "   3")), "|||   3||| [] :0"},
        // Fields end at a zero, lose trailing blanks, run to 30 bytes.
        {mp3(3, "", id3v1(std::string(28, 'a') + "  ", "abc\0junk"s, std::string(30, 'x'), "2003")),
         "abc|" + std::string(28, 'a') + "|" + std::string(30, 'x') + "|2003||| [] :0"},
        // The block alone is no tag; "tag" in lower case is none.
        {id3v1("T", "A", "", ""), "|||||| [] :0"},
        {"x" + id3v1("T", "A", "", ""), "A|T||||| [] :0"},
        {audio() + "tag" + id3v1("T", "A", "", "").substr(3), "|||||| [] :0"},
    });
}

// Every allocation of this program is watched: the memory a read takes must
// follow what the file holds, not what its header claims. (The replacements
// pair malloc with free, which the compiler cannot see.)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static std::atomic<std::size_t> largest{0};
void* operator new(std::size_t n) {
    if (n > largest) largest = n;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

TEST(Hostile, HeadersClaimingMoreThanTheFileHoldsOrBreakingTheSizeRule) {
    testutil::tempdir dir;
    const std::string v22 = f22("TT2", "\0Kept"s) + "PIC\x7F\xFF\xFF";
    for (const auto& [v, body, size] :
         {std::tuple{2, v22, "\xFF\xFF\xFF\xFF"s},
          {3, f23("TIT2", "\0Kept"s) + "APIC\x7F\xFF\xFF\xFF\0\0\0j\0"s, "\xFF\xFF\xFF\xFF"s},
          {2, v22 + std::string(111, '\0'),
           "\0\0\x81\0"s}}) { // 128 when each byte is cut to 7 bits
        const std::string file = tag(v, body, 0, size) + audio(2000);
        const std::u16string p = put(dir, "big.mp3", file);
        platform::fromansi(std::string_view("warm")); // the code page tables are made once
        largest = 0;
        EXPECT_EQ(read(p), "|Kept||||||P");
        EXPECT_LT(largest.load(), 64u << 10);
        // Where the audio begins is unknown: a rewrite would cut it.
        EXPECT_FALSE(rewrite(p, abc));
        EXPECT_TRUE(testutil::readfile(dir.path() / "big.mp3") == file);
    }
    std::filesystem::create_directory(dir.path() / "folder.mp3");
    for (const std::u16string& p : {dir.u16(u"folder.mp3"), dir.u16(u"missing.mp3"), u""s})
        EXPECT_EQ(summary(p), "|||||| [] :0");
    for (std::size_t n = 0; n <= 10; ++n) // too short for any tag
        EXPECT_EQ(summary(put(dir, "t.mp3", tag(3, f23("TIT2", "\0T"s)).substr(0, n))),
                  "|||||| [] :0");
}

TEST(Hostile, RealFilesReadAndRewritten) {
    const std::filesystem::path real = VORLINDE_REALMP3;
    if (!std::filesystem::is_directory(real)) GTEST_SKIP() << "no " << real;
    testutil::tempdir dir;
    std::vector<std::filesystem::path> written;
    for (const auto& entry : std::filesystem::directory_iterator(real)) {
        if (entry.path().extension() == ".md") continue;
        SCOPED_TRACE(entry.path().filename().string());
        const std::string old = testutil::readfile(entry.path());
        const std::u16string p = put(dir, entry.path().filename().string(), old);
        for (bool keepall : {false, true}) EXPECT_EQ(brokenstate(p, keepall, old.size()), "");
        const std::size_t skip = id3v2::hasid3v2 ? 10 + std::size_t(id3v2::tagsize) : 0;
        if (!rewrite(p, abc)) { // only a tag that claims more than the file holds
            EXPECT_GT(skip, old.size());
            EXPECT_TRUE(testutil::readfile(platform::tonative(p)) == old);
            continue;
        }
        // Every byte behind the old tag, but for an ID3v1 block overwritten in place.
        const std::string now = testutil::readfile(platform::tonative(p));
        const std::size_t at = extent(now), rest = old.size() - skip;
        ASSERT_TRUE(now.size() == at + rest || now.size() == at + rest + 128);
        const std::size_t same = now.size() == at + rest && rest >= 128 ? rest - 128 : rest;
        EXPECT_EQ(now.compare(at, same, old, skip, same), 0);
        EXPECT_TRUE(read(p).starts_with("Artist|Title|Album|1999|"));
        written.push_back(platform::tonative(p));
    }
    EXPECT_GT(written.size(), 60u);
    std::size_t back = 0; // mutagen reads each as version 2.3 without padding
    for (const auto& [p, t] : mp3fixture::mutagenread(written)) back += t.major == 3 && !t.padding;
    EXPECT_EQ(back, written.size());
    // A few values our rules call for.
    const std::pair<const char*, const char*> cases[] = {
        {"taglib__extended-header.mp3",
         "Excelsis|Druids|Vo Chrieger U Drache|2013|03|Folk/Power Metal| [] :0"},
        {"taglib__005411.id3",
         "Donovan|Sunshine Superman|Sunshine Superman|1966|1|(80)||P [COMM:5 ] image/jpg:36061"},
        {"taglib__itunes10.mp3", "Artist|iTunes10MP3|Album|2011|1/10|Heavy Metal|1|P [COMM:14 "
                                 "USLT:12 COMM:16 ] image/png:2315"},
    };
    for (const auto& [name, want] : cases)
        EXPECT_EQ(summary(platform::fromnative((real / name).string())), want) << name;
}
