#include "program.h"

#include "apply.h"
#include "editor.h"
#include "help.h"
#include "names.h"
#include "review.h"
#include "walk.h"
#include "wiring.h"
#include "worklists.h"

namespace ui {

namespace {

void bindmainwindow(program& p) {
    forms::TForm1& f = p.Form1;
    f.Button1.onclick = [&p] { doBrellian(p); };
    f.Button2.onclick = [&p] { choosedir(p, &p.Form1.Button2); };
    f.CheckBox3.onclick = [&p] { setcfg(p.c); };
    f.Button6.onclick = [&p] { setupcompilations(p.c, p.Form8); };
    f.Button5.onclick = [&p] { showinfo(p); };
    f.Button3.onclick = [&p] { apply(p); };
    f.ondrop = [&p](const std::vector<std::u16string>& paths) { dropdir(p, paths); };
    f.ListView1.onselectitem = [&p](int row) { checkop(p, row); };
    f.ListView1.onclick = [&p] { opcheck(p); };
    f.ListView1.onmousedown = [&p](int button, unsigned shift, int) {
        mouseswitchop(p, button, shift);
    };
    f.ListView1.ondblclick = [&p] { opEdit(p); };
    f.CheckBox5.onclick = [&p] { switchop(p); };

    // The help key belongs to the window itself and to these controls.
    f.keypreview = true;
    f.onkeydown = [&p](forms::control* from, std::uint16_t& key, unsigned) {
        if (!from) help(p, key);
    };
    for (forms::control* c : std::initializer_list<forms::control*>{
             &f.Button1, &f.Button2, &f.Button3, &f.Button5, &f.Button6, &f.CheckBox3, &f.CheckBox5,
             &f.ListView1})
        c->onkeydown = [&p](std::uint16_t& key, unsigned) { help(p, key); };

    // Closing the window ends the program. A run in progress would otherwise
    // go on unseen, its dialogs answered by nobody: it stops after the
    // folder at hand.
    f.onclose = [&p] {
        p.closing = true;
        if (p.running) p.c.stop = true;
        // The rename editor (the run dialog) up from a double click ends as
        // cancelled.
        if (p.Form2.visible && !p.running) p.Form2.modalresult = forms::mrCancel;
    };
}

} // namespace

program::program(forms::host& h, std::vector<std::u16string> args, std::u16string folder)
    : host(h), c(h, Form1), created_([&] {
          c.args = std::move(args);
          c.programfolder = std::move(folder);
          Form1.owner = &h;
          bindmainwindow(*this);
          showdir(*this);
          return true;
      }()) {
    for (forms::form* f : std::initializer_list<forms::form*>{&Form2, &Form3, &Form5, &Form6,
                                                              &Form7, &Form8, &Form11, &Form10})
        f->owner = &h;
    bindrundialogs(c, Form2, Form3, Form6, Form7);
    bindeditor(*this);
}

void showdir(program& p) {
    // Drops are taken through Form1.ondrop, bound with the window.
    p.Form1.notstarted = true;
    checker::loadcfg(p.c);
    p.Form1.Label1.caption = checker::rootdirtext(p.c.cfg);
    checker::freedirs(p.c.dirlist);
    checker::freetracks(p.c.tracks);
    checker::freeops(p.c.plannedops);
    p.c.trackcount = 0;
    checker::clearfields(p.c.artistvars);
    checker::clearfields(p.c.albumvars);
}

void doBrellian(program& p) {
    if (p.running || p.applying) return;
    forms::TForm1& f = p.Form1;
    f.CheckBox5.visible = false;
    f.Button1.caption = u"Работаю...";
    checker::freeops(p.c.plannedops);
    f.ListView1.items.clear();
    p.c.shownlines.clear();
    f.ListView1.itemindex = -1;
    f.Button1.enabled = false;
    f.Button2.enabled = false;

    // The buttons come back also when a dialog's handler throws through the
    // run.
    struct runscope {
        program& p;
        explicit runscope(program& q) : p(q) { p.running = true; }
        ~runscope() {
            p.running = false;
            p.Form1.Button3.enabled = p.Form1.CheckBox4.checked && !p.c.plannedops.empty();
            p.Form1.Button1.enabled = true;
            p.Form1.Button1.caption = u"Пуск";
            p.Form1.Button2.enabled = true;
        }
    } guard(p);

    const std::u16string head = u"Обработка дерева папок ";
    checker::addline(p.c, head + f.Label1.caption, head + checker::pathtext(f.Label1.caption));
    checker::processdirs(p.c);
}

void apply(program& p) {
    if (p.running || p.applying) return;
    struct applyscope {
        program& p;
        explicit applyscope(program& q) : p(q) { p.applying = true; }
        ~applyscope() { p.applying = false; }
    } guard(p);
    checker::applychanges(p.c);
}

void showinfo(program& p) {
    p.host.showmodal(p.Form5);
}

void help(program& p, std::uint16_t key) {
    const std::u16string topic = p.Form1.notstarted ? u"start" : u"editactions";
    if (key == forms::vkF1) forms::openhelp(p.host, topic);
}

lineformat linestyle(checker::context& c, int row) {
    const auto& items = c.form1.ListView1.items;
    if (row < 0 || row >= static_cast<int>(items.size())) return {};
    bool perform = false, undo = false;
    checker::opcodeset opcode{};
    const checker::oplist* op = checker::findop(c, row, perform, undo, opcode);
    return outputcolor(items[row], op != nullptr, perform);
}

} // namespace ui
