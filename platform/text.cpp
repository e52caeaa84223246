#include "platform.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <iconv.h>
#include <locale.h>
#include <memory>
#include <mutex>
#include <wctype.h>

namespace platform {

namespace {

constexpr char16_t replacement = 0xFFFD;

// A byte of a name that is not UTF-8 stands in a path as U+DC00 plus the byte:
// U+DC80..U+DCFF, since every byte below 0x80 is valid UTF-8 on its own.
constexpr char16_t lostbase = 0xDC00;
constexpr bool islost(char16_t c) {
    return c >= lostbase + 0x80 && c <= lostbase + 0xFF;
}

constexpr bool ishigh(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
constexpr bool islow(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}
// The length of the character at s[i]: 2 for a surrogate pair, else 1.
std::size_t unitsat(std::u16string_view s, std::size_t i) {
    return ishigh(s[i]) && i + 1 < s.size() && islow(s[i + 1]) ? 2 : 1;
}

void append32(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

void append8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Decodes one strict UTF-8 sequence at s[i]; returns its length, or 0 when
// the bytes there are not a valid sequence (overlong forms, surrogates and
// values past U+10FFFF are invalid).
std::size_t decode8(std::string_view s, std::size_t i, char32_t& c) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = b(i);
    std::size_t len;
    char32_t min;
    if (b0 < 0x80) {
        c = b0;
        return 1;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2, c = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3, c = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4, c = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (b(i + k) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return len;
}

template <typename Invalid>
std::u16string decodeutf8(std::string_view s, Invalid invalid) {
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        char32_t c;
        const std::size_t len = decode8(s, i, c);
        if (len == 0) {
            out.push_back(invalid(static_cast<unsigned char>(s[i])));
            ++i;
        } else {
            append32(out, c);
            i += len;
        }
    }
    return out;
}

template <typename Lone>
std::string encodeutf8(std::u16string_view s, Lone lone) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (unitsat(s, i) == 2) {
            append8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (s[i + 1] - 0xDC00));
            ++i;
        } else if (ishigh(c) || islow(c)) {
            lone(out, c);
        } else {
            append8(out, c);
        }
    }
    return out;
}

// The code page as two tables made once with iconv: byte -> character and
// character -> byte.
struct codepage {
    std::string name;
    std::array<char16_t, 256> tochar{};
    std::unique_ptr<std::array<unsigned char, 65536>> tobyte; // 0 = none (except for U+0000)
};

std::mutex cpmutex;
std::unique_ptr<codepage> cpcache;

constexpr const char* defaultcp = "WINDOWS-1251";

// What one byte alone reads as: 1 and the character; 0 for a byte the code
// page leaves undefined; -1 when the byte is not a character by itself (a
// multi-byte or stateful encoding).
int readbyte(iconv_t cd, unsigned char byte, char16_t& c) {
    char in = static_cast<char>(byte);
    char outbuf[8];
    char* ip = &in;
    char* op = outbuf;
    std::size_t il = 1, ol = sizeof outbuf;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &ip, &il, &op, &ol) == static_cast<std::size_t>(-1))
        return errno == EILSEQ ? 0 : -1;
    if (op - outbuf != 2) return -1;
    c = static_cast<char16_t>(static_cast<unsigned char>(outbuf[0]) |
                              (static_cast<unsigned char>(outbuf[1]) << 8));
    return 1;
}

// The bytes -> characters table of an iconv code page, when it is one we can
// use: every byte one character or undefined, and ASCII read as ASCII (names
// and tags rely on both).
bool singlebyte(const std::string& name, std::array<char16_t, 256>& tochar) {
    iconv_t cd = iconv_open("UTF-16LE", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    bool ok = true;
    for (int b = 0; b < 256 && ok; ++b) {
        char16_t c = static_cast<char16_t>(b); // an undefined byte keeps its value
        const int read = readbyte(cd, static_cast<unsigned char>(b), c);
        ok = read == 1 || (read == 0 && b >= 0x80);
        ok = ok && (b >= 0x80 || c == b);
        tochar[b] = c;
    }
    iconv_close(cd);
    return ok;
}

std::unique_ptr<codepage> makecodepage() {
    auto cp = std::make_unique<codepage>();
    const char* env = std::getenv("VORLINDE_CODEPAGE");
    cp->name = codepageof(env ? env : "");
    // A value the program refuses at start; a library user keeps the default.
    if (cp->name.empty() || !singlebyte(cp->name, cp->tochar)) {
        cp->name = defaultcp;
        if (!singlebyte(cp->name, cp->tochar))
            for (int b = 0; b < 256; ++b) cp->tochar[b] = static_cast<char16_t>(b);
    }
    cp->tobyte = std::make_unique<std::array<unsigned char, 65536>>();
    cp->tobyte->fill(0);
    // Lower bytes win where two bytes give one character.
    for (int b = 255; b >= 1; --b) (*cp->tobyte)[cp->tochar[b]] = static_cast<unsigned char>(b);
    return cp;
}

const codepage& currentcp() {
    std::lock_guard lock(cpmutex);
    if (!cpcache) cpcache = makecodepage();
    return *cpcache;
}

// Every code unit's upper case, made once: towupper_l is too slow for the
// names of a whole collection, sorted and matched one unit at a time. Also
// which ASCII letters a character beyond ASCII upper-cases to (dotless i to I).
struct uppertable {
    std::array<char16_t, 65536> upper;
    std::array<bool, 128> reachedfromabove{};
};

const uppertable& uppers() {
    static const std::unique_ptr<uppertable> table = [] {
        auto t = std::make_unique<uppertable>();
        locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (!loc) loc = newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(nullptr));
        for (std::size_t i = 0; i < t->upper.size(); ++i) {
            const auto c = static_cast<char16_t>(i);
            wint_t u = c;
            if (c < 0x80)
                u = (c >= u'a' && c <= u'z') ? c - 32 : c;
            else if ((c < 0xD800 || c > 0xDFFF) && loc)
                u = towupper_l(static_cast<wint_t>(c), loc);
            t->upper[i] = u < 0x10000 ? static_cast<char16_t>(u) : c;
            if (c >= 0x80 && t->upper[i] < 0x80) t->reachedfromabove[t->upper[i]] = true;
        }
        if (loc) freelocale(loc);
        return t;
    }();
    return *table;
}

} // namespace

std::u16string utf8to16(std::string_view s) {
    return decodeutf8(s, [](unsigned char) { return replacement; });
}

std::string utf16to8(std::u16string_view s) {
    return encodeutf8(s, [](std::string& out, char16_t) { append8(out, replacement); });
}

std::u16string fromnative(std::string_view bytes) {
    return decodeutf8(bytes, [](unsigned char b) { return static_cast<char16_t>(lostbase + b); });
}

std::string tonative(std::u16string_view path) {
    return encodeutf8(path, [](std::string& out, char16_t c) {
        if (islost(c))
            out.push_back(static_cast<char>(c - lostbase));
        else
            append8(out, replacement);
    });
}

std::string toansi(std::u16string_view s) {
    const codepage& cp = currentcp();
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c == 0) {
            out.push_back('\0');
            continue;
        }
        const unsigned char b = (*cp.tobyte)[c];
        if (b != 0) {
            out.push_back(static_cast<char>(b));
        } else {
            out.push_back('?');
            i += unitsat(s, i) - 1; // a surrogate pair is one character, so one "?"
        }
    }
    return out;
}

char16_t fromansi(unsigned char byte) {
    return currentcp().tochar[byte];
}

std::u16string fromansi(std::string_view bytes) {
    const codepage& cp = currentcp();
    std::u16string out(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out[i] = cp.tochar[static_cast<unsigned char>(bytes[i])];
    return out;
}

std::u16string validutf16(std::u16string_view s) {
    std::u16string out(s);
    for (std::size_t i = 0; i < out.size(); i += unitsat(out, i))
        if (unitsat(out, i) == 1 && (ishigh(out[i]) || islow(out[i]))) out[i] = replacement;
    return out;
}

namespace {

// The Cyrillic letters of the languages windows-1251 is made for: Russian,
// Ukrainian, Belarusian, Bulgarian, Serbian, Macedonian.
bool cyrillicletter(char16_t c) {
    return (c >= 0x0400 && c <= 0x045F) || c == 0x0490 || c == 0x0491;
}

} // namespace

std::u16string nametext(std::u16string_view name) {
    bool legacy = false; // a byte that is not UTF-8: written in the code page
    for (std::size_t i = 0; i < name.size() && !legacy; i += unitsat(name, i))
        legacy = islost(name[i]);
    std::u16string out;
    out.reserve(name.size());
    std::size_t i = 0;
    while (i < name.size()) {
        if (name[i] < 0x80) {
            // The reader turns a tag's control characters into "?".
            out.push_back(name[i] < u' ' ? u'?' : name[i]);
            ++i;
            continue;
        }
        // A run of non-ASCII characters; ASCII reads the same in both, and a
        // lone surrogate that no byte left behind ends it.
        std::size_t j = i;
        bool letters = true;
        while (j < name.size() && name[j] >= 0x80) {
            const std::size_t n = unitsat(name, j);
            if (n == 1 && (ishigh(name[j]) || islow(name[j])) && !islost(name[j])) break;
            letters = letters && n == 1 && cyrillicletter(name[j]);
            j += n;
        }
        if (j == i) {
            out.push_back(replacement);
            ++i;
            continue;
        }
        const std::u16string_view run = name.substr(i, j - i);
        if (legacy && !letters)
            out += fromansi(tonative(run));
        else
            out += run;
        i = j;
    }
    return out;
}

std::string codepageof(std::string_view spelling) {
    // Names only: iconv's suffixes ("//IGNORE") would change what a byte reads as.
    if (spelling.empty() ||
        spelling.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                   "0123456789-_.:") != std::string_view::npos)
        return {};
    std::array<char16_t, 256> table;
    const std::string name(spelling);
    if (singlebyte(name, table)) return name;
    // "1252", "cp1252", "windows-1252": the number as iconv's CP1252.
    std::string_view number = spelling;
    for (std::string_view prefix : {"windows-", "cp"}) {
        if (number.size() > prefix.size() &&
            std::equal(prefix.begin(), prefix.end(), number.begin(), [](char a, char b) {
                return a == std::tolower(static_cast<unsigned char>(b));
            })) {
            number.remove_prefix(prefix.size());
            break;
        }
    }
    if (number.find_first_not_of("0123456789") != std::string_view::npos) return {};
    const std::string cp = "CP" + std::string(number);
    return singlebyte(cp, table) ? cp : std::string();
}

bool codepagerefused(std::string& value) {
    const char* env = std::getenv("VORLINDE_CODEPAGE");
    if (!env || !*env || !codepageof(env).empty()) return false;
    value = env;
    return true;
}

std::string codepagename() {
    return currentcp().name;
}

void resetcodepage() {
    std::lock_guard lock(cpmutex);
    cpcache.reset();
}

char16_t upcase(char16_t c) {
    return uppers().upper[c];
}

std::u16string upcase(std::u16string_view s) {
    const uppertable& t = uppers();
    std::u16string out(s);
    for (auto& c : out) c = t.upper[c];
    return out;
}

bool namebefore(std::u16string_view a, std::u16string_view b) {
    const uppertable& t = uppers();
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t x = t.upper[a[i]], y = t.upper[b[i]];
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

bool matchpattern(std::u16string_view name, std::u16string_view pattern) {
    if (pattern == u"*.*" || pattern == u"*") return true;
    const uppertable& t = uppers();
    // Iterative wildcard match with one back-track point.
    std::size_t n = 0, p = 0, star = std::u16string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || t.upper[pattern[p]] == t.upper[name[n]])) {
            ++n, ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            mark = n;
        } else if (star != std::u16string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

bool maymatch(std::string_view bytes, std::u16string_view pattern) {
    if (pattern.empty() || pattern.front() != u'*') return true;
    const std::u16string_view tail = pattern.substr(1);
    if (tail.find_first_of(u"*?") != std::u16string_view::npos) return true;
    // A name never has more code units than bytes.
    if (tail.size() > bytes.size()) return false;
    const uppertable& t = uppers();
    const std::size_t base = bytes.size() - tail.size();
    // From the end: while the bytes are ASCII, each is one code unit of the
    // name; a byte beyond ASCII makes a unit beyond ASCII there, which can
    // equal an ASCII pattern letter only when some such unit upper-cases to it.
    for (std::size_t k = tail.size(); k-- > 0;) {
        const char16_t want = t.upper[tail[k]];
        if (tail[k] >= 0x80 || t.reachedfromabove[want]) return true;
        const auto byte = static_cast<unsigned char>(bytes[base + k]);
        if (byte >= 0x80 || t.upper[byte] != want) return false;
    }
    return true;
}

} // namespace platform
