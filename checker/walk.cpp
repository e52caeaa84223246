#include "walk.h"

#include <set>
#include <stdexcept>
#include <vector>

#include "decisions.h"
#include "genres.h"
#include "id3v2.h"
#include "names.h"
#include "platform.h"

namespace checker {

namespace {

struct walkstate {
    std::set<platform::fileid> seen;
    std::u16string root; // the root with its links resolved; empty when unknown
};

bool inside(const walkstate& w, const std::u16string& resolved) {
    if (w.root.empty()) return false;
    if (resolved == w.root) return true;
    const std::u16string prefix = w.root.back() == u'/' ? w.root : w.root + u'/';
    return resolved.starts_with(prefix);
}

// `followed`: path was reached through a link, so anything below it that
// lies inside the tree is left to its own path.
void walk(context& c, walkstate& w, std::u16string path, bool followed) {
    if (path.empty()) return; // no folder: never the current one
    if (path.back() != u'/') path += u'/';
    std::vector<platform::direntry> entries;
    if (!platform::searchfolders(path + u"*.*", entries)) return;
    for (const platform::direntry& e : entries) {
        if (e.name.empty() || e.name.front() == u'.' || !e.folder) continue;
        std::u16string child = path + e.name;
        if (w.seen.contains(e.id)) continue; // a folder's id is always known
        bool throughlink = followed;
        if (e.link || followed) {
            std::u16string resolved;
            if (platform::resolvepath(child, resolved) && inside(w, resolved)) continue;
            throughlink = true;
        }
        w.seen.insert(e.id);
        adddir(c.dirlist, child);
        walk(c, w, std::move(child), throughlink);
    }
}

// Reads the tracks of the current folder and settles its artist, album and
// year: the first non-empty value of each, in search order.
void scanfolder(context& c) {
    const std::u16string& folder = c.curdir->item;
    std::vector<platform::direntry> entries;
    if (folder.empty() || !platform::search(folder + u"/*.mp3", entries, platform::attr_any))
        entries.clear();
    for (const platform::direntry& e : entries) {
        if (e.folder) continue; // a folder named "*.mp3" holds no audio
        std::u16string genre, tcmp;
        bool haspicture = false;
        id3v2::readtags(folder + u"/" + e.name, c.tagartist, c.tagtitle, c.tagalbum, c.tagyear,
                        c.tagtrno, genre, tcmp, haspicture, false);
        id3v2::picdata.reset();
        id3v2::piclen = 0;
        addtrack(c.tracks, c.trackcount, e.name, c.tagartist, c.tagalbum, c.tagyear, c.tagtitle,
                 c.tagtrno, genre, tcmp);
        if (!c.artistfound) {
            c.dirartist = c.tagartist;
            c.artistfound = !c.tagartist.empty();
        }
        if (!c.albumfound) {
            c.diralbum = c.tagalbum;
            c.albumfound = !c.tagalbum.empty();
        }
        if (!c.yearfound) {
            c.diryear = c.tagyear;
            c.yearfound = !c.tagyear.empty();
        }
    }
}

void processfolder(context& c) {
    c.itunesplanned = false;
    c.onlytitles = false;
    c.skip = false;
    c.artistfound = c.albumfound = c.yearfound = false;
    c.dirok = true;
    c.dirartist.clear();
    c.diralbum.clear();
    c.diryear.clear();
    clearfields(c.artistvars);
    clearfields(c.albumvars);

    c.host.repaint(c.form1);
    c.host.processmessages();

    addline(c, u"");
    addline(c, c.curdir->item, pathtext(c.curdir->item));

    c.trackcount = 0;
    c.problemcount = 0;
    freetracks(c.tracks);
    scanfolder(c);
    if (c.diryear.empty()) c.diryear = yearfromname(lastdir(c.curdir->item));
    c.keepname = c.form1.CheckBox3.checked;

    if (c.trackcount == 0) {
        addline(c, u" -- нет mp3-файлов");
        c.dirok = false;
        return;
    }

    decidefolder(c);

    backupplaylists(c);
    freetracks(c.tracks);
    if (c.dirok) addline(c, u" -- Ok");
}

} // namespace

void walkdirs(context& c, const std::u16string& path) {
    walkstate w;
    platform::fileid id;
    if (!path.empty() && platform::getfileid(path, id)) w.seen.insert(id);
    if (!path.empty() && !platform::resolvepath(path, w.root)) w.root.clear();
    walk(c, w, path, false);
}

void processdirs(context& c) {
    if (!c.form2 || !c.form3) throw std::logic_error("processdirs: the run dialogs are not set");
    c.form1.notstarted = false;
    c.form1.Button3.enabled = false;
    c.stop = false;

    // The lists are the run's alone, also when a dialog's host throws.
    struct cleanup {
        context& c;
        ~cleanup() {
            c.curdir = nullptr;
            freedirs(c.dirlist);
            freetracks(c.tracks);
        }
    } guard{c};
    freedirs(c.dirlist);

    const std::u16string root = c.form1.Label1.caption;
    adddir(c.dirlist, root);
    walkdirs(c, root);

    for (auto it = c.dirlist.begin(); it != c.dirlist.end() && !c.stop; ++it) {
        c.curdir = &*it;
        processfolder(c);
    }
    c.curdir = nullptr;
    freedirs(c.dirlist);

    if (!c.stop) {
        addline(c, u"");
        addline(c, u"Обработка окончена. Теперь можно просмотреть запланированные операции.");
        addline(c, u"Двойной щелчок на строчке \"Переименовать\" - редактирование "
                   u"переименования, правый щелчок - отмена любой операции.");
        addline(c, u"Двойной щелчок на пути к папке - вызов редактора тегов.");
        addline(c,
                u"Правый щелчок на пути к папке - отмена всех запланированных для нее операций.");
        addline(c, u"");
        addline(c, u"Нажмите \"Применить\" для физического выполнения операций или \"Пуск\" для "
                   u"повторной обработки дерева папок.");
        addline(c, u"");
    } else {
        addline(c, u"");
        addline(c, u"Обработка отменена пользователем");
        addline(c, u"");
    }
    c.form1.ListView1.showrow = linecount(c) - 1;
    c.host.repaint(c.form1);
}

} // namespace checker
