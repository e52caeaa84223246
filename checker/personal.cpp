#include "personal.h"

#include <cstddef>
#include <string>
#include <vector>

#include "names.h"
#include "platform.h"

namespace checker {

namespace {

std::u16string decimal(std::int64_t n) {
    std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

mp3data& addcopy(trackchain& list, int& counter, const mp3data& t, std::u16string trno) {
    return addtrack(list, counter, t.filename, t.artist, t.album, t.year, t.title, std::move(trno),
                    t.tcon, t.tcomp);
}

// Picks the greatest remaining key N times and prepends it, so the new list
// runs in ascending order. Among equal keys the one met first wins the pick,
// and so gets the higher number: the later file in directory order.
void sortbykey(context& c, std::u16string mp3data::*key) {
    std::vector<const mp3data*> old;
    for (const mp3data& t : c.tracks) old.push_back(&t);
    std::vector<bool> taken(old.size(), false);
    trackchain fresh;
    int counter = 0;
    for (std::size_t n = old.size(); n >= 1; --n) {
        std::size_t best = old.size();
        for (std::size_t i = 0; i < old.size(); ++i)
            if (!taken[i] && (best == old.size() || old[i]->*key > old[best]->*key)) best = i;
        taken[best] = true;
        addcopy(fresh, counter, *old[best], decimal(static_cast<std::int64_t>(n)));
    }
    freetracks(c.tracks);
    c.tracks = std::move(fresh);
}

} // namespace

std::uint32_t randomgen::next(std::uint32_t range) {
    state = state * 134775813u + 1u;
    return static_cast<std::uint32_t>((std::uint64_t(state) * range) >> 32);
}

void sortbyfile(context& c) {
    sortbykey(c, &mp3data::filename);
}
void sortbyartist(context& c) {
    sortbykey(c, &mp3data::artist);
}
void sortbyalbum(context& c) {
    sortbykey(c, &mp3data::album);
}
void sortbytitle(context& c) {
    sortbykey(c, &mp3data::title);
}

void sortrandom(context& c) {
    std::uint64_t counter = platform::perfcounter();
    sortrandom(c, counter != 0 ? static_cast<std::uint32_t>(counter) : platform::tickcount());
}

void sortrandom(context& c, std::uint32_t seed) {
    randomgen gen{seed};
    // N is the list's own length: a count that disagreed with it would make
    // the draw below wait for a number that can never come.
    std::size_t n = 0;
    for ([[maybe_unused]] const mp3data& t : c.tracks) ++n;
    std::vector<bool> used(n + 1, false);
    trackchain fresh;
    int counter = 0;
    for (const mp3data& t : c.tracks) {
        std::uint32_t r;
        do {
            r = gen.next(static_cast<std::uint32_t>(n + 1));
            if (r == 0) r = 1;
        } while (used[r]);
        used[r] = true;
        addcopy(fresh, counter, t, decimal(r));
    }
    freetracks(c.tracks);
    c.tracks = std::move(fresh);
}

void planpersonal(context& c) {
    const std::uint8_t order = c.cfg.sortorder;
    const char16_t* ordertext = u"";
    switch (order) {
    case 1:
        sortbyalbum(c);
        ordertext = u"отсортировать по названию альбома";
        break;
    case 2:
        sortbyartist(c);
        ordertext = u"отсортировать по исполнителю";
        break;
    case 3:
        sortbyfile(c);
        ordertext = u"отсортировать по имени файла";
        break;
    case 4:
        sortrandom(c);
        ordertext = u"отсортировать в случайном порядке";
        break;
    case 5:
        sortbytitle(c);
        ordertext = u"отсортировать по названию";
        break;
    case 6:
        ordertext = u"оставить без изменения";
        break;
    default:
        break;
    }
    const bool changetrno = order != 6;
    const std::u16string& path = c.curdir->item;
    const std::u16string folder = lastdirtext(path);
    const std::u16string icmp = c.cfg.itunesflag ? u"1" : u"";
    const std::int32_t line = linecount(c);
    for (const mp3data& t : c.tracks) {
        std::u16string artist = t.artist.empty() ? u"unknown artist" : t.artist;
        std::u16string title = t.title.empty() ? filetitle(t.filename) : t.title;
        title = artist + u" - " + title;
        addop(c.plannedops, write_tag, true, path, t.filename, artist, title, folder, t.year, line,
              changetrno, t.trno, u"-1", icmp);
    }
    addline(c, u"  > (Пере)записать теги:  [ %Исполнитель% :: %Исполнитель% - %Название% :: " +
                   folder + u"  ::  %Год% ], номера треков " + ordertext);
}

} // namespace checker
