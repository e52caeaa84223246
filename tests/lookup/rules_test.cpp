// The lookup's text rules and its two windows, without a server.
#include <gtest/gtest.h>

#include <cstdlib>

#include "discogs.h"
#include "testutil.h"

using namespace lookup;
using nlohmann::json;

TEST(SearchUrl, PartsStandInOrderEncodedKeepingUnreservedBytesOnly) {
    const std::u16string q = u"http://h/database/search?";
    EXPECT_EQ(searchurl(u"http://h", u"", u"", u""), q + u"type=release");
    EXPECT_EQ(searchurl(u"http://h", u"A", u"", u""), q + u"artist=A&type=release");
    EXPECT_EQ(searchurl(u"http://h", u"", u"B", u""), q + u"title=B&type=release");
    EXPECT_EQ(searchurl(u"http://h", u"A", u"B", u"1999"),
              q + u"artist=A&title=B&year=1999&type=release");
    EXPECT_EQ(searchurl(u"http://h", u"A", u"", u"1999"), q + u"artist=A&year=1999&type=release");

    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"Az09!$'()*-._@", u"Az09!$'()*-._@"},
        {u"a b", u"a+b"},
        {u"&=+/?#%~,;:\"", u"%26%3D%2B%2F%3F%23%25%7E%2C%3B%3A%22"},
        {u"Ё", u"%D0%81"},
        {u"\U0001F3B5", u"%F0%9F%8E%B5"},             // a surrogate pair, one character
        {std::u16string(1, u'\xD800'), u"%EF%BF%BD"}, // a lone surrogate
        {std::u16string(u"\t\0", 2), u"%09%00"}};
    for (const auto& [in, out] : cases) EXPECT_EQ(encodequery(in), out) << testutil::u8(out);
}

TEST(SearchUrl, BaseFromTheEnvironment) {
    unsetenv("VORLINDE_DISCOGS_URL");
    EXPECT_EQ(discogsbase(), u"http://api.discogs.com");
    setenv("VORLINDE_DISCOGS_URL", "http://127.0.0.1:8080/", 1);
    EXPECT_EQ(discogsbase(), u"http://127.0.0.1:8080");
    unsetenv("VORLINDE_DISCOGS_URL");
}

TEST(ArtistRules, TheFirstSingleDigitIndexGoesAfterTheArticleMovesFront) {
    const struct {
        void (*rule)(std::u16string&);
        std::u16string in, out;
    } cases[] = {
        {trimartistindex, u"Ravens (2)", u"Ravens"},
        {trimartistindex, u"Ravens (12)", u"Ravens (12)"},
        {trimartistindex, u"(1)(2)", u"(2)"},
        {trimartistindex, u"  Two  (3)  Blanks ", u"  Two    Blanks"}, // inner, leading blanks stay
        {trimartistindex, u"Cut (4) here\tand gone", u"Cut  here"},
        {trimartistindex, u"No index ", u"No index "}, // nothing found: nothing trimmed
        {trimartistindex, u"(x) (5", u"(x) (5"},
        {trimartistindex, u"(", u"("},
        {trimartistindex, u"", u""},
        {artistrules, u"Ravens, The", u"The Ravens"},
        {artistrules, u"Ravens, The (2)", u"Ravens, The"},
        {artistrules, u"Ravens (2), The", u"The Ravens"},
        {artistrules, u"Vale, Theo", u"Vale, Theo"},
        {artistrules, u"Ravens, the", u"Ravens, the"}, // case-sensitive
        {artistrules, u", The", u"The "},
    };
    for (const auto& c : cases) {
        std::u16string s = c.in;
        c.rule(s);
        EXPECT_EQ(s, c.out) << testutil::u8(c.in);
    }
}

TEST(Template, MembersReadAsTextAndExpandBetweenPercents) {
    json e = json::parse(R"({"s": "Лес", "n": 1999, "f": 2.5, "neg": -3, "t": true, "z": null,
        "a": ["CD", {"q": 1}], "o": {"k": "v"}, "e": ""})");
    const std::pair<const char*, std::u16string> members[] = {{"s", u"Лес"},
                                                              {"n", u"1999"},
                                                              {"f", u"2.5"},
                                                              {"neg", u"-3"},
                                                              {"t", u"true"},
                                                              {"z", u"null"},
                                                              {"a", u"[\"CD\",{\"q\":1}]"},
                                                              {"o", u"{\"k\":\"v\"}"},
                                                              {"e", u""},
                                                              {"missing", u""}};
    for (const auto& [name, text] : members) EXPECT_EQ(membertext(e, name), text) << name;
    EXPECT_EQ(membertext(json::parse("[1]"), "s"), u"");
    EXPECT_EQ(membertext(json::parse("\"s\""), "s"), u"");

    e = json::parse(R"({"title": "T", "year": 2001, "format": ["LP"], "position": "A1"})");
    const std::pair<std::u16string, std::u16string> templates[] = {
        {u"%title% (%year%) %format%", u"T (2001) [\"LP\"]"},
        {u"%title% #%position%", u"T #A1"},
        {u"%name%", u""},
        {u"no names", u"no names"},
        {u"50% of %title", u"50title"}, // "% of %" names a missing member
        {u"%%%title%", u"T"}};
    for (const auto& [t, out] : templates) EXPECT_EQ(expand(e, t), out) << testutil::u8(t);
}

TEST(Windows, TheWaitWindowAndTheChooserLookAndBehave) {
    forms::TForm6 f6;
    EXPECT_EQ(f6.name(), u"Form6");
    EXPECT_EQ(f6.caption, u"Wait");
    EXPECT_EQ(std::pair(f6.width, f6.height), std::pair(288, 84));
    EXPECT_FALSE(f6.closebox || f6.sizeable || f6.visible);
    EXPECT_TRUE(f6.centred);
    EXPECT_TRUE(f6.Panel1.caption.ends_with(u"...") &&
                f6.Panel1.caption.find(u"Discogs") != std::u16string::npos);
    EXPECT_FALSE(f6.ComboBox1.visible);
    EXPECT_EQ(f6.ComboBox1.parent, &f6.Panel1);
    EXPECT_EQ(f6.find(u"ComboBox1"), &f6.ComboBox1);

    forms::TForm7 f7;
    EXPECT_EQ(f7.name(), u"Form7");
    EXPECT_EQ(std::pair(f7.width, f7.height), std::pair(546, 136));
    EXPECT_NE(f7.caption.find(u"Discogs"), std::u16string::npos);
    EXPECT_EQ(f7.Label1.caption + f7.Label2.caption, u"Найдено:Берем?");
    EXPECT_EQ(f7.ComboBox1.width, 428);
    EXPECT_TRUE(f7.ComboBox1.editable);
    EXPECT_EQ(f7.fontname, u"Tahoma");
    EXPECT_LT(f7.Label1.left + f7.Label1.width, f7.ComboBox1.left);
    EXPECT_GT(f7.Label2.left, f7.ComboBox1.left + f7.ComboBox1.width);
    EXPECT_EQ(f7.Button1.caption + f7.Button2.caption, u"OkCancel");
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
