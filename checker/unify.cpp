#include "unify.h"

#include <algorithm>

#include "names.h"
#include "tform3.h"

namespace checker {

namespace {

void fillitems(forms::combobox& box, const fieldvarsptr& tally) {
    if (tally.empty()) return;
    const std::u16string top = topfield(tally);
    box.items.push_back(top);
    for (const fieldvars& v : tally)
        if (!v.field.empty() && v.field != top) box.items.push_back(v.field);
}

// A changed box acts as the user's click would; the enable rules are then
// made to hold even when the box kept its state.
void offer(forms::TForm3& f, forms::checkbox& box, forms::combobox& list, bool on) {
    f.setchecked(box, on);
    list.enabled = on;
}

void settext(forms::combobox& box, const std::u16string& text) {
    box.text = text;
    const auto it = std::find(box.items.begin(), box.items.end(), text);
    box.itemindex = it == box.items.end() ? -1 : static_cast<int>(it - box.items.begin());
}

} // namespace

void prepunify(context& c) {
    forms::TForm3& f = *c.form3;
    c.tagsincomplete = false;
    fillitems(f.ComboBox1, c.artistvars);
    fillitems(f.ComboBox2, c.albumvars);

    offer(f, f.CheckBox1, f.ComboBox1, f.ComboBox1.items.size() != 1);
    offer(f, f.CheckBox2, f.ComboBox2, f.ComboBox2.items.size() != 1);

    if (f.ComboBox1.items.size() < 2 && f.ComboBox2.items.size() < 2) {
        offer(f, f.CheckBox1, f.ComboBox1, true);
        offer(f, f.CheckBox2, f.ComboBox2, true);
        f.Label1.caption = u"Отсутствуют или неполные теги. Исправить?";
        c.tagsincomplete = true;
        f.Button4.visible = false;
    } else {
        f.Label1.caption = u"Найдены расхождения. Уравнять теги?";
        f.Button4.visible = true;
    }
    f.Button1.enabled = f.CheckBox1.checked || f.CheckBox2.checked;

    if (c.onlytitles) c.tagsincomplete = true;
    f.Label2.caption = c.curdir ? pathtext(c.curdir->item) : std::u16string();
    settext(f.ComboBox1, c.dirartist);
    settext(f.ComboBox2, c.diralbum);
}

} // namespace checker
