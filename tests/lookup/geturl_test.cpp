// One GET against a real HTTP server on 127.0.0.1.
#include <gtest/gtest.h>

#include <cstdlib>

#include "geturl.h"
#include "testserver.h"
#include "testutil.h"

using namespace lookup;

namespace {

std::u16string u16(const std::string& s) {
    return testutil::u16(s);
}

class GetUrl : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* v : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) unsetenv(v);
        fast.connecttimeout = 5;
        fast.stalltime = 2;
        fast.totaltimeout = 20;
    }
    testutil::testserver server;
    fetchoptions fast;
};

} // namespace

TEST_F(GetUrl, TheWholeBodyWhateverTheStatus) {
    std::string bytes;
    for (int i = 0; i < 3 << 20; ++i) bytes += char(i * 7 % 251);
    server.route("/big", bytes);
    EXPECT_EQ(geturl(u16(server.base() + "/big"), fast), bytes);
    server.route("/denied", {403, "{\"message\": \"no\"}", {}});
    EXPECT_EQ(geturl(u16(server.base() + "/denied"), fast), "{\"message\": \"no\"}");
    auto reqs = server.requests();
    ASSERT_EQ(reqs.size(), 2u);
    EXPECT_EQ(reqs[0].headers.find("User-Agent")->second, "vorlinde");
}

TEST_F(GetUrl, FailuresGiveAnEmptyOrCutBody) {
    EXPECT_EQ(geturl(u"", fast), "");
    EXPECT_EQ(geturl(u"not a url at all", fast), "");
    EXPECT_EQ(geturl(u"file:///etc/passwd", fast), "");
    EXPECT_EQ(geturl(u"ftp://127.0.0.1/x", fast), "");
    testutil::rawport closed(false);
    EXPECT_EQ(geturl(u16(closed.base() + "/x"), fast), "");

    server.route("/big", std::string(100000, 'x'));
    fast.maxbody = 1000;
    std::string cut = geturl(u16(server.base() + "/big"), fast);
    EXPECT_LE(cut.size(), 1000u);
}

TEST_F(GetUrl, RedirectsAreFollowedOnlyToHttp) {
    testutil::tempdir dir;
    testutil::writefile(dir.path() / "secret", "local bytes");
    server.route("/tofile", {302, "moved", "file://" + (dir.path() / "secret").string()});
    server.route("/tohttp", {302, "moved", "{base}/target"});
    server.route("/target", "arrived");
    server.route("/loop", {302, "", "{base}/loop"});
    EXPECT_EQ(geturl(u16(server.base() + "/tohttp"), fast), "arrived");
    EXPECT_EQ(geturl(u16(server.base() + "/tofile"), fast).find("local bytes"), std::string::npos);
    EXPECT_EQ(geturl(u16(server.base() + "/loop"), fast), "");
}
