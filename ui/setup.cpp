#include "program.h"

#include "settings.h"

namespace ui {

void setcfg(checker::context& c) {
    if (c.cfgloading) return;
    c.cfg.keepdirnames = c.form1.CheckBox3.checked ? 1 : 0;
    checker::savecfg(c);
}

void setupcompilations(checker::context& c, forms::TForm8& f) {
    checker::cfgrec& cfg = c.cfg;
    f.Edit4.text = checker::compnametext(cfg);
    f.CheckBox1.checked = cfg.skipcompilations != 0;
    f.CheckBox2.checked = cfg.titlesfromnames != 0;
    f.CheckBox3.checked = cfg.samegenre != 0;
    f.CheckBox4.checked = cfg.bkpplaylists != 0;
    f.CheckBox5.checked = cfg.numbering != 0;
    f.CheckBox6.checked = cfg.itunesflag != 0;
    f.setsortorder(cfg.sortorder);

    if (c.host.showmodal(f) != forms::mrOk) return;

    checker::setcompname(cfg, f.Edit4.text);
    cfg.skipcompilations = f.CheckBox1.checked ? 1 : 0;
    cfg.titlesfromnames = f.CheckBox2.checked ? 1 : 0;
    cfg.samegenre = f.CheckBox3.checked ? 1 : 0;
    cfg.bkpplaylists = f.CheckBox4.checked ? 1 : 0;
    cfg.numbering = f.CheckBox5.checked ? 1 : 0;
    cfg.itunesflag = f.CheckBox6.checked ? 1 : 0;
    if (const int order = f.sortorder(); order != 0)
        cfg.sortorder = static_cast<std::uint8_t>(order);
    c.form1.CheckBox2.checked = f.CheckBox1.checked;
    c.vaname = checker::compnametext(cfg);
    checker::savecfg(c);
}

} // namespace ui
