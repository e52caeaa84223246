// Whole runs without a display: real MP3 files (encoded once per test binary
// by lame, tagged by mutagen) in a folder tree below a tempdir, the run
// dialogs bound as the program binds them, and the scripted host answering
// the modal showings.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "checkerenv.h"
#include "mp3fixture.h"
#include "settings.h"
#include "testutil.h"
#include "tform2.h"
#include "tform3.h"
#include "tform6.h"
#include "tform7.h"
#include "walk.h"
#include "wiring.h"

namespace runtest {

namespace fs = std::filesystem;
using testutil::u16;
using testutil::u8;

using mp3fixture::basemp3;
using mp3fixture::tagwithmutagen;
using tags = mp3fixture::tags;

// A planned operation as plain values, for whole comparisons.
struct op {
    checker::opcodeset opcode;
    bool perform;
    std::u16string pathname, newname, artist, title, album, year;
    std::int32_t listindex;
    bool changetrno;
    std::u16string trno, genre, icmp;
    bool undo = false;
    friend bool operator==(const op&, const op&) = default;
    friend std::ostream& operator<<(std::ostream& o, const op& x) {
        return o << "{" << int(x.opcode) << (x.perform ? " on " : " off ") << u8(x.pathname)
                 << " | " << u8(x.newname) << " | " << u8(x.artist) << " | " << u8(x.title) << " | "
                 << u8(x.album) << " | " << u8(x.year) << " | line " << x.listindex
                 << (x.changetrno ? " trno " : " ") << u8(x.trno) << " | " << u8(x.genre) << " | "
                 << u8(x.icmp) << (x.undo ? " undo" : "") << "}";
    }
};

inline op tagop(std::u16string folder, std::u16string file, std::u16string artist,
                std::u16string title, std::u16string album, std::u16string year, std::int32_t line,
                std::u16string genre = u"-1", std::u16string icmp = u"", bool changetrno = false,
                std::u16string trno = u"") {
    op o{};
    o.opcode = checker::write_tag, o.perform = true, o.pathname = std::move(folder);
    o.newname = std::move(file), o.artist = std::move(artist), o.title = std::move(title);
    o.album = std::move(album), o.year = std::move(year), o.listindex = line;
    o.changetrno = changetrno, o.trno = std::move(trno), o.genre = std::move(genre);
    o.icmp = std::move(icmp);
    return o;
}

inline op renameop(std::u16string from, std::u16string to, std::int32_t line) {
    op o{};
    o.opcode = checker::rename_dir, o.perform = true, o.pathname = std::move(from);
    o.newname = std::move(to), o.listindex = line, o.genre = u"-1";
    return o;
}

struct runenv : checkerenv {
    testutil::tempdir t;
    forms::TForm2 form2{&form1};
    forms::TForm3 form3{&form1};
    forms::TForm6 form6;
    forms::TForm7 form7;
    std::vector<std::pair<fs::path, tags>> pending;

    runenv() {
        for (forms::form* f :
             std::initializer_list<forms::form*>{&form1, &form2, &form3, &form6, &form7})
            f->owner = &host;
        ui::bindrundialogs(c, form2, form3, form6, form7);
        c.programfolder = t.u16();
        checker::defaultcfg(c, c.cfg);
        form1.Label1.caption = root();
    }

    std::u16string root() const { return t.u16(); }
    std::u16string path(std::u16string_view rel) const { return rel.empty() ? root() : t.u16(rel); }
    fs::path native(std::u16string_view rel) const {
        return fs::path(platform::tonative(path(rel)));
    }

    void folder(std::u16string_view rel) { fs::create_directories(native(rel)); }
    // An MP3 file at rel (its folders made), tagged before the run.
    void mp3(std::u16string_view rel, tags tg = {}) {
        const fs::path p = native(rel);
        fs::create_directories(p.parent_path());
        testutil::writefile(p, basemp3());
        pending.emplace_back(p, std::move(tg));
    }
    void file(std::u16string_view rel, const std::string& bytes = "x") {
        const fs::path p = native(rel);
        fs::create_directories(p.parent_path());
        testutil::writefile(p, bytes);
    }

    // Keep-names box, skip-compilations box.
    void keepnames(bool on) { form1.CheckBox3.checked = on; }
    void skipcompilations(bool on) { form1.CheckBox2.checked = on; }

    // Runs as the Start button does: the previous run's lines and operations
    // go first.
    void run() {
        tagwithmutagen(pending);
        pending.clear();
        checker::freeops(c.plannedops);
        form1.ListView1.items.clear();
        checker::processdirs(c);
    }

    std::vector<op> ops() const {
        std::vector<op> r;
        for (const checker::oplist& o : c.plannedops)
            r.push_back({o.opcode, o.perform, o.pathname, o.newname, o.artist, o.title, o.album,
                         o.year, o.listindex, o.changetrno, o.trno, o.genre, o.icmp, o.undo});
        return r;
    }

    // All report lines, as UTF-8 so that failures print readably.
    std::vector<std::string> all() const {
        std::vector<std::string> r;
        for (const auto& l : lines()) r.push_back(u8(l));
        return r;
    }
    // The lines of one folder after its path line, up to the next empty line.
    std::vector<std::string> folderlines(std::u16string_view rel) const {
        const std::u16string p = path(rel);
        std::vector<std::string> r;
        const auto& l = lines();
        for (std::size_t i = 1; i < l.size(); ++i) {
            if (l[i] != p || !l[i - 1].empty()) continue;
            for (std::size_t j = i + 1; j < l.size() && !l[j].empty(); ++j) r.push_back(u8(l[j]));
            return r;
        }
        ADD_FAILURE() << "no lines for " << u8(p);
        return r;
    }
    // Index of a folder's path line.
    std::int32_t lineof(std::u16string_view rel) const {
        const std::u16string p = path(rel);
        const auto& l = lines();
        for (std::size_t i = 0; i < l.size(); ++i)
            if (l[i] == p) return static_cast<std::int32_t>(i);
        ADD_FAILURE() << "no line " << u8(p);
        return -1;
    }
};

// The closing lines of a run that was not stopped.
inline std::vector<std::string> endlines() {
    return {"",
            "Обработка окончена. Теперь можно просмотреть запланированные операции.",
            "Двойной щелчок на строчке \"Переименовать\" - редактирование переименования, "
            "правый щелчок - отмена любой операции.",
            "Двойной щелчок на пути к папке - вызов редактора тегов.",
            "Правый щелчок на пути к папке - отмена всех запланированных для нее операций.",
            "",
            "Нажмите \"Применить\" для физического выполнения операций или \"Пуск\" для "
            "повторной обработки дерева папок.",
            ""};
}

inline std::vector<std::string> stoplines() {
    return {"", "Обработка отменена пользователем", ""};
}

} // namespace runtest
