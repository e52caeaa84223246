#include "form.h"

#include "host.h"

#include <algorithm>
#include <map>
#include <set>

namespace forms {

namespace {

// The hosts that exist now; one thread only.
std::set<const host*>& livehosts() {
    static std::set<const host*> hosts;
    return hosts;
}

} // namespace

host::host() {
    livehosts().insert(this);
}

host::~host() {
    livehosts().erase(this);
}

bool host::alive(const host* h) {
    return h && livehosts().count(h) != 0;
}

form::~form() {
    if (host::alive(owner)) owner->forget(*this);
}

control* form::find(std::u16string_view controlname) const {
    for (control* c : controls_)
        if (c->name == controlname) return c;
    return nullptr;
}

void form::click(button& b) {
    if (!b.enabled || !b.visible || !enabled) return;
    if (b.onclick) b.onclick();
    if (b.modalresult != mrNone) modalresult = b.modalresult;
}

void form::click(checkbox& c) {
    if (!c.enabled || !c.visible || !enabled) return;
    if (c.what == kind::radiobutton) {
        c.checked = true;
    } else {
        c.checked = !c.checked;
    }
    if (c.onclick) c.onclick();
}

std::uint16_t form::keydown(control* from, std::uint16_t key, unsigned shift) {
    if (keypreview && onkeydown) {
        onkeydown(from, key, shift);
        if (key == 0) return 0;
    }
    if (from && from->onkeydown) from->onkeydown(key, shift);
    // A focused button takes Enter itself, as Space; elsewhere Enter answers
    // the dialog, so a text typed is taken at once.
    if (key != vkReturn || (from && from->what == kind::button)) return key;
    for (control* c : controls_)
        if (c->what == kind::button && static_cast<button*>(c)->isdefault && c->visible &&
            c->enabled && enabled) {
            click(*static_cast<button*>(c));
            return 0;
        }
    return key;
}

void form::type(edit& e, char16_t ch) {
    if (!e.enabled || !e.visible || e.readonly) return;
    if (e.onkeypress) e.onkeypress(ch);
    if (ch == 0) return;
    const int size = static_cast<int>(e.text.size());
    const bool atend = e.selstart < 0;
    int start = atend ? size : std::min(e.selstart, size);
    int count = atend ? 0 : std::clamp(e.sellength, 0, size - start);
    if (ch == u'\b') {
        if (count == 0) {
            if (start == 0) return;
            --start;
            count = 1;
        }
        e.text.erase(start, count);
    } else {
        if (e.maxlength > 0 && size - count >= e.maxlength) return;
        e.text.replace(start, count, 1, ch);
        ++start;
    }
    if (!atend) {
        e.selstart = start;
        e.sellength = 0;
    }
    if (e.onchange) e.onchange();
}

void form::settext(edit& e, std::u16string text) {
    if (e.text == text) return;
    e.text = std::move(text);
    if (e.onchange) e.onchange();
}

void form::settext(combobox& c, std::u16string text) {
    if (c.text == text) return;
    c.text = std::move(text);
    if (c.onchange) c.onchange();
}

void form::select(listview& l, int row) {
    const int size = static_cast<int>(l.items.size());
    if (row >= size) row = -1;
    const int old = l.itemindex;
    if (old == row) return;
    // A row left behind by emptying the list is no row any more.
    if (old >= 0 && old < size) {
        l.itemindex = -1;
        if (l.onselectitem) l.onselectitem(old);
    }
    l.itemindex = row;
    if (row >= 0 && l.onselectitem) l.onselectitem(row);
}

void form::select(listbox& l, int row) {
    if (row >= static_cast<int>(l.items.size())) row = -1;
    l.itemindex = row;
}

void form::select(combobox& c, int index) {
    if (index < 0 || index >= static_cast<int>(c.items.size())) return;
    const bool moved = c.itemindex != index;
    c.itemindex = index;
    if (c.text != c.items[index]) {
        c.text = c.items[index];
    } else if (!moved) {
        return;
    }
    if (c.onchange) c.onchange();
}

void form::resize(int newwidth, int newheight) {
    // How much each container grew; a group box is registered before the
    // controls inside it, so its own change is known when they come.
    std::map<const control*, std::pair<int, int>> grown;
    grown[nullptr] = {newwidth - width, newheight - height};
    for (control* c : controls_) {
        auto [dw, dh] = grown[c->parent];
        const int w = c->width, h = c->height;
        if (c->anchors & akRight) {
            if (c->anchors & akLeft)
                c->width += dw;
            else
                c->left += dw;
        }
        if (c->anchors & akBottom) {
            if (c->anchors & akTop)
                c->height += dh;
            else
                c->top += dh;
        }
        if (c->what == kind::groupbox) grown[c] = {c->width - w, c->height - h};
    }
    width = newwidth;
    height = newheight;
}

} // namespace forms
