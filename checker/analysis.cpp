#include "analysis.h"

#include <iterator>

#include "fieldvarunit.h"
#include "platform.h"
#include "tform3.h"
#include "unify.h"

namespace checker {

void countvariants(const context& c, int& artists, int& albums) {
    artists = static_cast<int>(std::distance(c.artistvars.begin(), c.artistvars.end()));
    albums = static_cast<int>(std::distance(c.albumvars.begin(), c.albumvars.end()));
}

std::u16string trackword(std::int64_t n) {
    const std::string digits = std::to_string(n);
    if (digits.size() >= 2 && digits[digits.size() - 2] == '1') return u"ов";
    switch (digits.back()) {
    case '1':
        return u"";
    case '2':
    case '3':
    case '4':
        return u"а";
    default:
        return u"ов";
    }
}

namespace {

void variantlines(context& c, const fieldvarsptr& tally) {
    for (const fieldvars& v : tally)
        addline(c, u"      " + v.field + u": " + platform::utf8to16(std::to_string(v.count)) +
                       u" трек" + trackword(v.count));
}

} // namespace

void checktags(context& c, int& problems, bool& incomplete, bool& compilation, bool& onlytitles) {
    incomplete = false;
    compilation = false;
    onlytitles = false;
    int missingtitles = 0, lacking = 0, artistdiffs = 0, albumdiffs = 0;
    c.form3->ComboBox1.items.clear();
    c.form3->ComboBox2.items.clear();

    for (const mp3data& t : c.tracks) {
        if (t.artist.empty() || t.album.empty() || t.title.empty()) {
            incomplete = true;
            // The file's name as the user reads it; the line keeps its bytes.
            auto lack = [&](const char16_t* what) {
                addline(c, what + t.filename, what + platform::nametext(t.filename));
            };
            if (t.title.empty()) {
                lack(u"  Нет названия трека: ");
                ++missingtitles;
            }
            if (t.artist.empty()) lack(u"  Нет исполнителя: ");
            if (t.album.empty()) lack(u"  Нет альбома: ");
            if (t.artist.empty() || t.album.empty()) ++lacking;
            ++problems;
        }
        if (!t.artist.empty() && !t.album.empty() &&
            (t.artist != c.dirartist || t.album != c.diralbum)) {
            if (t.artist != c.dirartist) ++artistdiffs;
            if (t.album != c.diralbum) ++albumdiffs;
            ++problems;
        }
        countpair(t.artist, t.album, c.artistvars, c.albumvars);
    }

    int artists = 0, albums = 0;
    countvariants(c, artists, albums);

    if (artists >= 2 && albums == 1 && lacking == 0) {
        addline(c, u" -- Возможно, компиляция");
        compilation = true;
    }
    if (!compilation && (artists >= 2 || albums >= 2)) {
        addline(c, u" -- Найдены расхождения");
        if (!c.artistvars.empty() && c.artistvars.front().count != c.trackcount)
            c.dirartist = topfield(c.artistvars);
        if (!c.albumvars.empty() && c.albumvars.front().count != c.trackcount)
            c.diralbum = topfield(c.albumvars);
    }

    if (artists >= 2 || albums >= 2) {
        addline(c, u"  Исполнители:");
        variantlines(c, c.artistvars);
        addline(c, u"  Альбомы:");
        variantlines(c, c.albumvars);
    } else {
        addline(c, u"  Исполнитель: " + c.dirartist);
        addline(c, u"  Альбом: " + c.diralbum);
        addline(c, u"  Год: " + (c.diryear.empty() ? std::u16string(u"не найден") : c.diryear));
    }

    onlytitles = missingtitles > 0 && lacking == 0 && artistdiffs == 0 && albumdiffs == 0;
    if (problems > 0) prepunify(c);
}

} // namespace checker
