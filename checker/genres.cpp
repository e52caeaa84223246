#include "genres.h"

#include <vector>

#include "fieldvarunit.h"
#include "platform.h"
#include "tracknumbers.h"

namespace checker {

bool checkgenre(context& c) {
    fieldvarsptr genres;
    for (const mp3data& t : c.tracks) countfield(t.tcon, genres);
    bool agree = genres.empty() || (std::next(genres.begin()) == genres.end() &&
                                    genres.front().count == c.trackcount);
    if (!agree) {
        std::u16string genre = topfield(genres);
        addline(c, u"  Найдены расхождения в жанрах (двойной щелчок на пути папки, чтобы "
                   u"посмотреть подробности)");
        if (c.cfg.samegenre) {
            addline(c, u"  При перезаписи тега будет выставлен преобладающий жанр: " + genre);
            setgenre(c, genre);
        }
    }
    clearfields(genres);
    return agree;
}

void setgenre(context& c, const std::u16string& genre) {
    const std::u16string& folder = c.curdir->item;
    const std::int32_t idx = folderopindex(c, folder);
    for (const mp3data& t : c.tracks) {
        if (t.tcon == genre) continue;
        if (oplist* op = filetagop(c, folder, t.filename))
            op->genre = genre;
        else
            addop(c.plannedops, write_tag, true, folder, t.filename, t.artist, t.title, t.album,
                  t.year, idx != -1 ? idx : linecount(c), false, t.trno, genre, u"");
    }
    if (idx == -1) addline(c, u"  > (Пере)записать id3-теги  -> Исправить номера треков или жанр");
}

void setcompflag(context& c) {
    const std::u16string& folder = c.curdir->item;
    const std::int32_t idx = folderopindex(c, folder);
    bool planned = false;
    for (const mp3data& t : c.tracks) {
        if (t.tcomp == u"1") continue;
        if (oplist* op = filetagop(c, folder, t.filename)) {
            op->icmp.assign(1, u'1');
        } else {
            addop(c.plannedops, write_tag, true, folder, t.filename, t.artist, t.title, t.album,
                  t.year, idx != -1 ? idx : linecount(c), false, t.trno, t.tcon, u"1");
            planned = true;
        }
    }
    if (idx == -1 && planned)
        addline(c, u"  > (Пере)записать теги  -> Установить флаг iTunes \"Часть сборника\"");
}

void backupplaylists(context& c) {
    const std::u16string& folder = c.curdir->item;
    std::vector<platform::direntry> found;
    if (!platform::search(folder + u"/*.m3u", found, platform::attr_any)) return;
    // A folder whose name ends in ".m3u" is no playlist: renaming it would
    // move everything planned inside it.
    std::erase_if(found, [](const platform::direntry& e) { return e.folder; });
    if (found.empty()) return;
    addline(c, u"  Найден плейлист. При копировании в плеер могут продублироваться треки!");
    if (!c.cfg.bkpplaylists) return;
    addline(c, u"  > Переименовать плейлист");
    const std::int32_t line = linecount(c) - 1;
    for (const platform::direntry& e : found) {
        std::u16string path = folder + u"/" + e.name;
        addop(c.plannedops, backup_playlist, true, path, path + u".bkp", u"", u"", u"", u"", line,
              false, u"", u"", u"");
    }
}

} // namespace checker
