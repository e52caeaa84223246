// Text frames into UTF-16, the trimming rule and the field rules.
#include <limits>

#include "reader.h"

namespace id3v2 {

namespace {

// Control characters would break report lines and file names.
void questioncontrols(std::u16string& s) {
    for (char16_t& c : s)
        if (c < u' ') c = u'?';
}

char16_t unit(unsigned char first, unsigned char second, bool bigendian) {
    return bigendian ? static_cast<char16_t>(first << 8 | second)
                     : static_cast<char16_t>(second << 8 | first);
}

} // namespace

std::u16string readutf16(std::string_view data) {
    const auto* d = reinterpret_cast<const unsigned char*>(data.data());
    const std::size_t n = data.size();
    std::size_t i = 1;
    bool bigendian = false;
    if (n >= 3 && d[1] == 0xFF && d[2] == 0xFE) {
        i = 3;
    } else if (n >= 3 && d[1] == 0xFE && d[2] == 0xFF) {
        i = 3;
        bigendian = true;
    }
    std::u16string text;
    text.reserve(n > i ? (n - i) / 2 : 0);
    for (; i + 1 < n; i += 2) {
        const char16_t c = unit(d[i], d[i + 1], bigendian);
        if (c == 0) break;
        text.push_back(c);
    }
    questioncontrols(text);
    return text;
}

std::u16string readtextframe(std::string_view data) {
    if (data.empty()) return {};
    const unsigned char encoding = static_cast<unsigned char>(data[0]);
    if (encoding == 1) return readutf16(data);
    // Everything else is single bytes up to the first zero; encoding 2
    // included, so big-endian text that starts below U+0100 reads as empty.
    std::string_view bytes = data.substr(1);
    bytes = bytes.substr(0, bytes.find('\0'));
    if (encoding == 3) {
        std::string utf8(bytes);
        for (char& c : utf8)
            if (static_cast<unsigned char>(c) < 0x20) c = '?';
        return platform::utf8to16(utf8);
    }
    std::u16string text = platform::fromansi(bytes);
    questioncontrols(text);
    return text;
}

std::string readrawframe(std::string_view data) {
    return std::string(data);
}

void trimtagfield(std::u16string& s) {
    std::size_t end = 0;
    while (end < s.size() && s[end] >= u' ') ++end;
    while (end > 0 && s[end - 1] == u' ') --end;
    s.resize(end);
}

bool strtoint(std::u16string_view s, std::int32_t& value) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == u' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
    if (i == s.size()) return false;
    std::int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < u'0' || s[i] > u'9') return false;
        v = v * 10 + (s[i] - u'0');
        if (v > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return false;
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<std::int32_t>::max()) return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

void takefirst(std::u16string& field, std::u16string text) {
    if (field.empty()) field = std::move(text);
}

void takelast(std::u16string& field, std::u16string text, char16_t lo, char16_t hi) {
    trimtagfield(text);
    if (!text.empty() && (text[0] < lo || text[0] > hi)) text.clear();
    field = std::move(text);
}

void storeframe(std::string& kept, std::string_view id, std::string_view data) {
    kept.append(id.substr(0, 4));
    kept.append(be32str(static_cast<std::uint32_t>(data.size())));
    kept.append(2, '\0');
    kept.append(data);
}

} // namespace id3v2
