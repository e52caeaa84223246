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

std::u16string helpurl(const std::u16string& topic) {
    return fileurl(platform::programdir() + u"site/russian.html") + u"#" + topic;
}

std::u16string siteurl() {
    return fileurl(platform::programdir() + u"site/index.html");
}

void openhelp(host& h, const std::u16string& topic) {
    h.openurl(helpurl(topic));
}

} // namespace forms
