// The operating system layer's rules: renames never replace, directory
// searches come in a fixed order, any file name survives, times are kept to
// the nanosecond, only regular files open, single-byte text uses the chosen
// code page (refused unless it is one), a name becomes text as a tag would
// hold it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>

#include "platform.h"
#include "testutil.h"

using testutil::readfile;
using testutil::writefile;
namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

// The entries a search finds, each with / for a folder, h hidden, r read-only, l a link.
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
}

// As on exFAT through FUSE: no RENAME_NOREPLACE, no hard links, names that
// compare without case; also each of these alone.
TEST(Platform, RenamesWithoutTheFlagLinksOrCase) {
    for (const platform::renamequirks q :
         {platform::renamequirks{true, false}, {true, true}, {false, true}}) {
        SCOPED_TRACE(std::to_string(q.noflag) + std::to_string(q.nocase));
        testutil::tempdir t;
        for (const char* f : {"a.mp3", "b.mp3", "x.mp3", "n.mp3"}) writefile(t.path() / f, f);
        fs::create_directories(t.path() / "queen" / "inner");
        fs::create_directory(t.path() / "Target");
        fs::create_hard_link(t.path() / "n.mp3", t.path() / "Link.mp3");
        platform::setrenamequirks(q);
        const auto rename = [&](const char16_t* from, const char16_t* to) {
            return platform::renamepath(t.u16(from), t.u16(to));
        };
        EXPECT_EQ(rename(u"a.mp3", u"b.mp3"), EEXIST);
        EXPECT_EQ(rename(u"queen", u"Target"), EEXIST);
        EXPECT_EQ(rename(u"none", u"other"), ENOENT);
        EXPECT_EQ(rename(u"x.mp3", u"01 x.mp3"), 0);
        // Another entry that the target reaches without case stays, and so
        // does the source: a link to the same file under a name that differs
        // in more than case, too.
        const int taken = q.nocase ? EEXIST : 0;
        EXPECT_EQ(rename(u"a.mp3", u"B.MP3"), taken);
        EXPECT_EQ(rename(u"queen", u"TARGET"), taken);
        EXPECT_EQ(rename(u"n.mp3", u"link.mp3"), taken);
        // A change of case, of a file and of a folder; the same name is taken.
        EXPECT_EQ(rename(u"b.mp3", u"B.mp3"), 0);
        EXPECT_EQ(rename(q.nocase ? u"queen" : u"TARGET", u"Queen"), 0);
        EXPECT_EQ(rename(u"Queen", u"Queen"), EEXIST);
        EXPECT_EQ(platform::lasterror(), EEXIST);
        platform::setrenamequirks({});
        std::set<std::string> files;
        for (const auto& f : fs::recursive_directory_iterator(t.path()))
            files.insert(fs::relative(f.path(), t.path()).string() + "=" +
                         (f.is_regular_file() ? readfile(f.path()) : "/"));
        std::string listing;
        for (const auto& f : files) listing += f + " ";
        EXPECT_EQ(listing, q.nocase ? "01 x.mp3=x.mp3 B.mp3=b.mp3 Link.mp3=n.mp3 Queen/inner=/ "
                                      "Queen=/ Target=/ a.mp3=a.mp3 n.mp3=n.mp3 "
                                    : "01 x.mp3=x.mp3 B.MP3=a.mp3 B.mp3=b.mp3 Link.mp3=n.mp3 "
                                      "Queen/inner=/ Queen=/ Target=/ link.mp3=n.mp3 ");
    }
}

TEST(Platform, SearchOrderPatternsAndFlags) {
    testutil::tempdir t;
    for (const char* n :
         {"b.mp3", "A.MP3", "c.Mp3", "a_.mp3", "Яблоко.mp3", "абв.mp3", "x.mp3.bak", "ro", "ı.mıd"})
        writefile(t.path() / n, "x");
    chmod((t.path() / "ro").c_str(), 0444);
    fs::create_directory(t.path() / "Sub.mp3");
    fs::create_directory(t.path() / ".hidden");
    fs::create_directory_symlink(t.path() / "Sub.mp3", t.path() / "link");
    // By name after upper-casing, code unit by code unit: "AB" before "A_", Latin before Cyrillic.
    EXPECT_EQ(names(t.u16(u"*.mp3")), "A.MP3 a_.mp3 b.mp3 c.Mp3 Sub.mp3/ абв.mp3 Яблоко.mp3 ");
    EXPECT_EQ(names(t.u16(u"*.*")), ".hidden/h A.MP3 a_.mp3 b.mp3 c.Mp3 ı.mıd link/l ror "
                                    "Sub.mp3/ x.mp3.bak абв.mp3 Яблоко.mp3 ");
    EXPECT_EQ(names(t.u16(u"*"), platform::attr_readonly),
              "A.MP3 a_.mp3 b.mp3 c.Mp3 ı.mıd ror x.mp3.bak абв.mp3 Яблоко.mp3 ");
    // Dotless i upper-cases to I; a search must not judge such names by their bytes alone.
    EXPECT_EQ(names(t.u16(u"?.Mp3")) + names(t.u16(u"я*О.*")) + names(t.u16(u"*b*k")) +
                  names(t.u16(u"*.MID")) + names(t.u16(u"*КО.mp3")) + names(t.u16(u"no/*.*")),
              "A.MP3 b.mp3 c.Mp3 Яблоко.mp3 x.mp3.bak ı.mıd Яблоко.mp3 error 2");
    EXPECT_NE(platform::namebefore(u"Ab", u"aB"), platform::namebefore(u"aB", u"Ab"));
    // Upper-casing keeps the length: ß has no single upper-case letter.
    EXPECT_EQ(platform::upcase(u"straße ёж éà\U0001F3B5"), u"STRAßE ЁЖ ÉÀ\U0001F3B5");
}

TEST(Platform, AnyFileNameSurvives) {
    for (const std::string& n :
         {"Кино"s, "bad\xFF\xFEname"s, "\xC0\xAF"s, "\xED\xA0\x80"s, "cut\xE2\x82"s})
        EXPECT_EQ(platform::tonative(platform::fromnative(n)), n) << n;
    EXPECT_EQ(platform::fromnative("a\xFF\xF0\x9F\x8E\xB5"), u"a\xDCFF\U0001F3B5");
    EXPECT_EQ(platform::utf8to16("Ж\xFFz"), u"Ж\uFFFDz"); // tag text: lenient
    testutil::tempdir t;
    writefile(t.path() / "track\xFF\xFE.mp3", "payload");
    std::vector<platform::direntry> found;
    ASSERT_TRUE(platform::search(t.u16(u"*.mp3"), found) && found.size() == 1);
    ASSERT_EQ(platform::renamepath(t.u16(found[0].name), t.u16(u"01 " + found[0].name)), 0);
    EXPECT_EQ(readfile(t.path() / "01 track\xFF\xFE.mp3"), "payload");
}

TEST(Platform, TimesModesAndWhatOpens) {
    testutil::tempdir t;
    const std::u16string f = t.u16(u"f.mp3");
    writefile(t.path() / "f.mp3", "x");
    // Times to the nanosecond; read-only is the owner's write bit, the other bits stay.
    platform::file h;
    platform::filetime got;
    unsigned mode = 0;
    bool ro = false;
    ASSERT_TRUE(platform::setfiletime(f, {1234567890, 123456789}) &&
                h.open(f, platform::openmode::read) && h.gettime(got) &&
                platform::setmode(f, 0640) && platform::setreadonly(f, true) &&
                platform::getreadonly(f, ro) && platform::getmode(f, mode));
    EXPECT_TRUE(got == (platform::filetime{1234567890, 123456789}) && ro && mode == 0440);
    ASSERT_TRUE(platform::setreadonly(f, false) && platform::getmode(f, mode));
    EXPECT_EQ(mode, 0640u);
    // Only regular files open; a FIFO named like an MP3 file must not hang.
    fs::create_directory(t.path() / "dir.mp3");
    ASSERT_EQ(mkfifo((t.path() / "pipe.mp3").c_str(), 0644), 0);
    for (const char16_t* name : {u"dir.mp3", u"pipe.mp3", u"missing"})
        EXPECT_FALSE(h.open(t.u16(name), platform::openmode::read)) << testutil::u8(name);
    EXPECT_EQ(platform::lasterror(), ENOENT);
}

TEST(Platform, CodePage) {
    // windows-1251 by default; a missing character becomes "?", a surrogate pair one.
    setenv("VORLINDE_CODEPAGE", "", 1), platform::resetcodepage();
    EXPECT_EQ(platform::toansi(u"Кино Ёё aαb漢c\U0001F3B5d"), "\xCA\xE8\xED\xEE \xA8\xB8 a?b?c?d");
    EXPECT_EQ(platform::fromansi("\xCA\xE8\xED\xEE"), u"Кино");
    setenv("VORLINDE_CODEPAGE", "CP1252", 1), platform::resetcodepage();
    EXPECT_EQ(platform::fromansi("\xE9\x80") + platform::fromansi(platform::toansi(u"éЖ")),
              u"é€é?");
    // A name's text: the bytes that are not UTF-8, with the run of non-ASCII they
    // stand in, read through the code page; other lone surrogates U+FFFD.
    const auto name = [](const std::string& b) {
        return platform::nametext(platform::fromnative(b));
    };
    EXPECT_EQ(name("caf\xE9") + name("Ж\xF0\x9F\x8E\xB5") + platform::nametext(u"a\xD800-\xDC7F"),
              u"caféЖ\U0001F3B5a\uFFFD-\uFFFD");
    setenv("VORLINDE_CODEPAGE", "", 1), platform::resetcodepage();
    EXPECT_EQ(name("01 - \xCF\xE5\xF1\xED\xFF.mp3") + name("|\xCF\xB8\xF2\xF0|") +
                  name("Ария - \xC3\xE5\xF0\xEE\xE9"),
              u"01 - Песня.mp3|Пётр|Ария - Герой");
    setenv("VORLINDE_CODEPAGE", "NO-SUCH", 1), platform::resetcodepage(); // the default then
    EXPECT_EQ(platform::fromansi("\xC0"), u"А");
    unsetenv("VORLINDE_CODEPAGE"), platform::resetcodepage();
}

// A name that holds a byte that is not UTF-8 was written in the code page: all
// of its non-ASCII runs read through it, even those that also form UTF-8,
// but for a run of Cyrillic letters in UTF-8 (a name begun in UTF-8 and ended
// in the code page). Control characters read as the tag reader reads them.
TEST(Platform, ALegacyNameIsReadWhole) {
    using testutil::legacyname;
    const auto text = [](const std::u16string& name) { return platform::nametext(name); };
    EXPECT_EQ(text(legacyname("Кино - Её (1990)")) + u"|" + text(legacyname("Ці пісні")) + u"|" +
                  text(u"Ария - " + legacyname("Герой асфальта")) + u"|" +
                  text(legacyname("Ті, що - Сі")) + u"|" + text(u"Її" + legacyname(" Рік")),
              u"Кино - Её (1990)|Ці пісні|Ария - Герой асфальта|Ті, що - Сі|Її Рік");
    // Without such a byte the characters stay, whatever the code page would make of them.
    EXPECT_EQ(text(u"Ÿ ֳ пісні \U0001F3B5"), u"Ÿ ֳ пісні \U0001F3B5");
    EXPECT_EQ(text(u"01 new\nline\x01\x1F\x7F") + text(legacyname("\tТаб\r")),
              u"01 new?line??\x7F?Таб?");
}

// Accepted spellings of a code page, and what is refused: multi-byte,
// stateful, unknown, not ASCII, or with iconv's suffixes.
TEST(Platform, CodePageSpellings) {
    std::string accepted, refused;
    for (const char* s : {"1252", "cp1252", "CP1252", "windows-1252", "Windows-1252", "866",
                          "cp866", "KOI8-R", "ISO-8859-5", "1251"})
        accepted += (platform::codepageof(s).empty() ? "" : "+") + std::string(s) + " ";
    for (const char* s :
         {"", "1252x", "12 52", "cp", "windows-", "-1252", "UTF-8", "65001", "CP932", "936",
          "SHIFT_JIS", "UTF-16", "UTF-7", "ISO-2022-JP", "IBM037", "CP1252//IGNORE", "NO-SUCH"})
        refused += (platform::codepageof(s).empty() ? "" : "+") + std::string(s) + " ";
    EXPECT_EQ(accepted, "+1252 +cp1252 +CP1252 +windows-1252 +Windows-1252 +866 +cp866 +KOI8-R "
                        "+ISO-8859-5 +1251 ");
    EXPECT_EQ(refused, " 1252x 12 52 cp windows- -1252 UTF-8 65001 CP932 936 SHIFT_JIS UTF-16 "
                       "UTF-7 ISO-2022-JP IBM037 CP1252//IGNORE NO-SUCH ");
    // The variable as the program finds it: taken, and the byte read in it.
    std::string value = "none";
    setenv("VORLINDE_CODEPAGE", "1252", 1), platform::resetcodepage();
    EXPECT_FALSE(platform::codepagerefused(value));
    EXPECT_EQ(platform::fromansi("\xE9\xC0"), u"éÀ");
    setenv("VORLINDE_CODEPAGE", "", 1);
    EXPECT_FALSE(platform::codepagerefused(value));
    setenv("VORLINDE_CODEPAGE", "1252x", 1);
    EXPECT_TRUE(platform::codepagerefused(value));
    EXPECT_EQ(value, "1252x");
    unsetenv("VORLINDE_CODEPAGE"), platform::resetcodepage();
    EXPECT_FALSE(platform::codepagerefused(value));
}

// Tag text keeps its characters; only a surrogate that is not half of a pair goes.
TEST(Platform, ValidUtf16) {
    EXPECT_EQ(platform::validutf16(u"Привет\xDCFF \xD800x\U0001F3B5\xDC80\xD83C"),
              u"Привет\uFFFD \uFFFDx\U0001F3B5\uFFFD\uFFFD");
}

TEST(Platform, ANewFileOpensWhereNothingStandsAndKnowsItsName) {
    testutil::tempdir t;
    writefile(t.path() / "f", "old");
    fs::create_symlink("f", t.path() / "link");
    fs::create_symlink("missing", t.path() / "dangling");
    platform::file h;
    for (const char16_t* name : {u"f", u"link", u"dangling"}) {
        EXPECT_FALSE(h.open(t.u16(name), platform::openmode::createnew)) << testutil::u8(name);
        EXPECT_EQ(platform::lasterror(), EEXIST) << testutil::u8(name);
    }
    EXPECT_EQ(readfile(t.path() / "f"), "old");
    EXPECT_FALSE(fs::exists(t.path() / "missing"));
    // Read back through the handle that wrote it; its name leads to it until
    // another file takes the name. A link to it is not its name.
    const std::u16string n = t.u16(u"n");
    char back[3] = {};
    ASSERT_TRUE(h.open(n, platform::openmode::createnew) && h.write("new", 3) && h.seek(0) &&
                h.read(back, 3) == 3);
    EXPECT_EQ(std::string(back, 3), "new");
    fs::create_symlink("n", t.path() / "nlink");
    EXPECT_TRUE(h.isnamed(n) && !h.isnamed(t.u16(u"nlink")));
    fs::rename(t.path() / "f", t.path() / "n");
    EXPECT_FALSE(h.isnamed(n));
    fs::remove(t.path() / "n");
    EXPECT_FALSE(h.isnamed(n));
}
