// Writing: the rewrite byte for byte (the tag it writes in front of the audio
// it copies, how new values merge with the stored ones, the ID3v1.1 block);
// then real MP3 files from lame, tagged by other tools (mid3v2, eyeD3,
// kid3-cli): we read what the tool wrote; what we then rewrite, mutagen reads
// back as we meant it, the frames we carry as the tool wrote them, and the
// audio bytes and the frames ffprobe decodes are unchanged.
#include <gtest/gtest.h>

#include "mp3fixture.h"
#include "progress.h"
#include "tagfile.h"

using namespace tagfile;

namespace {

// Our text frames: UTF-16 with the byte-order mark FF FE, no terminator.
std::string ours(const std::string& id, const std::u16string& s) {
    return f23(id, t1(s));
}
const std::string abcframes = ours("TPE1", u"Artist") + ours("TIT2", u"Title") +
                              ours("TALB", u"Album") + ours("TYER", u"1999");
// The ID3v1 block written for abc, with the tail given (an appended one by default).
std::string v1abc(const std::string& tail = std::string(30, '\0') + '\xFF') {
    return id3v1("Title", "Artist", "Album", "1999").substr(0, 97) + tail;
}
std::string hex(const std::string& bytes) {
    std::string h;
    for (unsigned char c : bytes) h += {"0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]};
    return h;
}
args change(std::u16string genre, std::u16string trno, std::u16string tcmp = u"") {
    return {u"Artist", u"Title", u"Album", u"1999", genre, true, trno, tcmp};
}

} // namespace

TEST(Write, GoldenBytes) {
    const std::string v1 = id3v1("Old", "Old", "Old", "1980", "note", 4, 17), tail = v1.substr(97);
    const std::string a = audio(2000), blocks = audio(2 * 49152), note = f23("COMM", "\0eng\0c"s);
    const std::string stored =
        tag(3, f23("TRCK", "\0007/9"s) + f23("TCON", "\0Rock"s) + f23("TCMP", "\0001"s) + note +
                   f23("TXXX", "\0x"s) + std::string(99, '\0')) +
        a;
    const std::string keep = ours("TRCK", u"7/9") + ours("TCON", u"Rock") + ours("TCMP", u"1");
    const std::string cover = "\xFF\xD8 cover"s, second = f23("APIC", apic("image/png", "P"));
    const std::string pictures =
        tag(3, f23("APIC", apic("jpg", cover, "\xFF\xFEx\0\0\0"s, 1, 6)) + second) + a;
    const std::string v24 = f24("TPOS", "\0031/2"s),
                      footer = "3DI\x04\0\x10"s + num(v24.size(), 4, 7);
    const struct {
        std::string old;
        args a;
        std::string now;
    } cases[] = {
        // No old tag: in front of the whole file; the ID3v1 tag overwritten in
        // place, its track and genre written.
        {a + v1, abc,
         tag(3, abcframes + ours("TRCK", u"4") + ours("TCON", u"(17)")) + a + v1abc(tail)},
        // A declared size of 0: the copy starts at byte 10; audio of whole
        // blocks; all values empty: the bare header.
        {"ID3\x03\0\0\0\0\0\0"s + blocks, abc, tag(3, abcframes) + blocks + v1abc()},
        {tag(3, f23("TIT2", "\0Old"s)) + a, {}, tag(3, "") + a + id3v1("", "", "", "")},
        // Stored genre, track number and flag kept; new ones (the track number
        // through the code page, no number for the ID3v1 tag); empty ones
        // remove theirs, but for the flag.
        {stored, abc, tag(3, abcframes + keep + note) + a + v1abc()},
        {stored, change(u"Pop", u"3\u00e9", u"0"),
         tag(3,
             abcframes + ours("TRCK", u"3?") + ours("TCON", u"Pop") + ours("TCMP", u"0") + note) +
             a + v1abc()},
        {stored,
         {u"", u"T", u"", u"", u"", true, u"", u""},
         tag(3, ours("TIT2", u"T") + ours("TCMP", u"1") + note) + a + id3v1("T", "", "", "")},
        // A new genre clears the genre byte; no track number leaves the byte.
        {a + v1, change(u"Jazz", u""),
         tag(3, abcframes + ours("TCON", u"Jazz")) + a + v1abc(tail.substr(0, 30) + '\0')},
        // Long values whole, cut only in the ID3v1 tag (the year as the low
        // bytes of its first four characters); a track of 300 is byte 44, and
        // a full ID3v1.0 comment keeps its last byte, so no track is read back.
        {a,
         {u"", std::u16string(700, u'Ж'), u"", u"2\u01310\u0439X"},
         tag(3, ours("TIT2", std::u16string(700, u'Ж')) + ours("TYER", u"2\u01310\u0439X")) + a +
             id3v1(std::string(30, '\xC6'), "", "", "2109")},
        {a + id3v1("", "", "", "", std::string(30, 'c')), change(u"-1", u"300"),
         tag(3, abcframes + ours("TRCK", u"300")) + a + v1abc(std::string(29, 'c') + ",\xFF")},
        // The stored picture as a front cover without description, the next carried.
        {pictures, abc,
         tag(3, abcframes + f23("APIC", apic("image/jpeg", cover)) + second) + a + v1abc()},
        // Version 2.2 becomes 2.3; a version 2.4 footer is copied with the audio.
        {tag(2, f22("COM", "\0eng\0c"s) + f22("PIC", "\0JPG\x03\0first"s) +
                    f22("PIC", "\0PNG\x05\0second"s) + f22("TCM", "\0x"s)) +
             a,
         abc,
         tag(3, abcframes + f23("APIC", apic("image/jpeg", "first")) + note +
                    f23("APIC", "\0PNG\0\x05\0second"s)) +
             a + v1abc()},
        {tag(4, v24, 0x10) + footer + a, abc,
         tag(3, abcframes + f23("TPOS", "\0031/2"s)) + footer + a + v1abc()},
        // Tag text as it is, but no lone surrogate written (as a broken tagger
        // leaves one, even where a name's lost byte would stand): U+FFFD, "?".
        {a,
         {u"\xD800", u"Привет\xDCFF x\U0001F3B5", u"", u""},
         tag(3, ours("TPE1", u"\uFFFD") + ours("TIT2", u"Привет\uFFFD x\U0001F3B5")) + a +
             id3v1("\xCF\xF0\xE8\xE2\xE5\xF2? x?", "?", "", "")},
        // A tag filling the whole file: too short for an ID3v1 tag.
        {tag(3, f23("TIT2", "\0T"s)), abc, tag(3, abcframes)},
    };
    testutil::tempdir dir;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        ASSERT_TRUE(rewrite(put(dir, "a.mp3", cases[i].old), cases[i].a)) << i;
        EXPECT_TRUE(testutil::readfile(dir.path() / "a.mp3") == cases[i].now) << i;
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "a.mp3$delme.$$$")) << i;
    }
}

TEST(Write, EveryBlockCopiedMovesTheBarRepaintsAndHandlesMessagesOnce) {
    constexpr std::size_t block = 49152;
    // The old file; before each block the bar at 100 * i / blocks, blocks
    // being the whole file's size over 49,152, its tag counted.
    const std::pair<std::string, std::string> cases[] = {
        {tag(3, "") + audio(3 * block + 1000), "0rm 33rm 66rm 100rm"},
        {tag(3, "") + audio(3 * block), "0rm 33rm 66rm 100rm"}, // a pass that reads nothing ends it
        {tag(3, std::string(60000, '\0')) + audio(2 * block + 1000), "0rm 33rm 66rm"},
        {audio(1000), "0rm"},
    };
    testutil::tempdir dir;
    std::string steps;
    id3v2::progressscope scope({[] { return 100; },
                                [&](int position) { steps += " " + std::to_string(position); },
                                [&] { steps += "r"; }, [&] { steps += "m"; }});
    for (const auto& [old, want] : cases) {
        steps.clear();
        ASSERT_TRUE(rewrite(put(dir, "a.mp3", old), abc));
        EXPECT_EQ(steps, " " + want) << old.size();
    }
}

TEST(Write, ToolsTagWeReadWeRewriteMutagenReadsBack) {
    // A picture with the byte runs unsynchronisation cares about.
    std::string cover = "\xFF\xD8\xFF\xE0\0\x10JFIF\0\x01\xFF\xFF\0\xFF\xDB"s;
    for (std::uint32_t x = 7; cover.size() < 70000;)
        cover += char((x = x * 1664525 + 1013904223) >> 24);
    const std::string abc = "TPE1|1|Artist TIT2|1|Title TALB|1|Album TYER|1|1999 ";
    const struct {
        std::string command; // makes a.mp3 of base.mp3
        std::string values;  // as we read them
        args a;
        std::string ours; // our frames, as mutagen reads them back
        std::string v1;   // mutagen's reading of the ID3v1 track and genre
    } cases[] = {
        {"cp base.mp3 a.mp3 && mid3v2 -t Old -a Кино -A Альбом -y 1970 -T 2/9 -g Rock "
         "--TCMP 1 --TPOS 1/2 --TCOM Композитор --TXXX x:y -c :Комментарий:rus "
         "-p 'first.png:Обложка:6:image/png' -p 'cover.jpg:back:4:image/jpeg' a.mp3",
         "Кино|Old|Альбом|1970|2/9|Rock|1|P",
         {u"Кино", u"Группа крови", u"", u"1988", u"-1", true, u"5"},
         "TPE1|1|Кино TIT2|1|Группа крови TYER|1|1988 TRCK|1|5 TCON|1|Rock TCMP|1|1 "
         "APIC|0|image/png|3||" +
             hex("PNG first") + " ",
         "5 -"},
        {"cp base.mp3 a.mp3 && eyeD3 --no-color --to-v2.3 -t Звезда -a Кино -A Album "
         "--recording-date 1988 -n 3 -N 12 -G Rock --add-comment c --add-lyrics first.png "
         "--add-image cover.jpg:FRONT_COVER a.mp3",
         "Кино|Звезда|Album|1988|03/12|Rock||P", tagfile::abc,
         abc + "TRCK|1|03/12 TCON|1|Rock APIC|0|image/jpeg|3||" + hex(cover) + " ", "- -"},
        {"cp base.mp3 a.mp3 && XDG_CONFIG_HOME=. kid3-cli -c 'tag 1' "
         "-c 'config Tag.textEncodingV1 windows-1251' -c \"set title 'Группа крови'\" "
         "-c \"set artist 'Кино'\" -c \"set album 'Звезда по имени Солнце'\" -c 'set date 1988' "
         "-c 'set tracknumber 5' -c 'set genre Rock' -c save a.mp3",
         "Кино|Группа крови|Звезда по имени Солнце|1988|5|(17)|", tagfile::abc,
         abc + "TRCK|1|5 TCON|1|(17) ", "5 17"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        testutil::tempdir dir;
        testutil::writefile(dir.path() / "base.mp3", mp3fixture::basemp3());
        testutil::writefile(dir.path() / "cover.jpg", cover);
        testutil::writefile(dir.path() / "first.png", "PNG first");
        const std::string command = "cd '" + dir.path().string() + "' && HOME=. " + c.command;
        ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0);
        const std::filesystem::path f = dir.path() / "a.mp3";
        const std::u16string p = platform::fromnative(f.string());
        const std::string old = testutil::readfile(f);
        put(dir, "seed.mp3", old); // a seed for the fuzzer too
        const auto before = mp3fixture::mutagenread(f);
        EXPECT_EQ(read(p), c.values);
        const std::size_t audio = old.size() - extent(old) - (id3v2::v1tail.empty() ? 0 : 128);
        const long frames = mp3fixture::ffprobeframes(f);
        EXPECT_GT(frames, 5);
        ASSERT_TRUE(rewrite(p, c.a));
        const std::string now = testutil::readfile(f);
        EXPECT_EQ(now.size(), extent(now) + audio + 128);
        EXPECT_EQ(now.compare(extent(now), audio, old, extent(old), audio), 0)
            << "the audio changed";
        EXPECT_EQ(mp3fixture::ffprobeframes(f), frames);
        // Ours, then the carried frames as they were, but for the first picture.
        const auto after = mp3fixture::mutagenread(f);
        std::string expected = c.ours, got, v1;
        bool first = true;
        for (const std::string& frame : before.all)
            if (!(frame.starts_with("APIC") && std::exchange(first, false)) &&
                std::string(" COMM TCOM TPOS APIC USLT ").find(" " + frame.substr(0, 4) + " ") !=
                    std::string::npos)
                expected += frame + " ";
        for (const std::string& frame : after.all) got += frame + " ";
        EXPECT_EQ(got, expected);
        EXPECT_EQ(std::to_string(after.major) + "." + std::to_string(after.padding), "3.0");
        for (const char* id : {"TRCK", "TCON"})
            v1 += (v1.empty() ? "" : " ") + (after.v1.count(id) ? after.v1.at(id) : "-");
        EXPECT_EQ(v1, c.v1);
    }
}

// A lone surrogate in a UTF-16 frame, as a broken tagger leaves it (mutagen
// will not write one: its frame bytes are changed after), read and carried by
// a rewrite: one character lost, not the word around it.
TEST(Write, ALoneSurrogateInTagTextCostsOneCharacterNotTheWord) {
    testutil::tempdir dir;
    const std::filesystem::path f = dir.path() / "a.mp3";
    testutil::writefile(f, mp3fixture::basemp3());
    mp3fixture::tagwithmutagen({{f, {u"Кино", u"Привет\uE000", u"Альбом\uE001", u"1990"}}});
    std::string bytes = testutil::readfile(f);
    for (const auto& [from, to] :
         {std::pair{"\x00\xE0"s, "\xFF\xDC"s}, {"\x01\xE0"s, "\x00\xD8"s}}) {
        const std::size_t at = bytes.find(from);
        ASSERT_LT(at, extent(bytes));
        bytes.replace(at, 2, to);
    }
    testutil::writefile(f, bytes);
    const std::u16string p = platform::fromnative(f.string());
    std::u16string v[7];
    bool picture = false;
    id3v2::readtags(p, v[0], v[1], v[2], v[3], v[4], v[5], v[6], picture, true);
    ASSERT_EQ(v[1] + v[2], u"Привет\xDCFF"
                           u"Альбом\xD800");
    ASSERT_TRUE(rewrite(p, {v[0], v[1], v[2], v[3]}));
    auto tags = mp3fixture::mutagenread(f);
    EXPECT_EQ(tags.frames["TPE1"] + "|" + tags.frames["TIT2"] + "|" + tags.frames["TALB"],
              "Кино|Привет\uFFFD|Альбом\uFFFD");
    const std::string now = testutil::readfile(f);
    EXPECT_EQ(now.substr(now.size() - 125, 60), "\xCF\xF0\xE8\xE2\xE5\xF2?" + std::string(23, 0) +
                                                    "\xCA\xE8\xED\xEE" + std::string(26, 0));
    EXPECT_EQ(read(p), "Кино|Привет\uFFFD|Альбом\uFFFD|1990|||");
}
