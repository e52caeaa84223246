#include "geturl.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

#include "platform.h"

namespace lookup {

namespace {

struct sink {
    std::string* body;
    std::size_t max;
};

std::size_t gather(char* data, std::size_t size, std::size_t n, void* user) {
    auto* s = static_cast<sink*>(user);
    std::size_t len = size * n;
    if (len > s->max - s->body->size()) return 0; // aborts the transfer
    s->body->append(data, len);
    return len;
}

void globalinit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

std::string geturl(const std::u16string& url, const fetchoptions& options) {
    std::string body;
    globalinit();
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> h(curl_easy_init(), curl_easy_cleanup);
    if (!h) return body;
    CURL* c = h.get();
    std::string u = platform::utf16to8(url);
    sink s{&body, options.maxbody};

    curl_easy_setopt(c, CURLOPT_URL, u.c_str());
    curl_easy_setopt(c, CURLOPT_USERAGENT, "vorlinde");
    curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, options.maxredirects);
    // A reply must never make us read a local file or talk another protocol.
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
#else
    curl_easy_setopt(c, CURLOPT_PROTOCOLS, long(CURLPROTO_HTTP | CURLPROTO_HTTPS));
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS, long(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, options.connecttimeout);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, options.stallspeed);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, options.stalltime);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, options.totaltimeout);
    // Time-outs without signals: the UI toolkit owns the process's threads.
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, gather);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &s);
    curl_easy_perform(c); // the result is what was gathered
    return body;
}

} // namespace lookup
