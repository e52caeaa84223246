#include <gtest/gtest.h>

#include <random>
#include <string>

#include "checkerenv.h"
#include "platform.h"
#include "settings.h"
#include "testutil.h"

using namespace checker;
using testutil::readfile;
using testutil::writefile;

namespace {

// A main window and a checker whose program folder is a tempdir.
struct settingsenv : checkerenv {
    testutil::tempdir dir;
    settingsenv() { c.programfolder = dir.u16() + u"/"; }
    testutil::fs::path file() const { return dir.path() / "brellian_gui.cnf"; }
};

// Puts the root folder's UTF-16 units little-endian into its field.
void putroot(std::string& b, const std::u16string& root) {
    for (std::size_t i = 0; i < root.size(); ++i) {
        b[272 + 2 * i] = static_cast<char>(root[i] & 0xff);
        b[273 + 2 * i] = static_cast<char>(root[i] >> 8);
    }
}

// The file made from the defaults, built here byte by byte from the layout.
std::string defaultbytes(const std::u16string& folder) {
    std::string b(2328, '\0');
    b[0] = static_cast<char>(9800 & 0xff);      // 0x48
    b[1] = static_cast<char>(9800 >> 8);        // 0x26
    const char flags[] = {1, 1, 1, 1, 1, 0, 0}; // silentfix .. numbering
    for (int i = 0; i < 7; ++i) b[8 + i] = flags[i];
    b[15] = 2, b[16] = 'V', b[17] = 'A';
    putroot(b, folder);
    b[2320] = 1;
    b[2321] = 6;
    return b;
}

// A valid file with everything a rewrite could lose: odd Boolean bytes,
// stale bytes after both texts, non-zero reserved bytes.
std::string unusualfile(const std::u16string& root) {
    std::string b(2328, '\0');
    b[0] = 0x48, b[1] = 0x26;
    const char flags[] = {2, 0, 0, 0, 7, 1, 1};
    for (int i = 0; i < 7; ++i) b[8 + i] = flags[i];
    const std::string name = "\xD1\xE1\xEE\xF0\xED\xE8\xEA"; // "Сборник" in windows-1251
    b[15] = static_cast<char>(name.size());
    b.replace(16, name.size(), name);
    b[16 + name.size() + 3] = 'Z'; // stale byte after the text
    b[271] = 0x55;
    putroot(b, root);
    b[272 + 2 * (root.size() + 5)] = 'Q'; // stale unit after the zero unit
    b[2320] = 0;
    b[2321] = 2;
    for (int i = 2322; i < 2328; ++i) b[i] = static_cast<char>(0xA0 + i - 2322);
    return b;
}

} // namespace

TEST(SettingsFile, FirstStartWritesTheDefaults) {
    // The folder defaults to the program's own and gets its trailing slash.
    EXPECT_EQ(checkerenv().c.programfolder, platform::programdir());
    for (bool slash : {true, false}) {
        SCOPED_TRACE(slash);
        settingsenv e;
        if (!slash) e.c.programfolder = e.dir.u16();
        e.form1.CheckBox3.checked = false; // a missing file leaves the boxes alone
        loadcfg(e.c);
        const std::u16string folder = e.dir.u16() + u"/";
        EXPECT_EQ(readfile(e.file()), defaultbytes(folder));
        EXPECT_EQ(e.c.progdir, folder);
        EXPECT_EQ(e.c.cfgfile, folder + u"brellian_gui.cnf");
        EXPECT_EQ(e.c.vaname, u"VA");
        EXPECT_FALSE(e.c.cfgloading);
        EXPECT_EQ(rootdirtext(e.c.cfg), folder);
        EXPECT_EQ(e.c.cfg.sortorder, 6);
        EXPECT_FALSE(e.form1.CheckBox3.checked);
        EXPECT_TRUE(e.form1.CheckBox2.checked);
    }
}

TEST(SettingsFile, InvalidFilesAreReplacedByTheDefaults) {
    settingsenv e;
    const std::string defaults = defaultbytes(e.dir.u16() + u"/");
    const std::string valid = unusualfile(u"/music");

    std::string wrongformat = valid;
    wrongformat[0] = 0x49; // 9801
    std::string highbits = valid;
    highbits[4] = 1; // 9800 + 2^32
    std::string bigendian = valid;
    bigendian[0] = 0, bigendian[1] = 0, bigendian[6] = 0x26, bigendian[7] = 0x48;
    for (const std::string& bad :
         {valid.substr(0, 2327), valid + '\0', std::string(), wrongformat, highbits, bigendian}) {
        writefile(e.file(), bad);
        e.form1.CheckBox3.checked = true;
        loadcfg(e.c);
        EXPECT_EQ(readfile(e.file()), defaults) << "size " << bad.size();
        EXPECT_EQ(e.c.vaname, u"VA");
        EXPECT_EQ(e.c.cfg.sortorder, 6);
        EXPECT_TRUE(e.form1.CheckBox3.checked);
    }
}

TEST(SettingsFile, AValidFileIsRewrittenByteForByte) {
    settingsenv e;
    const std::string bytes = unusualfile(u"/music/Коллекция");
    writefile(e.file(), bytes);
    loadcfg(e.c);
    EXPECT_EQ(readfile(e.file()), bytes);
    EXPECT_FALSE(e.form1.CheckBox3.checked); // keepdirnames 0
    EXPECT_FALSE(e.form1.CheckBox2.checked); // skipcompilations 0
    EXPECT_EQ(e.c.vaname, u"Сборник");
    EXPECT_EQ(e.c.cfg.sortorder, 2);
    EXPECT_EQ(e.c.cfg.samegenre, 7);
    EXPECT_EQ(rootdirtext(e.c.cfg), u"/music/Коллекция");

    // Every start writes the file, also when nothing changed.
    testutil::fs::remove(e.file());
    savecfg(e.c);
    EXPECT_EQ(readfile(e.file()), bytes);
}

TEST(SettingsFile, ASilentfixByteOfZeroResetsEverything) {
    settingsenv e;
    std::string bytes = unusualfile(u"/music");
    bytes[8] = 0;
    writefile(e.file(), bytes);
    e.form1.CheckBox3.checked = false;
    e.form1.CheckBox2.checked = false;
    loadcfg(e.c);
    EXPECT_EQ(readfile(e.file()), defaultbytes(e.dir.u16() + u"/"));
    EXPECT_EQ(e.c.vaname, u"VA");
    EXPECT_EQ(rootdirtext(e.c.cfg), e.dir.u16() + u"/");
    // The reset record, not the file's, sets the boxes.
    EXPECT_TRUE(e.form1.CheckBox3.checked);
    EXPECT_TRUE(e.form1.CheckBox2.checked);
}

TEST(SettingsFile, TheSwitchTurnsTheFileOffForTheWholeRun) {
    for (std::u16string sw : {u"-SC", u"-sc", u"-sC"}) {
        settingsenv e;
        const std::string foreign = "not a settings file";
        writefile(e.file(), foreign);
        e.c.args = {sw, u"-whatever"};
        e.form1.CheckBox3.checked = true;
        loadcfg(e.c);
        EXPECT_EQ(readfile(e.file()), foreign);
        EXPECT_EQ(e.c.cfg, cfgrec{});
        EXPECT_EQ(packcfg(e.c.cfg), cfgbytes{});
        EXPECT_TRUE(e.c.progdir.empty());
        EXPECT_TRUE(e.c.vaname.empty());
        EXPECT_TRUE(e.c.cfgloading);
        EXPECT_TRUE(e.form1.CheckBox3.checked);
        // A later save (keep-names box, settings dialog) writes nothing either.
        e.c.cfg.keepdirnames = 1;
        EXPECT_FALSE(savecfg(e.c));
        EXPECT_EQ(readfile(e.file()), foreign);
    }
    // Only the first argument counts, and only ASCII letters fold:
    // U+017F (long s) upper-cases to "S" in Unicode but is no switch.
    for (std::vector<std::u16string> args :
         {std::vector<std::u16string>{u"x", u"-SC"}, {u"-\u017fc"}, {u"-SCX"}, {u"SC"}}) {
        settingsenv e;
        e.c.args = args;
        loadcfg(e.c);
        EXPECT_EQ(readfile(e.file()), defaultbytes(e.dir.u16() + u"/"));
        EXPECT_FALSE(e.c.cfgloading);
    }
}

TEST(SettingsFile, FailuresAreSilentAndKeepTheRecordInMemory) {
    settingsenv e;
    e.c.programfolder = e.dir.u16() + u"/missing/folder/";
    loadcfg(e.c);
    EXPECT_EQ(e.c.cfg.cfgversion, 9800);
    EXPECT_EQ(rootdirtext(e.c.cfg), e.c.programfolder);
    EXPECT_FALSE(e.c.cfgloading);
    e.c.cfg.numbering = 1;
    EXPECT_FALSE(savecfg(e.c));
    EXPECT_EQ(e.c.cfg.numbering, 1);
    EXPECT_FALSE(testutil::fs::exists(e.dir.path() / "missing"));
}

TEST(SettingsRecord, CompilationNameIsCutTo255AnsiBytes) {
    settingsenv e;
    loadcfg(e.c);
    std::u16string name;
    for (int i = 0; i < 300; ++i) name += static_cast<char16_t>(u'А' + i % 32); // А..Я
    setcompname(e.c.cfg, name);
    e.c.vaname = compnametext(e.c.cfg);
    savecfg(e.c);
    const std::string b = readfile(e.file());
    ASSERT_EQ(b.size(), 2328u);
    EXPECT_EQ(static_cast<unsigned char>(b[15]), 255);
    for (int i = 0; i < 255; ++i) // windows-1251 puts А..Я at 0xC0..0xDF
        ASSERT_EQ(static_cast<unsigned char>(b[16 + i]), 0xC0 + i % 32) << i;
    EXPECT_EQ(b[271], '\0');
    EXPECT_EQ(e.c.vaname, name.substr(0, 255));

    // A shorter name clears the rest of the field; a character the code page
    // lacks becomes "?".
    setcompname(e.c.cfg, u"V\u4e00A");
    const cfgbytes p = packcfg(e.c.cfg);
    EXPECT_EQ(p[15], 3);
    EXPECT_EQ(std::string(p.begin() + 16, p.begin() + 19), "V?A");
    EXPECT_TRUE(std::all_of(p.begin() + 19, p.begin() + 271, [](auto x) { return x == 0; }));
}

TEST(SettingsRecord, RootdirHoldsUpTo1024UnitsWithoutLosingAny) {
    cfgrec rec;
    const std::u16string full(1024, u'д');
    ASSERT_TRUE(strtobuf(rec.rootdir, full));
    EXPECT_EQ(rootdirtext(rec), full); // no zero unit: all 1,024 units
    const cfgbytes b = packcfg(rec);
    EXPECT_EQ(b[272], 0x34); // U+0434 little-endian
    EXPECT_EQ(b[273], 0x04);
    EXPECT_EQ(b[2318], 0x34);
    EXPECT_EQ(b[2320], 0); // the next field untouched

    // Too long: refused, the old root stays.
    EXPECT_FALSE(strtobuf(rec.rootdir, full + u"x"));
    EXPECT_EQ(rootdirtext(rec), full);

    // Shorter: a zero unit, and no stale tail of the longer text.
    const std::u16string music = u"/music/\U0001F3B5";
    ASSERT_TRUE(strtobuf(rec.rootdir, music));
    EXPECT_EQ(rootdirtext(rec), music);
    EXPECT_EQ(rec.rootdir[music.size()], 0);
    EXPECT_EQ(rec.rootdir[1023], 0);
    ASSERT_TRUE(strtobuf(rec.rootdir, u""));
    EXPECT_EQ(rootdirtext(rec), u"");
}

TEST(SettingsRecord, AnyRecordSurvivesUnpackingAndPacking) {
    std::mt19937 gen(9800);
    for (int round = 0; round < 50; ++round) {
        cfgbytes b;
        for (auto& x : b) x = static_cast<std::uint8_t>(gen());
        const cfgrec rec = unpackcfg(b);
        EXPECT_EQ(packcfg(rec), b);
        if (round == 0) {
            std::int64_t v = 0;
            for (int i = 7; i >= 0; --i) v = (v << 8) | b[i];
            EXPECT_EQ(rec.cfgversion, v);
            EXPECT_EQ(rec.sortorder, b[2321]);
            EXPECT_EQ(rec.rootdir[0], b[272] | (b[273] << 8));
        }
    }
}
