// The lookup's text rules and its two windows, without a server.
#include <gtest/gtest.h>

#include <cstdlib>

#include "discogs.h"
#include "testutil.h"

using namespace lookup;
using nlohmann::json;

TEST(SearchUrl, PartsStandInOrderJoinedByAmpersands) {
    const std::u16string b = u"http://h";
    EXPECT_EQ(searchurl(b, u"", u"", u""), u"http://h/database/search?type=release");
    EXPECT_EQ(searchurl(b, u"A", u"", u""), u"http://h/database/search?artist=A&type=release");
    EXPECT_EQ(searchurl(b, u"", u"B", u""), u"http://h/database/search?title=B&type=release");
    EXPECT_EQ(searchurl(b, u"A", u"B", u"1999"),
              u"http://h/database/search?artist=A&title=B&year=1999&type=release");
    EXPECT_EQ(searchurl(b, u"A", u"", u"1999"),
              u"http://h/database/search?artist=A&year=1999&type=release");
}

TEST(SearchUrl, EncodingKeepsUnreservedBytesOnly) {
    EXPECT_EQ(encodequery(u"Az09!$'()*-._@"), u"Az09!$'()*-._@");
    EXPECT_EQ(encodequery(u"a b"), u"a+b");
    EXPECT_EQ(encodequery(u"&=+/?#%~,;:\""), u"%26%3D%2B%2F%3F%23%25%7E%2C%3B%3A%22");
    EXPECT_EQ(encodequery(u"Ё"), u"%D0%81");
    EXPECT_EQ(encodequery(u"\U0001F3B5"), u"%F0%9F%8E%B5"); // a surrogate pair, one character
    EXPECT_EQ(encodequery(std::u16string(1, u'\xD800')), u"%EF%BF%BD"); // a lone surrogate
    EXPECT_EQ(encodequery(std::u16string(u"\t\0", 2)), u"%09%00");
}

TEST(SearchUrl, BaseFromTheEnvironment) {
    unsetenv("VORLINDE_DISCOGS_URL");
    EXPECT_EQ(discogsbase(), u"http://api.discogs.com");
    setenv("VORLINDE_DISCOGS_URL", "http://127.0.0.1:8080/", 1);
    EXPECT_EQ(discogsbase(), u"http://127.0.0.1:8080");
    unsetenv("VORLINDE_DISCOGS_URL");
}

TEST(ArtistRules, TrimArtistIndexRemovesTheFirstSingleDigitIndex) {
    struct c {
        std::u16string in, out;
    };
    const c cases[] = {
        {u"Ravens (2)", u"Ravens"},
        {u"Ravens (12)", u"Ravens (12)"},
        {u"(1)(2)", u"(2)"},
        {u"  Two  (3)  Blanks ", u"  Two    Blanks"}, // inner and leading blanks stay
        {u"Cut (4) here\tand gone", u"Cut  here"},
        {u"No index ", u"No index "}, // nothing found: nothing trimmed
        {u"(x) (5", u"(x) (5"},
        {u"(", u"("},
        {u"", u""},
    };
    for (const c& t : cases) {
        std::u16string s = t.in;
        trimartistindex(s);
        EXPECT_EQ(s, t.out) << testutil::u8(t.in);
    }
}

TEST(ArtistRules, TheArticleMovesFrontBeforeTheIndexGoes) {
    struct c {
        std::u16string in, out;
    };
    const c cases[] = {
        {u"Ravens, The", u"The Ravens"},
        {u"Ravens, The (2)", u"Ravens, The"},
        {u"Ravens (2), The", u"The Ravens"},
        {u"Vale, Theo", u"Vale, Theo"},
        {u"Ravens, the", u"Ravens, the"}, // case-sensitive
        {u", The", u"The "},
    };
    for (const c& t : cases) {
        std::u16string s = t.in;
        artistrules(s);
        EXPECT_EQ(s, t.out) << testutil::u8(t.in);
    }
}

TEST(Template, MembersReadAsText) {
    json e = json::parse(R"({"s": "Лес", "n": 1999, "f": 2.5, "neg": -3, "t": true, "z": null,
        "a": ["CD", {"q": 1}], "o": {"k": "v"}, "e": ""})");
    EXPECT_EQ(membertext(e, "s"), u"Лес");
    EXPECT_EQ(membertext(e, "n"), u"1999");
    EXPECT_EQ(membertext(e, "f"), u"2.5");
    EXPECT_EQ(membertext(e, "neg"), u"-3");
    EXPECT_EQ(membertext(e, "t"), u"true");
    EXPECT_EQ(membertext(e, "z"), u"null");
    EXPECT_EQ(membertext(e, "a"), u"[\"CD\",{\"q\":1}]");
    EXPECT_EQ(membertext(e, "o"), u"{\"k\":\"v\"}");
    EXPECT_EQ(membertext(e, "e"), u"");
    EXPECT_EQ(membertext(e, "missing"), u"");
    EXPECT_EQ(membertext(json::parse("[1]"), "s"), u"");
    EXPECT_EQ(membertext(json::parse("\"s\""), "s"), u"");
}

TEST(Template, ExpansionReplacesPercentDelimitedNames) {
    json e = json::parse(R"({"title": "T", "year": 2001, "format": ["LP"], "position": "A1"})");
    EXPECT_EQ(expand(e, u"%title% (%year%) %format%"), u"T (2001) [\"LP\"]");
    EXPECT_EQ(expand(e, u"%title% #%position%"), u"T #A1");
    EXPECT_EQ(expand(e, u"%name%"), u"");
    EXPECT_EQ(expand(e, u"no names"), u"no names");
    EXPECT_EQ(expand(e, u"50% of %title"), u"50title"); // "% of %" names a missing member
    EXPECT_EQ(expand(e, u"%%%title%"), u"T");
}

TEST(Windows, TheWaitWindowAndTheChooserLookAndBehave) {
    forms::TForm6 f6;
    EXPECT_EQ(f6.name(), u"Form6");
    EXPECT_EQ(f6.caption, u"Wait");
    EXPECT_EQ(f6.width, 288);
    EXPECT_EQ(f6.height, 84);
    EXPECT_FALSE(f6.closebox);
    EXPECT_FALSE(f6.sizeable);
    EXPECT_TRUE(f6.centred);
    EXPECT_FALSE(f6.visible);
    EXPECT_TRUE(f6.Panel1.caption.ends_with(u"...") &&
                f6.Panel1.caption.find(u"Discogs") != std::u16string::npos);
    EXPECT_FALSE(f6.ComboBox1.visible);
    EXPECT_EQ(f6.ComboBox1.parent, &f6.Panel1);
    EXPECT_EQ(f6.find(u"ComboBox1"), &f6.ComboBox1);

    forms::TForm7 f7;
    EXPECT_EQ(f7.name(), u"Form7");
    EXPECT_EQ(f7.width, 546);
    EXPECT_EQ(f7.height, 136);
    EXPECT_NE(f7.caption.find(u"Discogs"), std::u16string::npos);
    EXPECT_EQ(f7.Label1.caption, u"Найдено:");
    EXPECT_EQ(f7.Label2.caption, u"Берем?");
    EXPECT_EQ(f7.ComboBox1.width, 428);
    EXPECT_TRUE(f7.ComboBox1.editable);
    EXPECT_EQ(f7.fontname, u"Tahoma");
    EXPECT_LT(f7.Label1.left + f7.Label1.width, f7.ComboBox1.left);
    EXPECT_GT(f7.Label2.left, f7.ComboBox1.left + f7.ComboBox1.width);
    EXPECT_EQ(f7.Button1.caption, u"Ok");
    EXPECT_EQ(f7.Button2.caption, u"Cancel");
    f7.click(f7.Button2);
    EXPECT_EQ(f7.modalresult, forms::mrCancel);
    f7.click(f7.Button1);
    EXPECT_EQ(f7.modalresult, forms::mrOk);

    // Picking a line keeps it selected; editing the text deselects it.
    f7.ComboBox1.items = {u"a", u"b"};
    f7.ComboBox1.itemindex = 1;
    f7.settext(f7.ComboBox1, u"b");
    EXPECT_EQ(f7.ComboBox1.itemindex, 1);
    f7.settext(f7.ComboBox1, u"bx");
    EXPECT_EQ(f7.ComboBox1.itemindex, -1);
}
