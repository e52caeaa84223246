#include "form.h"

namespace forms {

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

void form::keydown(control* from, std::uint16_t key, unsigned shift) {
    if (keypreview && onkeydown) {
        onkeydown(from, key, shift);
        if (key == 0) return;
    }
    if (from && from->onkeydown) from->onkeydown(key, shift);
}

void form::type(edit& e, char16_t ch) {
    if (!e.enabled || !e.visible || e.readonly) return;
    if (e.onkeypress) e.onkeypress(ch);
    if (ch == 0) return;
    if (ch == u'\b') {
        if (e.text.empty()) return;
        e.text.pop_back();
    } else {
        if (e.maxlength > 0 && static_cast<int>(e.text.size()) >= e.maxlength) return;
        e.text.push_back(ch);
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

} // namespace forms
