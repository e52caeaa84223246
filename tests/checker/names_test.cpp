#include <gtest/gtest.h>

#include <string>

#include "checkerenv.h"
#include "names.h"
#include "platform.h"

using namespace checker;

namespace {

std::u16string number(int n) {
    std::u16string s;
    for (char ch : std::to_string(n)) s += static_cast<char16_t>(ch);
    return s;
}

std::pair<std::u16string, std::u16string> split(const std::u16string& name) {
    std::u16string artist = u"junk", album = u"junk";
    splitdirname(name, artist, album);
    return {artist, album};
}

std::pair<std::u16string, std::u16string> strip(std::u16string artist, std::u16string album,
                                                const std::u16string& year) {
    stripyear(artist, album, year);
    return {artist, album};
}

std::u16string cut(const std::u16string& s, std::u16string title) {
    cutname(s, title);
    return title;
}

void addfiles(checker::context& c, std::initializer_list<const char16_t*> files) {
    for (auto f : files) addtrack(c.tracks, c.trackcount, f, u"", u"", u"", u"", u"", u"", u"");
}

using pair = std::pair<std::u16string, std::u16string>;

} // namespace

TEST(CleanName, UnsafeCharactersBecomeDotsWithoutALine) {
    checkerenv e;
    std::u16string s = u"a\"b*c/d:e;f<g>h?i\\j|k";
    cleanname(e.c, s);
    EXPECT_EQ(s, u"a.b.c.d.e.f.g.h.i.j.k");
    std::u16string acdc = u"AC/DC - Why? (1999)";
    cleanname(e.c, acdc);
    EXPECT_EQ(acdc, u"AC.DC - Why. (1999)");
    // Look-alikes and other punctuation stay.
    std::u16string other = u"Ёлка ‐ «Тень» & Co. ∕ 1.0 #!%";
    const std::u16string before = other;
    cleanname(e.c, other);
    EXPECT_EQ(other, before);
    std::u16string empty;
    cleanname(e.c, empty);
    EXPECT_EQ(empty, u"");
    EXPECT_TRUE(e.lines().empty());
}

TEST(CleanName, ControlCharactersGoWithOneLineAtTheEnd) {
    checkerenv e;
    addline(e.c, u"/music/A");
    std::u16string s = std::u16string(u"A") + u'\0' + u"B";
    cleanname(e.c, s);
    EXPECT_EQ(s, u"AB");
    ASSERT_EQ(e.lines().size(), 2u);
    EXPECT_EQ(e.lines()[1], u"  extra #0s in tag");

    // Every control character, mixed with unsafe ones: one line only.
    std::u16string all = u"x";
    for (char16_t ch = 0; ch < 0x20; ++ch) all += ch, all += u':';
    cleanname(e.c, all);
    EXPECT_EQ(all, u"x" + std::u16string(32, u'.'));
    EXPECT_EQ(e.lines().size(), 3u);
    // DEL and no-break space are no control characters here.
    std::u16string del = u"a\u007f\u00a0b";
    cleanname(e.c, del);
    EXPECT_EQ(del, u"a\u007f\u00a0b");
    EXPECT_EQ(e.lines().size(), 3u);
}

TEST(CleanName, ANameOfControlCharactersOnlyBecomesAnUnderscore) {
    checkerenv e;
    for (std::u16string s :
         {std::u16string(2, u'\0'), std::u16string(u"\t\r\n"), std::u16string(1, u'\x1f')}) {
        cleanname(e.c, s);
        EXPECT_EQ(s, u"_");
    }
    // A single control character left after a real one is simply deleted.
    std::u16string tail = std::u16string(u"A") + u'\0' + u'\0';
    cleanname(e.c, tail);
    EXPECT_EQ(tail, u"A");
    std::u16string lead = std::u16string(1, u'\0') + u"A";
    cleanname(e.c, lead);
    EXPECT_EQ(lead, u"A");
    EXPECT_EQ(e.lines(), std::vector<std::u16string>(5, u"  extra #0s in tag"));
}

TEST(NameRules, HeadlinesAndYearFields) {
    const std::u16string cyr45(45, u'Ж');
    EXPECT_EQ(cut45(cyr45), cyr45);
    EXPECT_EQ(cut45(cyr45 + u"Ы"), cyr45);
    EXPECT_EQ(cut45(u"short"), u"short");

    for (auto s : {u"", u"0", u"0000", u"99", u"1999"})
        EXPECT_TRUE(yearok(s)) << platform::utf16to8(s);
    // Fullwidth and Arabic-Indic digits are no digits.
    for (auto s : {u"19 9", u"-1", u"20001", u"199a", u" 199", u"１９９９", u"١٩٩٩"})
        EXPECT_FALSE(yearok(s)) << platform::utf16to8(s);
}

TEST(YearFromName, TheFirstFourDigitRunDecides) {
    EXPECT_EQ(yearfromname(u"Album (1999)"), u"1999");
    EXPECT_EQ(yearfromname(u"1900 - Old"), u"1900");
    EXPECT_EQ(yearfromname(u"Album (1899)"), u"");
    EXPECT_EQ(yearfromname(u"Album (2101)"), u"");
    EXPECT_EQ(yearfromname(u"Album 99"), u"");
    // A rejected first candidate is not followed by a later one.
    EXPECT_EQ(yearfromname(u"1234 Album 1999"), u"");
    EXPECT_EQ(yearfromname(u"Best 1080 2001"), u"");
    // Shorter and longer runs are skipped.
    EXPECT_EQ(yearfromname(u"12345 Album 1999"), u"1999");
    EXPECT_EQ(yearfromname(u"Vol. 2 (199) 2003"), u"2003");
    EXPECT_EQ(yearfromname(u"1999-2001"), u"1999");
    EXPECT_EQ(yearfromname(u"Live.1999.05.12"), u"1999");
    EXPECT_EQ(yearfromname(u"Альбом_1988г"), u"1988");
    EXPECT_EQ(yearfromname(u"Album (１９９９)"), u"");
    EXPECT_EQ(yearfromname(u""), u"");
}

TEST(YearFromName, YearsUpToTodaysYearOnly) {
    const int now = platform::today().year;
    EXPECT_EQ(yearfromname(u"Album (" + number(now) + u")"), number(now));
    EXPECT_EQ(yearfromname(u"Album (" + number(now - 1) + u")"), number(now - 1));
    EXPECT_EQ(yearfromname(u"Album (" + number(now + 1) + u")"), u"");
    EXPECT_EQ(yearfromname(u"Album (2099)"), now >= 2099 ? u"2099" : u"");
}

TEST(SplitDirName, TheFirstSeparatorWithTwoCharactersAfterIt) {
    EXPECT_EQ(split(u"Artist - Album"), (pair{u"Artist", u"Album"}));
    EXPECT_EQ(split(u"Artist - Album (1999) [FLAC]"), (pair{u"Artist", u"Album"}));
    EXPECT_EQ(split(u"Artist - Album [FLAC] (1999)"), (pair{u"Artist", u"Album"}));
    EXPECT_EQ(split(u"Artist - Live - 2001"), (pair{u"Artist", u"Live - 2001"}));
    EXPECT_EQ(split(u"A - B - C (2001) - D"), (pair{u"A", u"B - C"}));
    EXPECT_EQ(split(u"Artist  - Album "), (pair{u"Artist", u"Album"}));
    EXPECT_EQ(split(u"Artist -  Album"), (pair{u"Artist", u" Album"})); // leading blanks stay
    EXPECT_EQ(split(u"Artist - (Live)"), (pair{u"Artist", u""}));
    EXPECT_EQ(split(u" - Album"), (pair{u"", u"Album"}));
    EXPECT_EQ(split(u"Кино - Группа крови"), (pair{u"Кино", u"Группа крови"}));
    // Two characters after the separator are enough, one is not.
    EXPECT_EQ(split(u"AB - CD"), (pair{u"AB", u"CD"}));
    EXPECT_EQ(split(u"A - B"), (pair{u"A - B", u""}));
    EXPECT_EQ(split(u"Artist - B"), (pair{u"Artist - B", u""}));
    // No separator: the whole name, trimmed, is the artist.
    EXPECT_EQ(split(u"Artist -Album"), (pair{u"Artist -Album", u""}));
    EXPECT_EQ(split(u"Artist\t-\tAlbum  "), (pair{u"Artist\t-\tAlbum", u""}));
    EXPECT_EQ(split(u""), (pair{u"", u""}));
}

TEST(StripYear, TheYearLeavesBothPartsWithItsBrackets) {
    EXPECT_EQ(strip(u"Artist", u"1999 - Album", u"1999"), (pair{u"Artist", u"Album"}));
    EXPECT_EQ(strip(u"1999", u"Album", u"1999"), (pair{u"", u"Album"}));
    EXPECT_EQ(strip(u"Album (1999)", u"x", u"1999"), (pair{u"Album ", u"x"}));
    EXPECT_EQ(strip(u"A", u"Album [1999] (Live)", u"1999"), (pair{u"A", u"Album  (Live)"}));
    // The first "()" left anywhere goes, not only the year's own.
    EXPECT_EQ(strip(u"A", u"Album () (1999)", u"1999"), (pair{u"A", u"Album  ()"}));
    // Only the first occurrence of the year.
    EXPECT_EQ(strip(u"A", u"1999 - 1999", u"1999"), (pair{u"A", u"1999"}));
    // A year touching a dot is a date and stays.
    EXPECT_EQ(strip(u"Live 12.05.1999", u"1999.2", u"1999"), (pair{u"Live 12.05.1999", u"1999.2"}));
    EXPECT_EQ(strip(u"Live 1999. Moscow", u"x", u"1999"), (pair{u"Live 1999. Moscow", u"x"}));
    // Nothing to strip.
    EXPECT_EQ(strip(u"Artist", u"Album (1999)", u""), (pair{u"Artist", u"Album (1999)"}));
    EXPECT_EQ(strip(u"Artist", u"Album (1999)", u"2001"), (pair{u"Artist", u"Album (1999)"}));
    // A short tag year takes only its own characters.
    EXPECT_EQ(strip(u"Hits 99 (Best)", u"x", u"99"), (pair{u"Hits  (Best)", u"x"}));
}

TEST(NameRules, TitlesFromFileNamesAndBlanks) {
    EXPECT_EQ(filetitle(u"01 Song.mp3"), u"01 Song");
    EXPECT_EQ(filetitle(u"a.b.mp3"), u"a.b");
    EXPECT_EQ(filetitle(u".mp3"), u"");
    EXPECT_EQ(filetitle(u"README"), u"README");
    // ":" and "\" are ordinary characters of a Linux file name.
    EXPECT_EQ(filetitle(u"Live: Intro.mp3"), u"Live: Intro");
    EXPECT_EQ(filetitle(u"AC\\DC.mp3"), u"AC\\DC");
    EXPECT_EQ(filetitle(u"/music/v1.0/track"), u"/music/v1.0/track");

    std::u16string s = u"  A \tB\u00a0 ";
    rtrimsp(s);
    EXPECT_EQ(s, u"  A \tB\u00a0");
    nospaces(s);
    EXPECT_EQ(s, u"A\tB\u00a0");
    std::u16string blanks = u"   ";
    rtrimsp(blanks);
    EXPECT_EQ(blanks, u"");
    EXPECT_EQ(underscores(u" Best Band "), u"_Best_Band_");
    EXPECT_EQ(underscores(u"Tab\tNo"), u"Tab\tNo");
}

TEST(NamesInFiles, CaseBlindAlsoForCyrillic) {
    checkerenv e;
    EXPECT_TRUE(inallnames(e.c, u"anything")); // no tracks
    EXPECT_TRUE(inallnames(e.c, u""));
    addfiles(e.c, {u"01 ЗВЕРИ - Районы.mp3", u"02 Звери - Дожди.mp3", u"03 звери_-_Всё.mp3"});
    EXPECT_TRUE(inallnames(e.c, u"звери"));
    EXPECT_TRUE(inallnames(e.c, u"ЗвЕрИ"));
    EXPECT_FALSE(inallnames(e.c, u"Районы"));
    EXPECT_FALSE(inallnames(e.c, u"")); // the empty text occurs in no name
    EXPECT_TRUE(inallnames(e.c, u".MP3"));
    // Ё and Е are different letters.
    addfiles(e.c, {u"04 Звёри.mp3"});
    EXPECT_FALSE(inallnames(e.c, u"звери"));
}

TEST(NamesInFiles, UnderscoreFormsAreTestedOnlyWhenTheyDiffer) {
    checkerenv e;
    addfiles(e.c, {u"Best_Band_-_Intro.mp3", u"best_band_-_Outro.mp3"});
    bool a = false, b = false, aus = false, bus = false;
    namesinfiles(e.c, u"Best Band", u"Intro", a, b, aus, bus);
    EXPECT_FALSE(a);
    EXPECT_FALSE(b);
    EXPECT_TRUE(aus);
    EXPECT_FALSE(bus);

    // No blank: the underscore form is not asked, although the name occurs.
    a = b = aus = bus = true;
    namesinfiles(e.c, u"Best_Band", u"", a, b, aus, bus);
    EXPECT_TRUE(a);
    EXPECT_FALSE(b);
    EXPECT_FALSE(aus);
    EXPECT_FALSE(bus);
}

TEST(CutName, RemovesTheFirstOccurrenceAndTheSeparatorAfterIt) {
    EXPECT_EQ(cut(u"Artist", u"artist - Song"), u"Song");
    EXPECT_EQ(cut(u"Best_Band", u"Best_Band_-_Intro"), u"Intro");
    EXPECT_EQ(cut(u"Artist", u"Song - Artist"), u"Song - ");
    EXPECT_EQ(cut(u"Artist", u"Artist - Artist - Song"), u"Artist - Song");
    EXPECT_EQ(cut(u"звери", u"ЗВЕРИ - Дожди"), u"Дожди");
    EXPECT_EQ(cut(u"Artist", u"Artist-Song"), u"-Song");
    EXPECT_EQ(cut(u"Artist", u"Artist"), u"");
    EXPECT_EQ(cut(u"Artist", u"Artist -"), u" -");
    EXPECT_EQ(cut(u"", u"Song"), u"Song");
    EXPECT_EQ(cut(u"Other", u"Song"), u"Song");
}

TEST(CutName, CleantitleStripsArtistAndAlbumFoundInEveryName) {
    checkerenv e;
    e.c.dirartist = u"Кино";
    e.c.diralbum = u"Группа крови";
    addfiles(e.c, {u"Кино - Группа крови - 01 Группа крови.mp3",
                   u"КИНО - ГРУППА КРОВИ - 02 Закрой за мной дверь.mp3"});
    bool a, b, aus, bus;
    namesinfiles(e.c, e.c.dirartist, e.c.diralbum, a, b, aus, bus);
    ASSERT_TRUE(a && b && !aus && !bus);
    std::u16string t1 = filetitle(u"Кино - Группа крови - Звезда.mp3");
    cleantitle(e.c, a, b, aus, bus, t1);
    EXPECT_EQ(t1, u"Звезда");

    e.c.dirartist = u"Best Band";
    e.c.diralbum = u"Live Set";
    std::u16string t2 = u"Best_Band_-_Live_Set_-_Intro";
    cleantitle(e.c, false, false, true, true, t2);
    EXPECT_EQ(t2, u"Intro");
    std::u16string t3 = u"Best Band - Intro";
    cleantitle(e.c, false, false, false, false, t3);
    EXPECT_EQ(t3, u"Best Band - Intro");
}

TEST(PathHelpers, LastdirAndParentdirSplitAtTheLastSlash) {
    // A backslash is part of a name on Linux.
    for (const auto& [path, want] : std::vector<std::pair<std::u16string, pair>>{
             {u"/music/Кино - Звезда (1989)", {u"/music/", u"Кино - Звезда (1989)"}},
             {u"name", {u"", u"name"}},
             {u"/music/", {u"/music/", u""}},
             {u"/", {u"/", u""}},
             {u"/top", {u"/", u"top"}},
             {u"/music/AC\\DC", {u"/music/", u"AC\\DC"}}})
        EXPECT_EQ((pair{parentdir(path), lastdir(path)}), want) << platform::utf16to8(path);
    const std::u16string p = u"/a/b/c";
    EXPECT_EQ(parentdir(p) + lastdir(p), p);
}
