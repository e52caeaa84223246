// The folder tag editor's own buttons: filling the table, the all-tracks
// edit, the write and the reread.
#include <algorithm>

#include "editor.h"
#include "fieldvarunit.h"
#include "id3v2.h"
#include "names.h"
#include "progress.h"
#include "tform4.h"

namespace ui {

namespace {

using forms::colalbum, forms::colartist, forms::coltitle, forms::colyear;

std::u16string decimal(std::size_t n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

// The cells of a row as the file's tags give them now.
std::vector<std::u16string> readrow(const std::u16string& path) {
    std::u16string artist, title, album, year, trno, genre, tcmp;
    bool haspicture = false;
    id3v2::readtags(path, artist, title, album, year, trno, genre, tcmp, haspicture, false);
    id3v2::picdata.reset();
    id3v2::piclen = 0;
    return {title, artist, album, year, trno, genre};
}

// A row's cells, every column present.
std::vector<std::u16string> cellsof(const forms::listview& rows, std::size_t row) {
    std::vector<std::u16string> cells =
        row < rows.subitems.size() ? rows.subitems[row] : std::vector<std::u16string>();
    cells.resize(forms::colgenre + 1);
    return cells;
}

} // namespace

void bindeditor(program& p) {
    p.Form10.Button1.onclick = [&p] { massedit(p); };
    p.Form10.Button2.onclick = [&p] { writetags(p); };
    p.Form10.Button4.onclick = [&p] { reread(p); };
    p.Form11.Button3.onclick = [&p] { discogs(p); };
    p.Form11.Button1.onclick = [&p] { compare(p); };
    p.Form11.Button4.onclick = [&p] { filltitles(p); };
}

void listfoldertags(program& p) {
    forms::listview& rows = p.Form10.ListView1;
    const std::u16string folder = p.Form10.folder();
    rows.clearrows();
    p.Form10.files.clear();
    std::vector<platform::direntry> entries;
    if (!platform::search(folder + u"*.mp3", entries, platform::attr_any)) entries.clear();
    for (const platform::direntry& e : entries) {
        if (e.folder) continue;
        rows.addrow(platform::nametext(e.name), readrow(folder + e.name));
        p.Form10.files.push_back(e.name);
    }

    const std::u16string name = checker::lastdirtext(p.Form10.Label1.caption);
    std::u16string artist, album, year = checker::yearfromname(name);
    checker::splitdirname(name, artist, album);
    checker::stripyear(artist, album, year);
    p.Form11.Edit1.text = artist;
    p.Form11.Edit2.text = album;
    p.Form11.Edit3.text = year;
}

void massedit(program& p) {
    forms::TForm10& f = p.Form10;
    forms::TForm11& d = p.Form11;
    forms::listview& rows = f.ListView1;
    checker::fieldvarsptr artists, albums;
    std::u16string year;
    for (std::size_t i = 0; i < rows.items.size(); ++i) {
        const auto cells = cellsof(rows, i);
        checker::countpair(cells[colartist], cells[colalbum], artists, albums);
        year = std::max(year, cells[colyear]);
    }
    d.CheckBox1.checked = d.CheckBox2.checked = d.CheckBox3.checked = true;
    d.switchedit();

    // A value differs when some row lacks the prevailing one.
    auto prevailing = [&](const checker::fieldvarsptr& tally, std::size_t column, bool& differ) {
        std::u16string top = checker::topfield(tally);
        differ = false;
        for (std::size_t i = 0; i < rows.items.size() && !top.empty(); ++i)
            differ = differ || cellsof(rows, i)[column] != top;
        return top;
    };
    for (auto [edit, value] : {std::pair{&d.Edit1, prevailing(artists, colartist, f.artistsdiffer)},
                               std::pair{&d.Edit2, prevailing(albums, colalbum, f.albumsdiffer)},
                               std::pair{&d.Edit3, year}})
        if (!value.empty()) edit->text = value;

    if (p.host.showmodal(d) != forms::mrOk) return;
    for (std::size_t i = 0; i < rows.items.size(); ++i) {
        if (!d.CheckBox1.checked) rows.subitem(i, colartist) = d.Edit1.text;
        if (!d.CheckBox2.checked) rows.subitem(i, colalbum) = d.Edit2.text;
        if (!d.CheckBox3.checked) rows.subitem(i, colyear) = d.Edit3.text;
    }
}

void writetags(program& p) {
    forms::TForm10& f = p.Form10;
    forms::listview& rows = f.ListView1;
    f.disarm();
    const std::size_t n = rows.items.size();
    const std::size_t d = n > 1 ? n - 1 : 1;
    const std::u16string folder = f.folder();
    std::vector<std::size_t> failed;
    {
        forms::TForm4 progress;
        progress.owner = &p.host;
        progress.open();
        // Nothing in the editor acts while the rewrites let messages through,
        // and it comes back also when a host's handler throws through them.
        struct inert {
            forms::TForm10& f;
            forms::TForm4& progress;
            explicit inert(forms::TForm10& e, forms::TForm4& w) : f(e), progress(w) {
                f.enabled = false;
            }
            ~inert() {
                f.enabled = true;
                progress.close();
            }
        } guard(f, progress);
        id3v2::progressscope scope(id3v2::windowprogress(progress));
        for (std::size_t k = 0; k < n; ++k) {
            progress.setbatchposition(static_cast<int>(progress.ProgressBar1.max * k / d));
            progress.setlabel(u"file " + decimal(k + 1) + u" of " + decimal(n));
            progress.repaintnow();
            p.host.repaint(f);
            p.host.repaint(p.Form1);
            const std::u16string& name = f.files.at(k);
            const auto v = cellsof(rows, k);
            if (id3v2::rewritetag(folder + name, v[colartist], v[coltitle], v[colalbum], v[colyear],
                                  u"-1", true, v[forms::coltrno], u"", std::string(), 0,
                                  std::string())) {
                f.written.push_back(name);
            } else {
                failed.push_back(k);
            }
        }
    }
    if (!f.written.empty()) f.Button3.modalresult = forms::mrYes;
    if (failed.empty()) return;

    // The rows of the files not written show what the files hold.
    rows.subitems.resize(n);
    std::u16string text = u"Не удалось записать теги в файлы:";
    for (std::size_t k : failed) {
        rows.subitems[k] = readrow(folder + f.files.at(k));
        text += u"\n" + rows.items[k];
    }
    p.host.errorbox(text);
}

void reread(program& p) {
    listfoldertags(p);
    p.Form10.disarm();
}

} // namespace ui
