#include "apply.h"

#include <algorithm>
#include <string>
#include <vector>

#include "id3v2.h"
#include "names.h"
#include "platform.h"
#include "progress.h"
#include "rootdir.h"
#include "tform4.h"

namespace checker {

namespace {

std::u16string decimal(std::int64_t n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

// The folder part of a file's path without its final "/"; the root keeps it.
std::u16string folderof(const std::u16string& path) {
    std::u16string f = parentdir(path);
    if (f.size() > 1 && f.back() == u'/') f.pop_back();
    return f;
}

// The number of components of a path: how deep in the tree it lies.
std::size_t depth(const std::u16string& path) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (path[i] != u'/' && (i == 0 || path[i - 1] == u'/')) ++n;
    return n;
}

struct applystate {
    context& c;
    forms::TForm4& form4;
    bool failed = false;
    bool rootrenamed = false;

    bool rename(const std::u16string& from, const std::u16string& to) {
        const int ioerr = platform::renamepath(from, to);
        if (ioerr == 0) return true;
        addline(c, renamefailedline + decimal(ioerr));
        failed = true;
        return false;
    }

    void tagwrites() {
        const std::int32_t total = counttagwrites(c);
        std::int32_t n = 1;
        // The rewrite drives the file bar and lets messages through per block.
        id3v2::progressscope scope(id3v2::windowprogress(form4));
        for (const oplist& op : c.plannedops) {
            if (!op.perform || op.opcode != write_tag) continue;
            std::u16string path = op.pathname;
            if (path.empty() || path.back() != u'/') path += u'/';

            std::u16string what = u": (пере)запись id3-тегов -> [" + op.artist + u" :: " +
                                  op.album + u" :: " + op.title;
            if (!op.year.empty()) what += u" :: " + op.year;
            what += u"]";
            const std::u16string file = platform::nametext(op.newname);
            addline(c, u"  " + op.newname + what, u"  " + file + what);

            form4.setbatchposition(
                static_cast<int>(std::int64_t{form4.ProgressBar1.max} * n / total));
            c.host.repaint(c.form1);
            form4.repaintnow();
            form4.tofront();
            form4.setlabel(u"Файл " + decimal(n) + u" из " + decimal(total) + u" (" + file + u")");
            form4.repaintnow();
            ++n;

            path += op.newname;
            const std::u16string trno = op.changetrno ? op.trno : std::u16string();
            if (!id3v2::rewritetag(path, op.artist, op.title, op.album, op.year, op.genre,
                                   op.changetrno, trno, op.icmp, std::string(), 0, std::string())) {
                addline(c, tagfailedline);
                failed = true;
            }
        }
    }

    // A folder's numbered files follow one another in the list; each run of
    // them gets its header line.
    void filerenames() {
        auto it = c.plannedops.begin();
        const auto end = c.plannedops.end();
        auto numbered = [](const oplist& op) { return op.opcode == rename_file && op.perform; };
        while (it != end) {
            if (!numbered(*it)) {
                ++it;
                continue;
            }
            const std::u16string folder = lastdir(folderof(it->pathname));
            const std::u16string what = u": добавление номеров к именам файлов";
            addline(c, u"  " + folder + what, u"  " + platform::nametext(folder) + what);
            do {
                rename(it->pathname, it->newname);
                ++it;
            } while (it != end && numbered(*it) && lastdir(folderof(it->pathname)) == folder);
        }
    }

    // The list holds a folder's operations before its subfolders', so list
    // order would rename a parent first and leave its subfolders' operations
    // naming paths that are gone. Deeper folders go first instead; a folder's
    // playlist stands before the folder's rename in the list and so keeps
    // that place among operations of equal depth.
    void folderrenames() {
        std::vector<const oplist*> todo;
        for (const oplist& op : c.plannedops)
            if (op.perform && (op.opcode == rename_dir || op.opcode == backup_playlist))
                todo.push_back(&op);
        auto reach = [](const oplist* op) {
            return depth(op->opcode == rename_dir ? op->pathname : folderof(op->pathname));
        };
        std::stable_sort(todo.begin(), todo.end(),
                         [&](const oplist* a, const oplist* b) { return reach(a) > reach(b); });

        for (const oplist* op : todo) {
            if (op->opcode == rename_dir) {
                addline(c, u"  переименование " + op->pathname + u" В " + op->newname,
                        u"  переименование " + pathtext(op->pathname) + u" В " +
                            pathtext(op->newname));
                if (rename(op->pathname, op->newname) && op->pathname == c.form1.Label1.caption) {
                    c.form1.Label1.caption = op->newname;
                    rootrenamed = true;
                }
            } else {
                addline(c, u"  переименование плейлиста: " + op->pathname,
                        u"  переименование плейлиста: " + pathtext(op->pathname));
                rename(op->pathname, op->newname);
            }
        }
    }
};

} // namespace

std::int32_t counttagwrites(const context& c) {
    std::int32_t n = 0;
    for (const oplist& op : c.plannedops)
        if (op.opcode == write_tag && op.perform) ++n;
    return n;
}

void applychanges(context& c) {
    forms::TForm1& f = c.form1;
    f.Button1.enabled = false;
    f.Button1.caption = u"Ждите...";
    addline(c, u"Вношу изменения");
    f.CheckBox5.visible = false;
    f.Button3.enabled = false;

    forms::TForm4 form4;
    form4.owner = &c.host;
    c.form4 = &form4;
    form4.open();
    f.enabled = false;

    // The window comes back, and the progress window goes, also when a
    // host's handler throws through the passes.
    struct unwind {
        context& c;
        forms::TForm4& form4;
        bool active = true;
        ~unwind() {
            if (!active) return;
            form4.close();
            c.form4 = nullptr;
            c.form1.enabled = true;
            c.form1.Button1.enabled = true;
            c.form1.Button1.caption = u"Пуск";
        }
    } guard{c, form4};

    applystate s{c, form4};
    s.tagwrites();
    s.filerenames();
    s.folderrenames();

    freeops(c.plannedops);
    form4.close();
    c.form4 = nullptr;
    f.enabled = true;
    guard.active = false;

    addline(c, s.failed ? u"Произошли некоторые ошибки" : u"Все выполнено");
    f.ListView1.showrow = linecount(c) - 1;
    f.Button1.enabled = true;
    f.Button1.caption = u"Пуск";
    f.Button3.enabled = false;
    f.CheckBox5.visible = false;
    c.host.repaint(f);

    if (s.rootrenamed) storeroot(c, f.Label1.caption);
}

} // namespace checker
