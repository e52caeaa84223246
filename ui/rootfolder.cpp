#include "program.h"

#include "rootdir.h"

namespace ui {

void choosedir(program& p, const forms::control* sender) {
    forms::TForm1& f = p.Form1;
    std::u16string folder;
    if (sender != &f.Label1) {
        if (!p.host.browsefolder(browsetitle, f.Label1.caption, folder)) folder.clear();
    } else {
        folder = f.Label1.caption;
    }
    if (folder.empty()) return;

    // Shown, Apply disabled, stored in the settings file.
    checker::storeroot(p.c, folder);
}

void dropdir(program& p, const std::vector<std::u16string>& paths) {
    if (p.running || p.applying || !p.Form1.enabled) return;
    if (paths.size() != 1) return;
    std::u16string path = paths.front();
    // A folder's path without its trailing separator, as the browser gives it.
    while (path.size() > 1 && path.back() == u'/') path.pop_back();
    if (path.empty() || path.front() != u'/' || !platform::isfolder(path)) return;
    p.Form1.Label1.caption = path;
    choosedir(p, &p.Form1.Label1);
    doBrellian(p);
}

} // namespace ui
