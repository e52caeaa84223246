// Switching operations on and off from the report list.
#include <algorithm>

#include "names.h"
#include "platform.h"
#include "review.h"

namespace ui {

namespace {

// The line is drawn anew (its colour and style follow its operations) and
// scrolled into view.
void redraw(program& p, int row) {
    p.Form1.ListView1.showrow = row;
    p.host.repaint(p.Form1);
}

void setapply(program& p) {
    if (!p.running && !p.applying) p.Form1.Button3.enabled = !noneperformed(p);
}

void showline(program& p, int row) {
    forms::checkbox& box = p.Form1.CheckBox5;
    bool perform = false, undo = false;
    checker::opcodeset opcode{};
    if (checker::findop(p.c, row, perform, undo, opcode) && !undo) {
        box.checked = box.bold = perform;
        box.visible = true;
    } else {
        box.visible = false;
    }
}

} // namespace

bool folderline(const std::u16string& text) {
    return !text.empty() && text.front() == u'/';
}

bool noneperformed(program& p) {
    for (const checker::oplist& op : p.c.plannedops)
        if (op.perform) return false;
    return true;
}

void showopswitch(program& p) {
    const forms::listview& list = p.Form1.ListView1;
    if (list.items.empty() || !p.Form1.CheckBox4.checked || p.c.plannedops.empty() ||
        list.itemindex < 0)
        return;
    showline(p, list.itemindex);
}

void checkop(program& p, int row) {
    showline(p, row);
}

void opcheck(program& p) {
    showopswitch(p);
}

void switchop(program& p) {
    const int row = p.Form1.ListView1.itemindex;
    if (row < 0) return;
    const std::vector<checker::oplist*> ops = checker::lineops(p.c, row);
    if (!ops.empty() && ops.front()->undo) return;
    forms::checkbox& box = p.Form1.CheckBox5;
    for (checker::oplist* op : ops)
        if (!op->undo) op->perform = box.checked;
    redraw(p, row);
    box.bold = box.checked;
    setapply(p);
}

void mouseswitchop(program& p, int button, unsigned) {
    const forms::listview& list = p.Form1.ListView1;
    if (button != 2 || list.itemindex < 0 || list.itemindex >= int(list.items.size())) return;
    showopswitch(p);
    if (p.Form1.CheckBox5.visible) {
        p.Form1.CheckBox5.checked = !p.Form1.CheckBox5.checked;
        switchop(p);
    }
    if (folderline(list.items[list.itemindex])) switchfolderops(p, list.items[list.itemindex], 1);
}

void switchfolderops(program& p, const std::u16string& path, int mode) {
    const std::vector<std::u16string>& written = p.Form10.written;
    auto supersede = [](checker::oplist& op) { op.perform = false, op.undo = true; };
    for (checker::oplist& op : p.c.plannedops) {
        if (op.pathname != path) continue;
        if (mode == 1) {
            if (op.undo) continue;
            op.perform = !op.perform;
        } else if (op.opcode == checker::write_tag) {
            // A file the editor could not write keeps its planned write.
            if (std::find(written.begin(), written.end(), op.newname) == written.end()) continue;
            supersede(op);
        } else {
            const forms::TForm11& d = p.Form11;
            std::u16string name = d.Edit1.text + u" - " + d.Edit2.text;
            if (!d.Edit3.text.empty()) name += u" (" + d.Edit3.text + u")";
            checker::cleanname(p.c, name);
            const std::u16string current = checker::lastdir(op.pathname);
            if (name != current) {
                checker::setline(p.c, op.listindex, u"переименовать " + current + u" В " + name,
                                 u"переименовать " + platform::nametext(current) + u" В " +
                                     platform::nametext(name));
                op.newname = checker::parentdir(op.pathname) + name;
            } else {
                supersede(op);
            }
        }
        redraw(p, op.listindex);
    }
    setapply(p);
}

} // namespace ui
