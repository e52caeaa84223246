// The settings file as bytes, laid out here from the record's offsets: the
// defaults that replace a missing file or one of the wrong size or format, a
// valid file written back byte for byte, and the "-SC" switch.
#include "env.h"

using checkertest::env;
using checkertest::u8;

namespace {

// The root folder's UTF-16 units from offset 272, little-endian.
std::string withroot(std::string b, const std::u16string& root) {
    for (std::size_t i = 0; i < root.size(); ++i)
        b[272 + 2 * i] = static_cast<char>(root[i] & 0xff),
                    b[273 + 2 * i] = static_cast<char>(root[i] >> 8);
    return b;
}

} // namespace

TEST(Settings, FileLayout) {
    // Format 9800, the seven switches, "VA", the program's folder, the iTunes
    // flag and the sort order "unchanged".
    std::string defaults(2328, '\0');
    defaults.replace(0, 18, std::string("\x48\x26\0\0\0\0\0\0\1\1\1\1\1\0\0\2VA", 18));
    defaults[2320] = 1, defaults[2321] = 6;
    // Odd switch bytes, "Сборник" in windows-1251 with a stale byte after it, a
    // root with a stale unit after its zero unit, the reserved bytes set.
    std::string valid = withroot(defaults, std::u16string(u"/music/Коллекция\0\0\0Q", 20));
    valid.replace(8, 18, std::string("\2\0\0\0\7\1\1\7\xD1\xE1\xEE\xF0\xED\xE8\xEA\0\0Z", 18));
    valid.replace(2320, 8, "\0\2\xA0\xA1\xA2\xA3\xA4\xA5", 8);
    valid[271] = 0x55;
    const struct {
        std::vector<std::u16string> args;
        std::string before, after; // "": no file, the defaults
        bool keep, skip;           // the main window's two boxes after loading
    } rows[] = {
        {{}, "", "", false, true}, // the boxes are left alone
        {{}, valid.substr(0, 2327), "", false, true},
        {{}, valid + '\0', "", false, true},
        {{}, std::string(valid).replace(0, 1, "I"), "", false, true},  // format 9801
        {{}, std::string(valid).replace(4, 1, "\1"), "", false, true}, // 9800 + 2^32
        {{},
         std::string(valid).replace(8, 1, 1, 0),
         "",
         true,
         true}, // silentfix 0 resets everything
        {{}, valid, valid, false, false},
        {{u"x", u"-SC"}, valid, valid, false, false},  // only the first argument counts
        {{u"-sC"}, "foreign", "foreign", false, true}, // nothing read, nothing written
    };
    for (const auto& r : rows) {
        env e;
        e.form1.CheckBox3.checked = false, e.form1.CheckBox2.checked = true;
        e.c.cfg = {}, e.c.vaname.clear(); // as the program starts
        const auto file = e.t.path() / "brellian_gui.cnf";
        if (!r.before.empty()) testutil::writefile(file, r.before);
        e.c.args = r.args;
        checker::loadcfg(e.c);
        const bool off = !r.args.empty() && r.args[0] != u"x";
        EXPECT_EQ(testutil::readfile(file),
                  r.after.empty() ? withroot(defaults, e.t.u16() + u"/") : r.after);
        EXPECT_EQ(e.form1.CheckBox3.checked, r.keep);
        EXPECT_EQ(e.form1.CheckBox2.checked, r.skip);
        EXPECT_EQ(u8(e.c.vaname), off ? "" : r.after == valid ? "Сборник" : "VA");
        EXPECT_EQ(e.c.cfg == checker::cfgrec{}, off);
        e.c.cfg.keepdirnames = 1;
        EXPECT_EQ(checker::savecfg(e.c), !off); // a later save keeps to the switch
    }
}
