#include "names.h"

#include <algorithm>

#include "platform.h"

namespace checker {

namespace {

bool isunsafe(char16_t ch) {
    switch (ch) {
    case u'"':
    case u'*':
    case u'/':
    case u':':
    case u';':
    case u'<':
    case u'>':
    case u'?':
    case u'\\':
    case u'|':
        return true;
    default:
        return false;
    }
}

bool iscontrol(char16_t ch) {
    return ch < 0x20;
}

void erasefirst(std::u16string& s, std::u16string_view what) {
    const std::size_t p = s.find(what);
    if (p != std::u16string::npos) s.erase(p, what.size());
}

} // namespace

void cleanname(context& c, std::u16string& s) {
    bool removed = false;
    std::size_t i = 0;
    while (i < s.size()) {
        const char16_t ch = s[i];
        if (isunsafe(ch)) {
            s[i] = u'.';
            ++i;
        } else if (iscontrol(ch)) {
            s.erase(i, 1);
            removed = true;
            // A name of control characters only must not vanish; one control
            // character alone ends the same way.
            if (s.size() == 1 && i == 0 && iscontrol(s[0]))
                s[0] = u'_';
            else if (s.empty())
                s.push_back(u'_');
        } else {
            ++i;
        }
    }
    if (removed) addline(c, u"  extra #0s in tag");
    // File managers hide a folder whose name begins with a dot, and the walk
    // skips it.
    if (s.empty() || s[0] != u'.') return;
    s.erase(0, std::min(s.find_first_not_of(u". "), s.size()));
    if (s.empty()) s.push_back(u'_');
}

std::u16string cut45(const std::u16string& s) {
    return s.substr(0, 45);
}

bool isdigitc(char16_t ch) {
    return ch >= u'0' && ch <= u'9';
}

bool yearok(const std::u16string& s) {
    return s.size() <= 4 && std::all_of(s.begin(), s.end(), isdigitc);
}

std::u16string yearfromname(const std::u16string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        if (!isdigitc(s[i])) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < s.size() && isdigitc(s[j])) ++j;
        if (j - i == 4) {
            const std::u16string year = s.substr(i, 4);
            const std::u16string century = year.substr(0, 2);
            if (century > u"20" || century < u"19") return {};
            const int value = (year[0] - u'0') * 1000 + (year[1] - u'0') * 100 +
                              (year[2] - u'0') * 10 + (year[3] - u'0');
            if (value > platform::today().year) return {};
            return year;
        }
        i = j;
    }
    return {};
}

void stripyear(std::u16string& artist, std::u16string& album, const std::u16string& year) {
    if (artist == year) artist.clear();
    if (album == year) album.clear();
    if (year.empty()) return;
    for (std::u16string* part : {&artist, &album}) {
        const std::size_t p = part->find(year);
        if (p == std::u16string::npos) continue;
        const std::size_t after = p + year.size();
        if (after < part->size() && (*part)[after] == u'.') continue;
        if (p > 0 && (*part)[p - 1] == u'.') continue;
        std::u16string t = *part;
        t.erase(p, year.size());
        erasefirst(t, u"()");
        erasefirst(t, u"[]");
        erasefirst(t, u" - ");
        *part = std::move(t);
    }
}

void rtrimsp(std::u16string& s) {
    while (!s.empty() && s.back() == u' ') s.pop_back();
}

void nospaces(std::u16string& s) {
    std::erase(s, u' ');
}

void splitdirname(const std::u16string& name, std::u16string& artist, std::u16string& album) {
    artist.clear();
    album.clear();
    const std::size_t len = name.size();
    std::size_t i = 0; // 0-based: i + 1 is the position of the walk
    bool found = false;
    while (i < len) {
        if (len - (i + 1) > 3 && name.compare(i, 3, u" - ") == 0) {
            found = true;
            i += 3;
            break;
        }
        artist += name[i];
        ++i;
    }
    if (found) {
        const std::size_t end = name.find_first_of(u"[(", i);
        album = name.substr(i, end == std::u16string::npos ? std::u16string::npos : end - i);
    }
    rtrimsp(artist);
    rtrimsp(album);
}

std::u16string filetitle(const std::u16string& filename) {
    const std::size_t slash = filename.rfind(u'/');
    const std::size_t dot = filename.rfind(u'.');
    if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash))
        return platform::nametext(filename);
    return platform::nametext(std::u16string_view(filename).substr(0, dot));
}

std::u16string underscores(const std::u16string& s) {
    std::u16string r = s;
    std::replace(r.begin(), r.end(), u' ', u'_');
    return r;
}

bool inallnames(const context& c, const std::u16string& s) {
    const std::u16string us = platform::upcase(s);
    for (const mp3data& t : c.tracks)
        if (us.empty() ||
            platform::upcase(platform::nametext(t.filename)).find(us) == std::u16string::npos)
            return false;
    return true;
}

void namesinfiles(const context& c, const std::u16string& artist, const std::u16string& album,
                  bool& inartist, bool& inalbum, bool& inartistus, bool& inalbumus) {
    inartist = inalbum = inartistus = inalbumus = false;
    inartist = inallnames(c, artist);
    const std::u16string artistus = underscores(artist);
    if (artistus != artist) inartistus = inallnames(c, artistus);
    inalbum = inallnames(c, album);
    const std::u16string albumus = underscores(album);
    if (albumus != album) inalbumus = inallnames(c, albumus);
}

void cutname(const std::u16string& s, std::u16string& title) {
    if (s.empty()) return;
    const std::size_t p = platform::upcase(title).find(platform::upcase(s));
    if (p == std::u16string::npos) return;
    title.erase(p, s.size());
    if (title.compare(p, 3, u" - ") == 0 || title.compare(p, 3, u"_-_") == 0) title.erase(p, 3);
}

void cleantitle(const context& c, bool inartist, bool inalbum, bool inartistus, bool inalbumus,
                std::u16string& title) {
    if (inartist) cutname(c.dirartist, title);
    if (inalbum) cutname(c.diralbum, title);
    if (inartistus) cutname(underscores(c.dirartist), title);
    if (inalbumus) cutname(underscores(c.diralbum), title);
}

std::u16string lastdir(const std::u16string& path) {
    const std::size_t slash = path.rfind(u'/');
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

std::u16string lastdirtext(const std::u16string& path) {
    return platform::nametext(lastdir(path));
}

std::u16string pathtext(std::u16string_view path) {
    // Most paths are text already, and the window shows one a folder.
    if (std::none_of(path.begin(), path.end(),
                     [](char16_t u) { return u < u' ' || (u >= 0xD800 && u <= 0xDFFF); }))
        return std::u16string(path);
    std::u16string out;
    out.reserve(path.size());
    for (std::size_t from = 0;;) {
        const std::size_t slash = std::min(path.find(u'/', from), path.size());
        out += platform::nametext(path.substr(from, slash - from));
        if (slash == path.size()) return out;
        out += u'/';
        from = slash + 1;
    }
}

std::u16string parentdir(const std::u16string& path) {
    const std::size_t slash = path.rfind(u'/');
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

} // namespace checker
