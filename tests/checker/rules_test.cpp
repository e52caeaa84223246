// The checker's rules on their own, one row per case, where whole runs would
// need a folder per case: names and years, track numbers, the operation that
// decides how a report line is drawn, the random order's generator.
#include "analysis.h"
#include "env.h"
#include "names.h"
#include "personal.h"
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
template <typename F>
std::string num(F f, const std::u16string& s) {
    std::int32_t n = 9;
    f(s, n);
    return std::to_string(n);
}
std::string clean(std::u16string s) {
    checkertest::env e;
    cleanname(e.c, s);
    return u8(s) + (e.form1.ListView1.items.empty() ? "" : " +line");
}
// A folder name split into artist and album, the year taken out of both.
std::string parts(const std::u16string& name, const std::u16string& year) {
    std::u16string a, b;
    splitdirname(name, a, b);
    stripyear(a, b, year);
    return u8(a + u"|" + b);
}
// Line 5 has an older operation switched on and a newer one switched off.
std::string findop5(std::int32_t line) {
    checkertest::env e;
    for (auto p : {u"old", u"new", u"other"})
        addop(e.c.plannedops, write_tag, p[0] == u'o', p, u"", u"", u"", u"", u"",
              p[1] == u't' ? 7 : 5, false, u"", u"", u"");
    bool perform = true, undo = true;
    opcodeset code = rename_dir;
    const oplist* o = findop(e.c, line, perform, undo, code);
    return (o ? u8(o->pathname) : "none") + (perform ? " on " : " off ") + std::to_string(code);
}

} // namespace

TEST(Rules, Table) {
    randomgen g{0};
    const std::u16string next = testutil::u16(std::to_string(platform::today().year + 1));
    const std::pair<std::string, std::string> rows[] = {
        {clean(u"a\"b*c/d:e;f<g>h?i\\j|k\1"), "a.b.c.d.e.f.g.h.i.j.k +line"},
        {clean(u"\t\r\n"), "_ +line"},
        {u8(cut45(u"Кино - Группа крови - 1988 - Remastered Deluxe Edition")),
         "Кино - Группа крови - 1988 - Remastered Delux"},
        {each({u"Album (1999)", u"1234 Album 1999", u"12345 Album 1999", u"Album (1899)",
               u"Live.1999.05.12", u"Альбом_1988г", u"A " + next},
              [](auto& s) { return u8(yearfromname(s)); }),
         "1999,,1999,,1999,1988,"},
        {parts(u"A - B - C (2001) - D", u"") + "," + parts(u"A - B", u"") + "," +
             parts(u"Artist  - Album [x]", u""),
         "A|B - C,A - B|,Artist|Album"},
        {parts(u"1999 - Album", u"1999") + "," + parts(u"Artist [1999] - Album", u"1999") + "," +
             parts(u"X - Live - 1999", u"1999"),
         "|Album,Artist |Album,X|Live"},
        {parts(u"Live 12.05.1999 - 1999.2 Set", u"1999") + "," +
             parts(u"Hits 99 (Best) - xy", u"99"),
         "Live 12.05.1999|1999.2 Set,Hits  (Best)|xy"},
        {each({u"0", u"1", u"2", u"5", u"11", u"21", u"22", u"111"},
              [](auto& n) { return u8(trackword(std::stoi(u8(n)))); }),
         "ов,,а,ов,ов,,а,ов"},
        {each({u"01 - Intro.mp3", u"Track07.mp3", u"Track7.mp3", u"7 - Song.mp3", u"7_Song.mp3",
               u"2011 Song.mp3", u"1-01 Song.mp3", u"12", u"12a", u"０１ x"},
              [](auto& s) { return num(filenumber, s); }),
         "1,7,-1,7,-1,-1,1,-1,12,-1"},
        {each({u"3/12", u" 4 ", u"-2", u"+5", u"2147483647", u"2147483648", u"18446744073709551621",
               u"a4", u"", u"٣"},
              [](auto& s) { return num(trnoval, s); }),
         "3,4,-2,5,2147483647,0,0,0,0,0"},
        {each({u"101 Song", u"Song 1999", u"12 Song", u"Song101"},
              [](auto& s) { return has3digits(s) ? "y" : "n"; }),
         "y,n,n,n"},
        {findop5(5) + "," + findop5(6), "new off 1,none off 0"},
        {each({u"1", u"2", u"3", u"4", u"5"}, [&](auto&) { return std::to_string(g.next(1000)); }),
         "0,31,861,202,272"},
    };
    for (const auto& [got, want] : rows) EXPECT_EQ(got, want);
}
