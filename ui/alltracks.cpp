// The all-tracks dialog's buttons that reach the lookup and the editor's
// rows: the release search, Ok and the track list.
#include "discogs.h"
#include "editor.h"
#include "names.h"
#include "trackmatch.h"

namespace ui {

void discogs(program& p) {
    forms::TForm11& d = p.Form11;
    const std::u16string oldartist = d.Edit1.text, oldalbum = d.Edit2.text, oldyear = d.Edit3.text;
    std::u16string artist = oldartist, album = oldalbum, year = oldyear;
    if (!lookup::discogssearch(p.host, p.Form6, p.Form7, artist, album, year)) return;
    d.Edit1.text = artist;
    d.Edit2.text = album;
    d.Edit3.text = year;
    d.Button4.enabled = true;
    p.Form10.Button4.enabled = true;
    if (artist != oldartist || p.Form10.artistsdiffer) d.CheckBox1.checked = false;
    if (album != oldalbum || p.Form10.albumsdiffer) d.CheckBox2.checked = false;
    if (year != oldyear) d.CheckBox3.checked = false;
    d.switchedit();
    d.Button4.visible = p.Form6.ComboBox1.items.size() >= p.Form10.ListView1.items.size();
}

void compare(program& p) {
    if (p.Form11.nochange()) return;
    p.Form10.arm();
    forms::listview& rows = p.Form10.ListView1;
    for (std::size_t i = 0; i < rows.items.size(); ++i)
        if (std::u16string& title = rows.subitem(i, forms::coltitle); title.empty())
            title = checker::filetitle(rows.items[i]);
}

void filltitles(program& p) {
    const std::vector<std::u16string>& tracks = p.Form6.ComboBox1.items;
    forms::listview& rows = p.Form10.ListView1;
    if (tracks.empty()) return;
    // A later lookup that failed while refilling the list may have left it
    // shorter than the table: nothing to take from it then.
    if (tracks.size() >= rows.items.size()) {
        if (!lookup::matchtitles(rows, tracks)) lookup::fillbyorder(rows, tracks);
        p.host.repaint(p.Form10);
        p.Form10.Button2.enabled = true;
    }
    p.Form11.Button4.visible = false;
}

} // namespace ui
