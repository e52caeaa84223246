// The operating system layer's rules: renames never replace, directory
// searches come in a fixed order, any file name survives, times are kept to
// the nanosecond, single-byte text uses the chosen code page.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform.h"
#include "testutil.h"

using testutil::readfile;
using testutil::writefile;
namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

std::string names(const std::u16string& pattern, unsigned mask = platform::attr_any) {
    std::vector<platform::direntry> found;
    if (!platform::search(pattern, found, mask))
        return "error " + std::to_string(platform::lasterror());
    std::string s;
    for (const auto& e : found)
        s += testutil::u8(e.name) + (e.folder ? "/" : "") + (e.hidden ? "h" : "") +
             (e.readonly ? "r" : "") + (e.link ? "l" : "") + " ";
    return s;
}

} // namespace

TEST(Platform, RenamesNeverReplace) {
    testutil::tempdir t;
    writefile(t.path() / "a.mp3", "a");
    writefile(t.path() / "b.mp3", "b");
    fs::create_directories(t.path() / "Album" / "inner");
    fs::create_directory(t.path() / "Target");
    EXPECT_EQ(platform::renamepath(t.u16(u"a.mp3"), t.u16(u"b.mp3")), EEXIST);
    EXPECT_EQ(platform::renamepath(t.u16(u"Album"), t.u16(u"Target")), EEXIST);
    EXPECT_EQ(platform::renamepath(t.u16(u"none"), t.u16(u"other")), ENOENT);
    EXPECT_EQ(readfile(t.path() / "a.mp3") + readfile(t.path() / "b.mp3"), "ab");
    EXPECT_EQ(platform::renamepath(t.u16(u"Album"), t.u16(u"Кино - Альбом (1999)")), 0);
    EXPECT_TRUE(fs::exists(t.path() / "Кино - Альбом (1999)" / "inner"));
    // Unlike a rename, replacefile puts a file in the place of another.
    EXPECT_EQ(platform::replacefile(t.u16(u"a.mp3"), t.u16(u"b.mp3")), 0);
    EXPECT_EQ(readfile(t.path() / "b.mp3"), "a");
}

TEST(Platform, SearchOrderPatternsAndFlags) {
    testutil::tempdir t;
    for (const char* n :
         {"b.mp3", "A.MP3", "c.Mp3", "a_.mp3", "Яблоко.mp3", "абв.mp3", "x.txt", "ro.m3u"})
        writefile(t.path() / n, "x");
    chmod((t.path() / "ro.m3u").c_str(), 0444);
    fs::create_directory(t.path() / "Sub.mp3");
    fs::create_directory(t.path() / ".hidden");
    fs::create_directory_symlink(t.path() / "Sub.mp3", t.path() / "link");
    // By name after upper-casing, code unit by code unit: "AB" before "A_", Latin before Cyrillic.
    EXPECT_EQ(names(t.u16(u"*.mp3")), "A.MP3 a_.mp3 b.mp3 c.Mp3 Sub.mp3/ абв.mp3 Яблоко.mp3 ");
    EXPECT_EQ(
        names(t.u16(u"*.*")),
        ".hidden/h A.MP3 a_.mp3 b.mp3 c.Mp3 link/l ro.m3ur Sub.mp3/ x.txt абв.mp3 Яблоко.mp3 ");
    EXPECT_EQ(names(t.u16(u"*.*"), platform::attr_readonly),
              "A.MP3 a_.mp3 b.mp3 c.Mp3 ro.m3ur x.txt абв.mp3 Яблоко.mp3 ");
    EXPECT_EQ(names(t.u16(u"*.M3U")), "ro.m3ur ");
    EXPECT_EQ(names(t.u16(u"nothere/*.*")), "error 2");
    // A link and the path it leads to are one folder.
    platform::fileid a, b;
    std::u16string r, root;
    EXPECT_TRUE(platform::getfileid(t.u16(u"link"), a) &&
                platform::getfileid(t.u16(u"Sub.mp3"), b) && a == b);
    EXPECT_TRUE(platform::resolvepath(t.u16(u"link/../link/."), r) &&
                platform::resolvepath(t.u16(), root));
    EXPECT_EQ(r, root + u"/Sub.mp3");
    EXPECT_TRUE(platform::namebefore(u"ab", u"abc"));
    EXPECT_NE(platform::namebefore(u"Ab", u"aB"), platform::namebefore(u"aB", u"Ab"));
    const struct {
        std::u16string name, pattern;
        bool match;
    } cases[] = {{u"песня.Mp3", u"*.MP3", true}, {u"song.mp3.bak", u"*.mp3", false},
                 {u"mp3", u"*.mp3", false},      {u"noext", u"*.*", true},
                 {u"ab", u"a?", true},           {u"abc", u"a?", false},
                 {u"aXbXc", u"a*b*c", true}};
    for (const auto& c : cases)
        EXPECT_EQ(platform::matchpattern(c.name, c.pattern), c.match)
            << testutil::u8(c.name + u" " + c.pattern);
    // Upper-casing keeps the length: ß has no single upper-case letter.
    EXPECT_EQ(platform::upcase(u"straße ёж éà\U0001F3B5"), u"STRAßE ЁЖ ÉÀ\U0001F3B5");
}

TEST(Platform, AnyFileNameSurvives) {
    for (const std::string& n : {"Кино"s, "bad\xFF\xFEname"s, "\xC0\xAF"s, "\xED\xA0\x80"s,
                                 "cut\xE2\x82"s, "\xF0\x9F\x8E\xB5"s})
        EXPECT_EQ(platform::tonative(platform::fromnative(n)), n) << n;
    EXPECT_EQ(platform::fromnative("a\xFF"), u"a\xDCFF");
    EXPECT_EQ(platform::utf8to16("Ж\xFFz"), u"Ж\uFFFDz"); // tag text: lenient
    EXPECT_EQ(platform::utf16to8(u"a\xD800"), "a\xEF\xBF\xBD");
    testutil::tempdir t;
    const std::string raw = "track\xFF\xFE.mp3";
    writefile(t.path() / raw, "payload");
    std::vector<platform::direntry> found;
    ASSERT_TRUE(platform::search(t.u16(u"*.mp3"), found) && found.size() == 1);
    ASSERT_EQ(platform::renamepath(t.u16(found[0].name), t.u16(u"01 " + found[0].name)), 0);
    EXPECT_EQ(readfile(t.path() / ("01 " + raw)), "payload");
}

TEST(Platform, FilesTimesAndModes) {
    testutil::tempdir t;
    const std::u16string f = t.u16(u"f.mp3");
    platform::file h;
    ASSERT_TRUE(h.open(f, platform::openmode::create) && h.write("0123456789", 10) && h.close());
    ASSERT_TRUE(h.open(f, platform::openmode::readwrite) && h.seek(7));
    char buf[8] = {};
    EXPECT_EQ(h.read(buf, 8), 3); // a short read at the end is no error
    ASSERT_TRUE(h.write("X", 1) && h.settime({987654321, 1}) && h.close());
    platform::filetime got;
    EXPECT_TRUE(platform::getfiletime(f, got) && got == (platform::filetime{987654321, 1}));
    ASSERT_TRUE(platform::setfiletime(f, {1234567890, 123456789}) &&
                h.open(f, platform::openmode::read) && h.gettime(got));
    EXPECT_EQ(got, (platform::filetime{1234567890, 123456789}));
    EXPECT_EQ(readfile(t.path() / "f.mp3"), "0123456789X");
    chmod((t.path() / "f.mp3").c_str(), 0640);
    unsigned mode = 0;
    bool ro = false;
    ASSERT_TRUE(platform::setreadonly(f, true) && platform::getreadonly(f, ro) &&
                platform::getmode(f, mode));
    EXPECT_TRUE(ro && mode == 0440); // other bits kept
    ASSERT_TRUE(platform::setreadonly(f, false) && platform::getmode(f, mode));
    EXPECT_EQ(mode, 0640u);
    // Only regular files open; a FIFO named like an MP3 file must not hang.
    fs::create_directory(t.path() / "dir.mp3");
    ASSERT_EQ(mkfifo((t.path() / "pipe.mp3").c_str(), 0644), 0);
    EXPECT_FALSE(h.open(t.u16(u"dir.mp3"), platform::openmode::read) ||
                 h.open(t.u16(u"pipe.mp3"), platform::openmode::read) ||
                 h.open(t.u16(u"missing"), platform::openmode::read));
    EXPECT_EQ(platform::lasterror(), ENOENT);
}

TEST(Platform, CodePage) {
    const auto use = [](const char* name) {
        setenv("VORLINDE_CODEPAGE", name, 1);
        platform::resetcodepage();
    };
    use("");
    // "К" is CA, "Ё" A8, "ё" B8 in windows-1251; missing characters become "?", a surrogate pair
    // one.
    EXPECT_EQ(platform::toansi(u"Кино Ёё aαb漢c\U0001F3B5d"), "\xCA\xE8\xED\xEE \xA8\xB8 a?b?c?d");
    EXPECT_EQ(platform::fromansi("\xCA\xE8\xED\xEE"), u"Кино");
    use("CP1252");
    EXPECT_EQ(platform::fromansi("\xE9\x80"), u"é€");
    EXPECT_EQ(platform::toansi(u"éЖ"), "\xE9?");
    use("NO-SUCH-CODEPAGE"); // falls back to the default
    EXPECT_EQ(platform::fromansi("\xC0"), u"А");
    unsetenv("VORLINDE_CODEPAGE");
    platform::resetcodepage();
}
