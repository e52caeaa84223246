// The release lookup end to end against a real HTTP server on 127.0.0.1.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "discogs.h"
#include "scriptedhost.h"
#include "testserver.h"
#include "testutil.h"

using namespace lookup;
using testutil::testserver;

namespace {

// Shaped like the service's replies (members we do not read included).
const std::string searchtwo = R"({
  "pagination": {"page": 1, "pages": 1, "per_page": 50, "items": 2, "urls": {}},
  "results": [
    {"country": "UK", "year": "1999", "format": ["CD", "Album"], "label": ["Tidewater"],
     "type": "release", "genre": ["Rock"], "id": 101, "catno": "TW 1",
     "title": "Silver Lane - Harbour Lights", "resource_url": "{base}/releases/101"},
    {"country": "US", "year": "2001", "format": ["Vinyl", "LP", "Album"],
     "type": "release", "id": 102, "title": "Silver Lane - Harbour Lights",
     "resource_url": "{base}/releases/102"}
  ]})";

const std::string release101 = R"({
  "id": 101, "status": "Accepted", "year": 1999, "title": "Harbour Lights",
  "artists": [{"name": "Silver Lane", "anv": "", "join": "", "role": "", "id": 7,
               "resource_url": "{base}/artists/7"}],
  "tracklist": [
    {"position": "1", "type_": "track", "title": "Low Tide", "duration": "3:21"},
    {"position": "2", "type_": "track", "title": "Северный ветер", "duration": "4:02"},
    {"position": "3", "type_": "track", "title": "Lanterns", "duration": "5:10"}
  ]})";

const std::string release102 = R"({
  "id": 102, "year": 2001, "title": "Harbour Lights",
  "artists": [{"name": "Silver Lane"}],
  "tracklist": [{"position": "A1", "title": "Low Tide"}, {"position": "B1", "title": "Lanterns"}]
  })";

// A search with one result, whose release is /releases/1.
std::string onesearch() {
    return R"({"results": [{"title": "X - Y", "year": "1990", "format": ["CD"],
               "resource_url": "{base}/releases/1"}]})";
}

class Discogs : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* v :
             {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            unsetenv(v);
        usebase(server.base());
        form6.ComboBox1.items = {u"Old #1"};
        fast.connecttimeout = 5;
        fast.stalltime = 2;
        fast.totaltimeout = 20;
    }
    void usebase(const std::string& base) { setenv("VORLINDE_DISCOGS_URL", base.c_str(), 1); }

    // A search with one result whose release is `release`, taken with "Ok".
    bool takeone(const std::string& release) {
        server.route("/database/search", onesearch());
        server.route("/releases/1", release);
        host.press(u"Button1");
        return search();
    }
    bool search() { return discogssearch(host, form6, form7, artist, album, year, fast); }

    testserver server;
    forms::scriptedhost host;
    forms::TForm6 form6;
    forms::TForm7 form7;
    std::u16string artist, album, year;
    fetchoptions fast;
};

// The lookup failed with the one error, left the caller's values alone and
// hid the wait window.
#define EXPECT_LOOKUPERROR(call)                                                                   \
    do {                                                                                           \
        artist = u"A", album = u"B", year = u"1";                                                  \
        try {                                                                                      \
            call;                                                                                  \
            ADD_FAILURE() << "no lookup error";                                                    \
        } catch (const lookuperror& e) {                                                           \
            EXPECT_STREQ(e.what(), "Not found or access/parse error");                             \
        }                                                                                          \
        EXPECT_EQ(artist, u"A");                                                                   \
        EXPECT_EQ(album, u"B");                                                                    \
        EXPECT_EQ(year, u"1");                                                                     \
        EXPECT_FALSE(form6.visible);                                                               \
        EXPECT_EQ(host.log.back(), u"hide Form6");                                                 \
    } while (0)

} // namespace

TEST_F(Discogs, AllValuesEmptySendsTypeReleaseAloneAndTakesTheFirstLine) {
    server.route("/database/search", searchtwo);
    server.route("/releases/101", release101);
    bool form6shown = false;
    host.expect([&](forms::form& f) {
        form6shown = form6.visible;
        EXPECT_EQ(form7.ComboBox1.text, form7.ComboBox1.items.at(0));
        f.click(form7.Button1); // "Ok" on the untouched first line
    });
    ASSERT_TRUE(search());
    EXPECT_TRUE(form6shown);
    EXPECT_EQ(server.targets(),
              (std::vector<std::string>{"/database/search?type=release", "/releases/101"}));
    EXPECT_EQ(form7.ComboBox1.items, (std::vector<std::u16string>{
                                         u"Silver Lane - Harbour Lights (1999) [\"CD\",\"Album\"]",
                                         u"Silver Lane - Harbour Lights (2001) "
                                         u"[\"Vinyl\",\"LP\",\"Album\"]"}));
    EXPECT_EQ(artist, u"Silver Lane");
    EXPECT_EQ(album, u"Harbour Lights");
    EXPECT_EQ(year, u"1999"); // a number, as its digits
    EXPECT_EQ(form6.ComboBox1.items,
              (std::vector<std::u16string>{u"Low Tide #1", u"Северный ветер #2", u"Lanterns #3"}));
    EXPECT_EQ(host.log,
              (std::vector<std::u16string>{u"show Form6", u"modal Form7", u"hide Form6"}));
    EXPECT_EQ(host.repaints, 1);
    EXPECT_FALSE(form6.visible);
    // Our only identification; no key, token or header of our own.
    for (auto& r : server.requests()) {
        EXPECT_EQ(r.headers.find("User-Agent")->second, "vorlinde");
        EXPECT_EQ(r.headers.count("Authorization"), 0u);
    }
}

TEST_F(Discogs, TheQueryCarriesTheValuesEncodedAndTheYearAsGiven) {
    struct query {
        std::u16string artist, album, year;
        std::string sent;
    };
    const query cases[] = {
        {u"", u"", u"1987", "year=1987&type=release"},
        {u"", u"Тихий лес", u"",
         "title=%D0%A2%D0%B8%D1%85%D0%B8%D0%B9+%D0%BB%D0%B5%D1%81&type=release"},
        {u"AC/DC & Co.", u"", u"", "artist=AC%2FDC+%26+Co.&type=release"},
        {u"Mr. (Ö)!", u"a*b'c$d@e_f~g", u"c.1999/2000-x",
         "artist=Mr.+(%C3%96)!&title=a*b'c$d@e_f%7Eg&year=c.1999/2000-x&type=release"},
        // Bytes that cannot stand in a URL or would cut the query off.
        {u"", u"", u"19 99#г", "year=19+99%23%D0%B3&type=release"},
    };
    server.route("/database/search", R"({"results": []})");
    for (const query& q : cases) {
        artist = q.artist, album = q.album, year = q.year;
        EXPECT_NO_THROW(EXPECT_FALSE(search())) << q.sent;
        EXPECT_EQ(server.targets().back(), "/database/search?" + q.sent);
    }
    EXPECT_EQ(server.targets().size(), std::size(cases));
}

TEST_F(Discogs, EmptyResultsSayNotFoundWithoutASecondRequest) {
    server.route("/database/search", R"({"pagination": {"items": 0}, "results": []})");
    artist = u"Nobody", album = u"Nothing", year = u"2000";
    EXPECT_FALSE(search());
    EXPECT_EQ(server.targets().size(), 1u);
    EXPECT_EQ(host.log,
              (std::vector<std::u16string>{u"show Form6", u"message Not found", u"hide Form6"}));
    EXPECT_EQ(artist, u"Nobody");
    EXPECT_EQ(album, u"Nothing");
    EXPECT_EQ(year, u"2000");
    EXPECT_EQ(form6.ComboBox1.items, std::vector<std::u16string>{u"Old #1"});
}

TEST_F(Discogs, ACancelledChoiceChangesNothing) {
    server.route("/database/search", searchtwo);
    server.route("/releases/101", release101);
    artist = u"Silver", album = u"", year = u"";
    host.press(u"Button2");
    // The close box closes it with "cancel" too.
    host.expect([](forms::form& f) { f.modalresult = forms::mrCancel; });
    EXPECT_FALSE(search());
    EXPECT_FALSE(search());
    EXPECT_EQ(server.targets().size(), 2u); // two searches, no release
    EXPECT_EQ(artist, u"Silver");
    EXPECT_EQ(form6.ComboBox1.items, std::vector<std::u16string>{u"Old #1"});
    EXPECT_EQ(form7.ComboBox1.items.size(), 2u); // the chooser keeps the last search's lines
    EXPECT_FALSE(form6.visible);
}

TEST_F(Discogs, TheSelectedLineChoosesTheReleaseAndTypedTextTheFirst) {
    server.route("/database/search", searchtwo);
    server.route("/releases/101", release101);
    server.route("/releases/102", release102);
    host.expect([&](forms::form& f) {
        form7.ComboBox1.itemindex = 1;
        form7.ComboBox1.text = form7.ComboBox1.items[1];
        f.click(form7.Button1);
    });
    ASSERT_TRUE(search());
    EXPECT_EQ(server.targets().back(), "/releases/102");
    EXPECT_EQ(year, u"2001");
    EXPECT_EQ(form6.ComboBox1.items,
              (std::vector<std::u16string>{u"Low Tide #A1", u"Lanterns #B1"}));

    // A line picked, then text typed over it: no line is selected any more.
    host.expect([&](forms::form& f) {
        form7.ComboBox1.itemindex = 1;
        form7.ComboBox1.text = form7.ComboBox1.items[1];
        form7.settext(form7.ComboBox1, u"Harbour Lights 2001 vinyl");
        EXPECT_EQ(form7.ComboBox1.itemindex, -1);
        f.click(form7.Button1);
    });
    ASSERT_TRUE(search());
    EXPECT_EQ(server.targets().back(), "/releases/101");
    EXPECT_EQ(year, u"1999");
}

TEST_F(Discogs, ArtistsTheLastNameStaysAndTheRulesApply) {
    struct release {
        std::string artists;
        std::u16string passed, expected;
    };
    const release cases[] = {
        {R"([{"name": "Silver Lane", "join": ","}, {"name": "Marta Koval"}])", u"", u"Marta Koval"},
        {"[]", u"Ravens, The", u"The Ravens"}, // the caller's artist, after the rules
        {"[]", u"", u""},
        {R"j([{"name": "Ravens, The (2)"}])j", u"x", u"Ravens, The"},
        {R"j([{"name": "Ravens (2)"}])j", u"x", u"Ravens"},
        {R"j([{"name": "Ravens (12)"}])j", u"x", u"Ravens (12)"},
        {R"([{"name": "Vale, Theo"}])", u"x", u"Vale, Theo"},
        {R"([{"name": "Beatles, The"}])", u"x", u"The Beatles"},
        {R"([{"id": 5}])", u"x", u""}, // no name
    };
    for (const release& c : cases) {
        artist = c.passed, album = u"", year = u"";
        ASSERT_TRUE(takeone(R"({"title": "T", "year": 1990, "artists": )" + c.artists +
                            R"(, "tracklist": []})"));
        EXPECT_EQ(artist, c.expected) << c.artists;
    }
}

TEST_F(Discogs, MembersAreReadAsTextWhateverTheirType) {
    server.route("/database/search", R"({"results": [
        {"title": "No Year", "format": ["CD"], "resource_url": "{base}/releases/1"},
        {"title": 42, "year": null, "format": {"name": "CD", "qty": "1"}},
        "not an object"]})");
    server.route("/releases/1", R"({"year": "1999?", "artists": [{"name": "Лес"}],
        "tracklist": [{"title": "A"}, {"position": 7}, 3, {"title": "Ü", "position": "B2"}]})");
    host.press(u"Button1");
    album = u"kept?";
    ASSERT_TRUE(search());
    EXPECT_EQ(form7.ComboBox1.items,
              (std::vector<std::u16string>{u"No Year () [\"CD\"]",
                                           u"42 (null) {\"name\":\"CD\",\"qty\":\"1\"}", u" () "}));
    EXPECT_EQ(album, u""); // no title: an empty album, no failure
    EXPECT_EQ(year, u"1999?");
    EXPECT_EQ(artist, u"Лес");
    EXPECT_EQ(form6.ComboBox1.items,
              (std::vector<std::u16string>{u"A #", u" #7", u" #", u"Ü #B2"}));
}

TEST_F(Discogs, AReleaseWithoutArtistsOrTracklistFails) {
    // Without artists the track list stays as it was ...
    EXPECT_LOOKUPERROR(
        takeone(R"({"title": "T", "tracklist": [{"title": "a", "position": "1"}]})"));
    EXPECT_EQ(form6.ComboBox1.items, std::vector<std::u16string>{u"Old #1"});
    // ... without a track list it is emptied.
    EXPECT_LOOKUPERROR(takeone(R"({"title": "T", "year": 1990, "artists": [{"name": "N"}]})"));
    EXPECT_TRUE(form6.ComboBox1.items.empty());
}

TEST_F(Discogs, RepliesThatAreNotWhatWeReadFail) {
    const std::string searches[] = {
        "<html><body>502 Bad Gateway</body></html>",
        "",
        R"j({"results": [{"title": "cut off)j",
        R"({"pagination": {}})",          // no "results"
        R"({"results": {"title": "x"}})", // not an array
        R"([1, 2, 3])",
        R"({"results": []} trailing)",
        R"({"results": [{"year": 1e999}]})", // a number too large
    };
    for (const std::string& body : searches) {
        server.route("/database/search", body);
        EXPECT_LOOKUPERROR(search());
    }
    EXPECT_EQ(server.targets().size(), std::size(searches));
    EXPECT_EQ(form6.ComboBox1.items, std::vector<std::u16string>{u"Old #1"});
}

TEST_F(Discogs, ErrorStatusBodiesFailAsReplies) {
    server.route("/database/search",
                 {401, R"({"message": "You must authenticate to access this resource."})", {}});
    EXPECT_LOOKUPERROR(search());

    // Rate-limited on the release: the search's lines stay, the tracks too.
    server.route("/database/search", searchtwo);
    server.route("/releases/101",
                 {429, R"({"message": "You are making requests too quickly."})", {}});
    host.press(u"Button1");
    EXPECT_LOOKUPERROR(search());
    EXPECT_EQ(form7.ComboBox1.items.size(), 2u);
    EXPECT_EQ(form6.ComboBox1.items, std::vector<std::u16string>{u"Old #1"});

    // The status alone decides nothing: a 404 page that holds the members is read.
    server.route("/releases/101", {404, release101, {}});
    host.press(u"Button1");
    EXPECT_TRUE(search());
    EXPECT_EQ(album, u"Harbour Lights");
}

TEST_F(Discogs, ARefusedConnectionFailsAndASilentServerTimesOut) {
    for (bool listening : {false, true}) {
        testutil::rawport port(listening);
        usebase(port.base());
        auto start = std::chrono::steady_clock::now();
        EXPECT_LOOKUPERROR(search());
        auto took = std::chrono::steady_clock::now() - start;
        EXPECT_GE(took, std::chrono::seconds(listening ? fast.stalltime : 0));
        EXPECT_LT(took, std::chrono::seconds(listening ? fast.stalltime + 10 : 5));
    }
}

TEST_F(Discogs, AReleaseOfSeveralMegabytesIsRead) {
    std::string tracks;
    const int count = 20000;
    const std::string note(200, 'n');
    for (int i = 1; i <= count; ++i) {
        if (i > 1) tracks += ",";
        tracks += R"({"position": ")" + std::to_string(i) + R"(", "title": "Track )" +
                  std::to_string(i) + R"(", "extraartists": [], "notes": ")" + note + "\"}";
    }
    std::string big =
        R"({"title": "Long", "year": 2020, "artists": [{"name": "Many"}], "tracklist": [)" +
        tracks + "]}";
    ASSERT_GT(big.size(), 4u << 20);
    ASSERT_TRUE(takeone(big));
    ASSERT_EQ(form6.ComboBox1.items.size(), std::size_t(count));
    EXPECT_EQ(form6.ComboBox1.items.back(), u"Track 20000 #20000");
    EXPECT_EQ(album, u"Long");

    // Beyond the limit the body is cut off and fails to parse.
    fast.maxbody = 1u << 20;
    form6.ComboBox1.items = {u"Old #1"};
    EXPECT_LOOKUPERROR(takeone(big));
    EXPECT_EQ(form6.ComboBox1.items, std::vector<std::u16string>{u"Old #1"});
}

TEST_F(Discogs, AResourceUrlOtherThanHttpIsRefused) {
    // A local file that would make a valid release, were it read.
    testutil::tempdir dir;
    testutil::writefile(dir.path() / "release.json",
                        R"({"title": "Stolen", "artists": [{"name": "Local"}], "tracklist": []})");
    const std::string fileurl = "file://" + (dir.path() / "release.json").string();
    for (const std::string& url : {std::string("file:///etc/passwd"), fileurl}) {
        server.route("/database/search",
                     R"({"results": [{"title": "x", "resource_url": ")" + url + "\"}]}");
        host.press(u"Button1");
        EXPECT_LOOKUPERROR(search());
    }
    // Nor through a redirect.
    server.route("/database/search", onesearch());
    server.route("/releases/1", {302, "", fileurl});
    host.press(u"Button1");
    EXPECT_LOOKUPERROR(search());
    EXPECT_EQ(server.targets().back(), "/releases/1");

    // An http redirect is followed.
    server.route("/releases/1", {301, "", "{base}/releases/101"});
    server.route("/releases/101", release101);
    host.press(u"Button1");
    EXPECT_TRUE(search());
    EXPECT_EQ(server.targets().back(), "/releases/101");
    EXPECT_EQ(album, u"Harbour Lights");
}

TEST_F(Discogs, HostileRepliesNeitherCrashNorHang) {
    // Nesting deep enough to exhaust the stack when written back as text.
    std::string deep = R"({"results": [{"title": "x", "format": )" + std::string(200000, '[') +
                       std::string(200000, ']') + "}]}";
    server.route("/database/search", deep);
    EXPECT_LOOKUPERROR(search());

    // Bytes that are not UTF-8 are replaced, the rest is read.
    server.route("/database/search", onesearch());
    server.route("/releases/1", "{\"title\": \"Bad \xff\xfe byte\", \"year\": \"1990\", "
                                "\"artists\": [{\"name\": \"N\"}], \"tracklist\": []}");
    host.press(u"Button1");
    ASSERT_TRUE(search());
    EXPECT_EQ(album, u"Bad \uFFFD\uFFFD byte");

    // A modest depth is fine.
    server.route("/database/search", R"({"results": [{"title": "x", "format": [[["CD"]]]}]})");
    host.press(u"Button2");
    EXPECT_FALSE(search());
    EXPECT_EQ(form7.ComboBox1.items, std::vector<std::u16string>{u"x () [[[\"CD\"]]]"});
}

TEST_F(Discogs, AReleaseOfUnknownYearGivesNoYear) {
    year = u"1999";
    ASSERT_TRUE(takeone(R"({"title": "T", "year": 0, "artists": [], "tracklist": []})"));
    EXPECT_EQ(year, u"");
    ASSERT_TRUE(takeone(R"({"title": "T", "year": 2003, "artists": [], "tracklist": []})"));
    EXPECT_EQ(year, u"2003");
}
