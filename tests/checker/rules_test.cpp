// Rules where whole runs would need a folder per case: names and years, track
// numbers, the operation deciding a line's look; the settings file's bytes.
#include "env.h"
#include "names.h"
#include "tracknumbers.h"

using namespace checker;
using checkertest::u8;

namespace {

// Each text through f, "," between.
template <typename F>
std::string each(std::initializer_list<std::u16string> l, F f) {
    std::string s;
    for (const auto& x : l) s += (s.empty() ? "" : ",") + std::string(f(x));
    return s;
}
std::string num(void (*f)(const std::u16string&, std::int32_t&), const std::u16string& s) {
    std::int32_t n = 9;
    f(s, n);
    return std::to_string(n);
}
std::string clean(std::u16string s) {
    checkertest::env e;
    cleanname(e.c, s);
    return u8(s) + (e.form1.ListView1.items.empty() ? "" : " +line");
}
// A folder name split into artist and album, the year 1999 taken out of both.
std::string parts(const std::u16string& name) {
    std::u16string a, b;
    splitdirname(name, a, b);
    stripyear(a, b, u"1999");
    return u8(a + u"|" + b);
}
// Line 5 has an older operation switched on and a newer one switched off.
std::string findop5(std::int32_t line) {
    checkertest::env e;
    for (auto p : {u"old", u"new"})
        addop(e.c.plannedops, write_tag, p[0] == u'o', p, u"", u"", u"", u"", u"", 5, false, u"",
              u"", u"");
    bool perform = true, undo = true;
    opcodeset code = rename_dir;
    const oplist* o = findop(e.c, line, perform, undo, code);
    return (o ? u8(o->pathname) : "none") + (perform ? " on " : " off ") + std::to_string(code);
}

// The root folder's UTF-16 units from offset 272, little-endian.
std::string withroot(std::string b, const std::u16string& root) {
    for (std::size_t i = 0; i < root.size(); ++i)
        b[272 + 2 * i] = char(root[i] & 0xff), b[273 + 2 * i] = char(root[i] >> 8);
    return b;
}

} // namespace

TEST(Rules, Table) {
    const std::pair<std::string, std::string> rows[] = {
        {clean(u"a\"b*c/d:e;f<g>h?i\\j|k\1"), "a.b.c.d.e.f.g.h.i.j.k +line"},
        {clean(u"\t\r\n"), "_ +line"},
        // A leading dot would hide the folder.
        {each({u".38 Special - Wild-Eyed Southern Boys (1981)", u".. - .. (2000)", u"...", u"?. x.",
               u"\t.\n"},
              clean),
         "38 Special - Wild-Eyed Southern Boys (1981),- .. (2000),_,x.,_ +line"},
        {each({u"Album (1999)", u"1234 Album 1999", u"12345 Album 1999", u"Album (1899)",
               u"Live.1999.05.12", u"Альбом_1988г", u"Album (2099)"},
              [](auto& s) { return u8(yearfromname(s)); }),
         "1999,,1999,,1999,1988,"},
        {each({u"A - B - C (2001) - D", u"A - B", u"Artist  - Album [x]", u"1999 - Album",
               u"Artist [1999] - Album", u"X - Live - 1999", u"Live 12.05.1999 - 1999.2 Set"},
              parts),
         "A|B - C,A - B|,Artist|Album,|Album,Artist |Album,X|Live,Live 12.05.1999|1999.2 Set"},
        {each({u"01 - Intro.mp3", u"Track07.mp3", u"Track7.mp3", u"7 - Song.mp3", u"7_Song.mp3",
               u"2011 Song.mp3", u"1-01 Song.mp3", u"12", u"12a", u"０１ x"},
              [](auto& s) { return num(filenumber, s); }),
         "1,7,-1,7,-1,-1,1,-1,12,-1"},
        {each({u"3/12", u" 4 ", u"-2", u"+5", u"2147483647", u"2147483648", u"18446744073709551621",
               u"a4", u"", u"٣"},
              [](auto& s) { return num(trnoval, s); }),
         "3,4,-2,5,2147483647,0,0,0,0,0"},
        {findop5(5) + "," + findop5(6), "new off 1,none off 0"},
    };
    for (const auto& [got, want] : rows) EXPECT_EQ(got, want);
}

// Defaults for a bad file, a valid one written back whole, "-SC" turns it off.
TEST(Rules, SettingsFile) {
    // Format 9800, seven switches, "VA", the root, the iTunes flag, order 6.
    std::string defaults(2328, '\0');
    defaults.replace(0, 18, std::string("\x48\x26\0\0\0\0\0\0\1\1\1\1\1\0\0\2VA", 18));
    defaults[2320] = 1, defaults[2321] = 6;
    // Odd switches, windows-1251 text and a root with stale bytes after them.
    std::string valid = withroot(defaults, std::u16string(u"/music/Коллекция\0\0\0Q", 20));
    valid.replace(8, 18, std::string("\2\0\0\0\7\1\1\7\xD1\xE1\xEE\xF0\xED\xE8\xEA\0\0Z", 18));
    valid.replace(2320, 8, "\0\2\xA0\xA1\xA2\xA3\xA4\xA5", 8);
    valid[271] = 0x55;
    // Arguments, file before (none), after (defaults), the two boxes and name.
    const std::tuple<std::vector<std::u16string>, std::string, std::string, std::string> rows[] = {
        {{}, "", "", "-s VA"}, // the boxes are left alone
        {{}, valid.substr(0, 2327), "", "-s VA"},
        {{}, valid + '\0', "", "-s VA"},
        {{}, std::string(valid).replace(0, 1, "I"), "", "-s VA"},  // format 9801
        {{}, std::string(valid).replace(4, 1, "\1"), "", "-s VA"}, // 9800 + 2^32
        {{}, std::string(valid).replace(8, 1, 1, 0), "", "ks VA"}, // silentfix 0 resets all
        {{}, valid, valid, "-- Сборник"},
        {{u"-sC", u"-x"}, "foreign", "foreign", "-s "}, // nothing read, nothing written
    };
    for (const auto& [args, before, after, state] : rows) {
        checkertest::env e;
        e.form1.CheckBox3.checked = false, e.form1.CheckBox2.checked = true;
        e.c.cfg = {}, e.c.vaname.clear(); // as the program starts
        const auto file = e.t.path() / "brellian_gui.cnf";
        if (!before.empty()) testutil::writefile(file, before);
        e.c.args = args;
        loadcfg(e.c);
        EXPECT_EQ(testutil::readfile(file),
                  after.empty() ? withroot(defaults, e.t.u16() + u"/") : after);
        EXPECT_EQ(std::string(e.form1.CheckBox3.checked ? "k" : "-") +
                      (e.form1.CheckBox2.checked ? "s " : "- ") + u8(e.c.vaname),
                  state);
        const bool off = state == "-s ";
        EXPECT_EQ(e.c.cfg == cfgrec{}, off);
        EXPECT_EQ(savecfg(e.c), !off); // a later save keeps to the switch
    }
}

// A path reads as text name by name, so that one name's legacy bytes do not
// decide how another reads; the shown text of a report line holds only while
// the line is what it was made for.
TEST(Rules, NamesShownAsText) {
    const auto cp = [](const char* s) { return testutil::legacyname(s); };
    EXPECT_EQ(each({u"/home/José/" + cp("Кино") + u"/Ария " + cp("Герой.mp3"), u"/", u"",
                    u"/new\nline/Привет"},
                   [](const std::u16string& p) { return u8(pathtext(p)); }),
              "/home/José/Кино/Ария Герой.mp3,/,,/new?line/Привет");
    checkertest::env e;
    const std::u16string line = u"/" + cp("Кино");
    addline(e.c, line, pathtext(line));
    addline(e.c, u"-");
    EXPECT_EQ(u8(linetext(e.c, 0) + linetext(e.c, 1)), "/Кино-");
    e.form1.ListView1.items[0] = u"/x"; // written over by other means: shown as written
    EXPECT_EQ(u8(linetext(e.c, 0)), "/x");
    e.form1.ListView1.items.clear(); // the same text again, where a line showed its text
    addline(e.c, line, pathtext(line));
    e.form1.ListView1.items.clear();
    addline(e.c, line);
    EXPECT_EQ(linetext(e.c, 0), line);
}
