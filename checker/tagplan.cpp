#include "tagplan.h"

#include "id3v2.h"
#include "names.h"
#include "tform3.h"

namespace checker {

namespace {

// Apply writes a file's operations newest first, so an older write of the
// same file (the compilation flag, planned from the tags as read) would put
// the old values back over the unified ones. Both are made to write the same
// tag: the older ones take the new values, the new one what they add.
void agree(context& c, oplist& op) {
    for (oplist& old : folderops(c.plannedops, op.pathname)) {
        if (&old == &op || old.opcode != write_tag || old.newname != op.newname) continue;
        old.artist = op.artist;
        old.title = op.title;
        old.album = op.album;
        old.year = op.year;
        if (op.icmp.empty()) op.icmp = old.icmp;
        if (op.genre == u"-1") op.genre = old.genre;
        if (old.changetrno && !op.changetrno) {
            op.changetrno = true;
            op.trno = old.trno;
        }
    }
}

} // namespace

void plantagwrites(context& c, bool titlesonly) {
    const forms::TForm3& f = *c.form3;
    const std::int32_t line = linecount(c);
    bool inartist = false, inalbum = false, inartistus = false, inalbumus = false;
    namesinfiles(c, c.dirartist, c.diralbum, inartist, inalbum, inartistus, inalbumus);

    bool planned = false;
    std::u16string artist, album;
    for (const mp3data& t : c.tracks) {
        bool changed = false;
        std::u16string title = t.title;
        if (t.title.empty() && c.cfg.titlesfromnames) {
            title = filetitle(t.filename);
            changed = true;
        }
        artist = c.dirartist;
        album = c.diralbum;
        std::u16string year = c.diryear;

        if (f.CheckBox1.checked && t.title.empty() && !t.artist.empty() && !t.album.empty())
            changed = true;
        if (f.CheckBox1.checked && t.artist != f.ComboBox1.text) {
            changed = true;
            artist = f.ComboBox1.text;
            id3v2::trimtagfield(artist);
        }
        if (f.CheckBox2.checked && t.album != f.ComboBox2.text) {
            changed = true;
            album = f.ComboBox2.text;
            id3v2::trimtagfield(album);
        }
        if (!changed) continue;

        if (!f.CheckBox1.checked) artist = t.artist;
        if (!f.CheckBox2.checked) album = t.album;
        if (artist.empty()) artist = c.dirartist;
        if (album.empty()) album = c.diralbum;
        cleantitle(c, inartist, inalbum, inartistus, inalbumus, title);
        oplist& op = addop(c.plannedops, write_tag, true, c.curdir->item, t.filename, artist, title,
                           album, year, line, false, u"", u"-1", u"");
        agree(c, op);
        c.diralbum = album;
        c.dirartist = artist;
        planned = true;
    }

    if (!planned) return;
    if (titlesonly) {
        addline(c, u"  > (Пере)записать id3-теги -> Заполнить пустые названия треков");
    } else {
        std::u16string s = u"  > (Пере)записать id3-теги -> [" + c.dirartist + u" :: " + c.diralbum;
        if (!c.diryear.empty()) s += u" :: " + c.diryear;
        addline(c, s + u"]");
    }
}

} // namespace checker
