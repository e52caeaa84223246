#include "tracknumbers.h"

#include <limits>

#include "names.h"

namespace checker {

namespace {

std::u16string decimal(std::int64_t n) {
    std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

// A whole decimal number with an optional sign that fits 32 bits; false for
// anything else (the empty text, a lone sign, other characters, overflow).
bool todecimal(const std::u16string& s, std::int32_t& n) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
    if (i == s.size()) return false;
    std::int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (!isdigitw(s[i])) return false;
        v = v * 10 + (s[i] - u'0');
        if (v > std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1) return false;
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<std::int32_t>::max()) return false;
    n = static_cast<std::int32_t>(v);
    return true;
}

const std::u16string& folderpath(const context& c) {
    return c.curdir->item;
}

} // namespace

std::int32_t folderopindex(const context& c, const std::u16string& path) {
    for (const oplist& op : folderops(c.plannedops, path))
        if (op.opcode == write_tag) return op.listindex;
    return -1;
}

oplist* filetagop(context& c, const std::u16string& path, const std::u16string& filename) {
    for (oplist& op : folderops(c.plannedops, path))
        if (op.opcode == write_tag && op.newname == filename) return &op;
    return nullptr;
}

bool isdigitw(char16_t ch) {
    return ch >= u'0' && ch <= u'9';
}

void trnoval(const std::u16string& text, std::int32_t& n) {
    n = 0;
    std::u16string s = text;
    nospaces(s);
    if (auto slash = s.find(u'/'); slash != std::u16string::npos) s.erase(slash);
    if (!s.empty()) {
        std::int32_t v = 0;
        if (todecimal(s, v)) n = v;
    }
}

bool trnoused(const context& c, std::int32_t n) {
    for (const mp3data& t : c.tracks) {
        std::int32_t v = 0;
        trnoval(t.trno, v);
        if (v == n) return true;
    }
    return false;
}

bool has3digits(const std::u16string& s) {
    for (std::size_t i = 0; i + 3 < s.size(); ++i)
        if (isdigitw(s[i]) && isdigitw(s[i + 1]) && isdigitw(s[i + 2]) && !isdigitw(s[i + 3]) &&
            (i == 0 || !isdigitw(s[i - 1])))
            return true;
    return false;
}

bool all3digits(const context& c) {
    for (const mp3data& t : c.tracks)
        if (!has3digits(t.filename)) return false;
    return true;
}

bool trnocomplete(const context& c, bool& all3) {
    bool complete = true;
    for (std::int32_t n = 1; n <= c.trackcount; ++n)
        if (!trnoused(c, n)) {
            complete = false;
            break;
        }
    all3 = all3digits(c);
    return complete;
}

void filenumber(const std::u16string& s, std::int32_t& n) {
    n = -1;
    for (std::size_t i = 0; i + 2 < s.size(); ++i) {
        if (isdigitw(s[i]) && isdigitw(s[i + 1]) && !isdigitw(s[i + 2]) &&
            (i == 0 || !isdigitw(s[i - 1]))) {
            n = (s[i] - u'0') * 10 + (s[i + 1] - u'0');
            return;
        }
        if (isdigitw(s[i]) && s[i + 1] < u'0' && (i == 0 || s[i - 1] < u'0')) {
            n = s[i] - u'0';
            return;
        }
    }
}

bool filenumberused(const context& c, std::int32_t n) {
    for (const mp3data& t : c.tracks) {
        std::int32_t v = 0;
        filenumber(t.filename, v);
        if (v == n) return true;
    }
    return false;
}

bool filescomplete(const context& c) {
    for (std::int32_t n = 1; n <= c.trackcount; ++n)
        if (!filenumberused(c, n)) return false;
    return true;
}

bool fixtrnos(context& c) {
    if (!filescomplete(c)) return false;
    const std::u16string& folder = folderpath(c);
    const std::int32_t idx = folderopindex(c, folder);
    for (const mp3data& t : c.tracks) {
        std::int32_t f = 0, n = 0;
        filenumber(t.filename, f);
        trnoval(t.trno, n);
        if (f == n) continue;
        if (oplist* op = filetagop(c, folder, t.filename)) {
            op->changetrno = true;
            op->trno = decimal(f);
        } else {
            addop(c.plannedops, write_tag, true, folder, t.filename, t.artist, t.title, t.album,
                  t.year, idx != -1 ? idx : linecount(c), true, decimal(f), u"-1", u"");
        }
    }
    if (idx == -1) addline(c, u"  > (Пере)записать id3-теги -> Исправить номера треков или жанр");
    addline(c, u"  При перезаписи тега номера треков будут взяты из имен файлов");
    return true;
}

void numberfiles(context& c) {
    const std::u16string& folder = folderpath(c);
    const std::int32_t line = linecount(c) - 1;
    for (const mp3data& t : c.tracks) {
        std::int32_t n = 0;
        trnoval(t.trno, n);
        std::u16string num = decimal(n);
        if (num.size() < 2) num.insert(num.begin(), u'0');
        addop(c.plannedops, rename_file, true, folder + u"/" + t.filename,
              folder + u"/" + num + u" " + t.filename, u"", u"", u"", u"", line, false, u"", u"",
              u"");
    }
}

} // namespace checker
