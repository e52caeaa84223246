// The lookup button of the missing-data dialog during a run, against a real
// HTTP server on 127.0.0.1.
#include <cstdlib>

#include "discogs.h"
#include "lookup/testserver.h"
#include "runenv.h"

using namespace runtest;

namespace {

class RunLookup : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* v :
             {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            unsetenv(v);
        setenv("VORLINDE_DISCOGS_URL", server.base().c_str(), 1);
        e.mp3(u"unknown/01.mp3", {u"", u"Low Tide", u"", u"", u"1"});
        e.mp3(u"unknown/02.mp3", {u"", u"Lanterns", u"", u"", u"2"});
    }
    void TearDown() override { unsetenv("VORLINDE_DISCOGS_URL"); }

    testutil::testserver server;
    runenv e;
};

} // namespace

TEST_F(RunLookup, ReleaseTakenFillsTheFieldsThatTheRunThenUses) {
    server.route("/database/search",
                 R"({"results": [{"title": "Silver Lane - Harbour Lights", "year": "1999",
                     "format": ["CD"], "resource_url": "{base}/releases/7"}]})");
    server.route("/releases/7", R"j({"title": "Harbour Lights", "year": 1999,
        "artists": [{"name": "Silver Lane (2)"}],
        "tracklist": [{"position": "1", "title": "Low Tide"}, {"position": "2", "title": "Lanterns"}]})j");
    e.host.expect([&](forms::form& f) {
        auto& d = dynamic_cast<forms::TForm2&>(f);
        EXPECT_EQ(d.Edit1.text, u"unknown"); // proposed from the folder's name
        f.click(d.Button3);                  // the chooser is the next answer
        EXPECT_EQ(d.Edit1.text, u"Silver Lane");
        EXPECT_EQ(d.Edit2.text, u"Harbour Lights");
        EXPECT_EQ(d.Edit3.text, u"1999");
        EXPECT_TRUE(d.Button7.visible); // the fields changed: "Вернуть" is offered
        f.click(d.Button1);
    });
    e.host.expect([&](forms::form& f) {
        EXPECT_EQ(f.name(), u"Form7");
        f.click(e.form7.Button1);
    });
    e.run();
    EXPECT_EQ(e.host.pending(), 0u);
    EXPECT_EQ(
        server.targets(),
        (std::vector<std::string>{"/database/search?artist=unknown&type=release", "/releases/7"}));
    EXPECT_EQ(e.form6.ComboBox1.items,
              (std::vector<std::u16string>{u"Low Tide #1", u"Lanterns #2"}));
    const std::u16string folder = e.path(u"unknown");
    EXPECT_EQ(e.folderlines(u"unknown"),
              (std::vector<std::string>{
                  "  Нет исполнителя: 02.mp3", "  Нет альбома: 02.mp3", "  Нет исполнителя: 01.mp3",
                  "  Нет альбома: 01.mp3", "  Исполнитель: Silver Lane", "  Альбом: Harbour Lights",
                  "  Год: 1999",
                  "  > (Пере)записать id3-теги -> [Silver Lane :: Harbour Lights :: 1999]"}));
    EXPECT_EQ(
        e.ops(),
        (std::vector<op>{
            tagop(folder, u"01.mp3", u"Silver Lane", u"Low Tide", u"Harbour Lights", u"1999", 9),
            tagop(folder, u"02.mp3", u"Silver Lane", u"Lanterns", u"Harbour Lights", u"1999", 9),
        }));
}

TEST_F(RunLookup, FailedLookupLeavesTheFieldsAndTheDialogOpen) {
    server.route("/database/search", "<html>busy</html>");
    e.host.expect([&](forms::form& f) {
        auto& d = dynamic_cast<forms::TForm2&>(f);
        f.settext(d.Edit2, u"Typed");
        // The error reaches the application's error box through the host's
        // handler; here the test stands in for it.
        EXPECT_THROW(f.click(d.Button3), lookup::lookuperror);
        EXPECT_FALSE(e.form6.visible);
        EXPECT_EQ(d.Edit1.text, u"unknown");
        EXPECT_EQ(d.Edit2.text, u"Typed");
        EXPECT_EQ(f.modalresult, forms::mrNone);
        f.click(d.Button4); // skip the folder
    });
    e.run();
    EXPECT_EQ(e.folderlines(u"unknown"), std::vector<std::string>{" -- пропущено"});
    EXPECT_TRUE(e.ops().empty());
}
