#include "help.h"

#include "platform.h"

namespace forms {

namespace {

// A file URL with the path's bytes percent-encoded where a URL needs it.
std::u16string fileurl(const std::u16string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::u16string out = u"file://";
    for (unsigned char b : platform::tonative(path)) {
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
            b == '/' || b == '-' || b == '_' || b == '.' || b == '~') {
            out.push_back(b);
        } else {
            out.push_back(u'%');
            out.push_back(static_cast<char16_t>(hex[b >> 4]));
            out.push_back(static_cast<char16_t>(hex[b & 15]));
        }
    }
    return out;
}

} // namespace

std::u16string pagepath(const std::u16string& page) {
    return platform::programdir() + u"site/" + page;
}

std::u16string helpurl(const std::u16string& topic) {
    return fileurl(pagepath(u"russian.html")) + u"#" + topic;
}

std::u16string siteurl() {
    return fileurl(pagepath(u"index.html"));
}

void openpage(host& h, const std::u16string& url, const std::u16string& page) {
    if (h.openurl(url)) return;
    // Without a browser the key or the link would seem to do nothing.
    h.messagebox(u"Не удалось открыть страницу в браузере. Откройте её вручную:\n" +
                 pagepath(page));
}

void openhelp(host& h, const std::u16string& topic) {
    openpage(h, helpurl(topic), u"russian.html");
}

} // namespace forms
