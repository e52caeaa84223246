// A checker context positioned on one folder, with helpers to fill its track
// list the way a directory search does and to read back what was planned.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "checkerenv.h"
#include "testutil.h"
#include "worklists.h"

// A track as read; the fields left out are empty.
struct trackspec {
    trackspec(std::u16string filename, std::u16string artist = {}, std::u16string album = {},
              std::u16string year = {}, std::u16string title = {}, std::u16string trno = {},
              std::u16string tcon = {}, std::u16string tcomp = {})
        : filename(std::move(filename)), artist(std::move(artist)), album(std::move(album)),
          year(std::move(year)), title(std::move(title)), trno(std::move(trno)),
          tcon(std::move(tcon)), tcomp(std::move(tcomp)) {}
    std::u16string filename, artist, album, year, title, trno, tcon, tcomp;
};

struct folderenv : checkerenv {
    explicit folderenv(std::u16string path = u"/music/Artist - Album (1999)") {
        checker::adddir(c.dirlist, std::move(path));
        c.curdir = &c.dirlist.front();
    }

    const std::u16string& folder() const { return c.curdir->item; }

    // Tracks in directory order: the list ends up the other way round.
    void tracks(std::initializer_list<trackspec> specs) {
        for (const trackspec& t : specs)
            checker::addtrack(c.tracks, c.trackcount, t.filename, t.artist, t.album, t.year,
                              t.title, t.trno, t.tcon, t.tcomp);
    }
    // Only file names and track numbers, in directory order.
    void numbered(std::initializer_list<std::pair<std::u16string, std::u16string>> files) {
        for (const auto& [name, trno] : files)
            checker::addtrack(c.tracks, c.trackcount, name, u"Artist", u"Album", u"1999",
                              u"Title of " + name, trno, u"", u"");
    }

    std::vector<const checker::oplist*> ops() const {
        std::vector<const checker::oplist*> r;
        for (const checker::oplist& op : c.plannedops) r.push_back(&op);
        return r;
    }
    std::size_t opcount() const { return ops().size(); }
    // The newest operation of the kind for the file (write_tag: its name in
    // the folder; the others: its full path).
    const checker::oplist* opfor(const std::u16string& name,
                                 checker::opcodeset kind = checker::write_tag) const {
        for (const checker::oplist& op : c.plannedops)
            if (op.opcode == kind &&
                (kind == checker::write_tag ? op.newname : op.pathname) == name)
                return &op;
        return nullptr;
    }
    // An operation planned by the unify step before the late planners run.
    checker::oplist& unifyop(const std::u16string& name, std::int32_t line) {
        return checker::addop(c.plannedops, checker::write_tag, true, folder(), name, u"Unified",
                              u"Unified title", u"Unified album", u"2001", line, false, u"", u"-1",
                              u"");
    }
};
