// The release lookup against a real HTTP server on 127.0.0.1: its text rules,
// a whole lookup, and every way one fails, each within a memory bound.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include "discogs.h"
#include "scriptedhost.h"
#include "testserver.h"
#include "testutil.h"

using namespace lookup;
using texts = std::vector<std::u16string>;

TEST(LookupRules, QueryEncodingAndArtistRules) {
    EXPECT_EQ(encodequery(u"Az09!$'()*-._@~#\xD800"), u"Az09!$'()*-._@%7E%23%EF%BF%BD");
    const char16_t* artists[] = {u"Ravens (12) ", u"Ravens (12) ",   u"(1)(2)",
                                 u"(2)",          u" A  (3) x\tgo ", u" A   x",
                                 u"Beatles, The", u"The Beatles"};
    std::u16string name;
    for (int i = 0; i < 8; i += 2)
        EXPECT_EQ((name = artists[i], artistrules(name), name), artists[i + 1]);
}

namespace {

// s n times over; doubling keeps the depth of the calls small.
std::string repeat(const std::string& s, std::size_t n) {
    return n < 2 ? (n ? s : "") : repeat(s + s, n / 2) + (n % 2 ? s : "");
}

struct Lookup : ::testing::Test {
    Lookup() {
        for (const char* v : {"http_proxy", "all_proxy", "ALL_PROXY"}) unsetenv(v);
        form6.ComboBox1.items = {u"Old #1"};
        setenv("VORLINDE_DISCOGS_URL", server.base().c_str(), 1);
    }
    bool search() { return discogssearch(host, form6, form7, artist, album, year, fast); }
    static std::string page(std::size_t n) { return "{\"results\":[" + repeat("{},", n) + "{}]}"; }
    void searchreply(std::string b, int st = 200) { server.route("/database/search", b, st); }
    // In a child process: the lookup fails with the one error, leaves the
    // caller's values alone and takes under 100 MiB more than the child had.
    // A lookup that never ends fails too, rather than hang the run.
    void failswithinbudget() {
        alarm(60);
        rusage start{}, end{};
        getrusage(RUSAGE_SELF, &start);
        artist = u"A", album = u"B", year = u"1";
        try {
            search();
        } catch (const lookuperror&) {
            getrusage(RUSAGE_SELF, &end);
            _exit(artist + album + year + host.log.back() != u"AB1hide Form6" ||
                  end.ru_maxrss - start.ru_maxrss >= 100 << 10);
        } catch (...) {
        }
        _exit(1);
    }

    testutil::testserver server;
    forms::scriptedhost host;
    forms::TForm6 form6;
    forms::TForm7 form7;
    std::u16string artist, album, year;
    fetchoptions fast{.connecttimeout = 5, .stalltime = 1, .totaltimeout = 20};
};

} // namespace

TEST_F(Lookup, TheChosenLineGivesItsReleaseThroughARedirect) {
    searchreply(R"({"pagination": {}, "results": [{"title": "S - H", "year": "1999", "format":
        ["CD", {"q": 1}]}, {"title": 42, "resource_url": "{base}/r/2"}, "not an object"]})");
    server.route("/r/2", "{base}/r/22", 301);
    server.route("/r/22",
                 R"x({"year": 1999, "artists": [{"name": "X"}, {"name": "Ravens, The (2)"}],
        "tracklist": [{"title": "Лес", "position": "A1"}, {"position": 7}, 3], "title": "Bad )x"
                 "\xff byte\"}");
    host.fallback = [&](forms::form& f) { form7.ComboBox1.itemindex = 1, f.click(form7.Button1); };
    artist = u"A/C &", album = u"Ти", year = u"19 99#";
    ASSERT_TRUE(search());
    EXPECT_EQ(server.targets().at(0),
              "/database/search?artist=A%2FC+%26&title=%D0%A2%D0%B8&year=19+99%23&type=release");
    EXPECT_EQ(form7.ComboBox1.items,
              (texts{u"S - H (1999) [\"CD\",{\"q\":1}]", u"42 () ", u" () "}));
    EXPECT_EQ(artist + u"|" + album + u"|" + year, u"Ravens, The|Bad \uFFFD byte|1999");
    EXPECT_EQ(form6.ComboBox1.items, (texts{u"Лес #A1", u" #7", u" #"}));
    EXPECT_EQ(host.log, (texts{u"show Form6", u"modal Form7", u"hide Form6"}));
}

TEST_F(Lookup, NothingFoundOrCancelledChangesNothingAndTheChooserShowsAThousandAtMost) {
    host.fallback = [&](forms::form& f) { f.click(form7.Button2); };
    for (const std::string& body : {std::string(R"({"results": []})"), page(1500)}) {
        searchreply(body);
        artist = u"A", album = u"", year = u"1987";
        EXPECT_FALSE(search());
        EXPECT_EQ(server.targets().back(), "/database/search?artist=A&year=1987&type=release");
        EXPECT_EQ(artist + album + year + form6.ComboBox1.items.at(0), u"A1987Old #1");
    }
    EXPECT_EQ(host.messages, texts{u"Not found"});
    EXPECT_EQ(form7.ComboBox1.items.size(), 1000u);
}

TEST_F(Lookup, EveryOtherFailureIsTheOneErrorWithinAHundredMegabytesButARealReleaseIsRead) {
    testutil::tempdir dir;
    testutil::writefile(dir.path() / "r.json", R"({"artists": [], "tracklist": []})");
    const std::string local = "file://" + (dir.path() / "r.json").string();
    const std::string closed = testutil::testserver().base(); // nothing listens there now
    const std::string one = R"({"results": [{"resource_url": "{base}/r/1"}]})";
    const std::string cases[][3] = {
        {"502", "<html>Bad Gateway</html>", ""},
        {"200", R"({"pagination": {}})", ""},
        {"401", R"({"message": "You must authenticate to access this resource."})", ""},
        {"200", R"({"results":[{"format":)" + std::string(2e5, '[') + std::string(2e5, ']') + "}]}",
         ""},
        {"200", R"({"results": [{"resource_url": ")" + local + "\"}]}", ""},
        {"200", one, local},              // a redirect to a local file
        {"200", one, "{base}/r/1"},       // a redirect loop
        {"200", one, closed},             // a refused connection
        {"-2", "", ""},                   // a silent server: the stall time-out ends it
        {"-1", repeat("{},", 20000), ""}, // an endless body
        {"200", page(10'000'000), ""},    // 30 MB of tiny results
        {"200", page(1'300'000), ""},     // 4 MB of them whole
    };
    host.fallback = [&](forms::form& f) { f.click(form7.Button1); };
    // No bound on a whole transfer: each case must end by the limit meant for it (the bytes,
    // the redirects, the stall time-out), and at most the search, the release and its
    // redirects are asked for.
    fast.totaltimeout = 0;
    for (const auto& [status, body, release] : cases) {
        searchreply(body, std::stoi(status));
        server.route("/r/1", release, release.starts_with("{\"") ? 200 : 302);
        const std::size_t asked = server.targets().size();
        EXPECT_EXIT(failswithinbudget(), testing::ExitedWithCode(0), "") << body.substr(0, 40);
        EXPECT_LE(server.targets().size() - asked, 2u + fast.maxredirects) << body.substr(0, 40);
    }
    searchreply(one); // a release without a track list fails and empties the fetched one
    server.route("/r/1", R"({"title": "T", "artists": []})");
    EXPECT_THROW(search(), lookuperror);
    EXPECT_TRUE(form6.ComboBox1.items.empty());
    // A release of 4 MB as dense as real ones come is read whole; year 0 is none.
    const std::string track = R"({"position": "1", "title": "T", "duration": "3:21", "x": []},)";
    server.route("/r/1", R"({"year":0,"artists":[],"tracklist":[)" + repeat(track, 5e4) + "{}]}");
    year = u"1999";
    EXPECT_TRUE(search());
    EXPECT_EQ(form6.ComboBox1.items.size() + year.size(), 50001u);
}
