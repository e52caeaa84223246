#include "rootdir.h"

#include "platform.h"
#include "settings.h"

namespace checker {

void storeroot(context& c, const std::u16string& folder) {
    if (folder.empty()) return;
    c.form1.Label1.caption = folder;
    c.form1.Button3.enabled = false;

    if (c.cfgfile.empty()) return;
    // The record changes only once its file has been created.
    platform::file f;
    if (!f.open(c.cfgfile, platform::openmode::create)) return;
    strtobuf(c.cfg.rootdir, folder);
    const cfgbytes bytes = packcfg(c.cfg);
    if (f.write(bytes.data(), bytes.size())) f.close();
}

} // namespace checker
