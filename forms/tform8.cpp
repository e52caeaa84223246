#include "tform8.h"

#include "help.h"
#include "host.h"

namespace forms {

TForm8::TForm8()
    : form(u"Form8"), radios_{&RadioButton1, &RadioButton2, &RadioButton3,
                              &RadioButton4, &RadioButton5, &RadioButton6} {
    caption = u"Настройки";
    width = 420;
    height = 352;
    keypreview = true;

    add(GroupBox2, u"GroupBox2");
    GroupBox2.caption = u" Официальные компиляции   ";
    GroupBox2.left = 8, GroupBox2.top = 8, GroupBox2.width = 404, GroupBox2.height = 92;

    add(Label4, u"Label4");
    Label4.caption = u"При переименовании использовать (VA, Various Artists, итд)";
    Label4.parent = &GroupBox2;
    Label4.left = 10, Label4.top = 18, Label4.width = 384, Label4.height = 13;

    add(Edit4, u"Edit4");
    Edit4.parent = &GroupBox2;
    Edit4.left = 10, Edit4.top = 34, Edit4.width = 200, Edit4.height = 21;
    Edit4.taborder = 0;

    add(CheckBox1, u"CheckBox1");
    CheckBox1.caption = u"Пропускать официальные компиляции";
    CheckBox1.parent = &GroupBox2;
    CheckBox1.left = 10, CheckBox1.top = 64, CheckBox1.width = 384, CheckBox1.height = 17;
    CheckBox1.taborder = 1;

    add(CheckBox6, u"CheckBox6");
    CheckBox6.caption = u"Ставить флаг iTunes \"Часть сборника\"";
    CheckBox6.hint = u"Also works on Personal compilations";
    CheckBox6.showhint = true;
    CheckBox6.left = 18, CheckBox6.top = 108, CheckBox6.width = 394, CheckBox6.height = 17;
    CheckBox6.taborder = 2;

    add(RadioGroup1, u"RadioGroup1");
    RadioGroup1.caption = u" Сортировать треки в личных сборниках  ";
    RadioGroup1.left = 8, RadioGroup1.top = 132, RadioGroup1.width = 404, RadioGroup1.height = 84;

    static const char16_t* const radiocaptions[6] = {
        u"по альбому", u"по исполнителю",    u"по имени файла",
        u"случайно",   u"по названию трека", u"не сортировать",
    };
    for (int i = 0; i < 6; ++i) {
        radiobutton& r = *radios_[i];
        add(r, u"RadioButton" + std::u16string(1, static_cast<char16_t>(u'1' + i)));
        r.caption = radiocaptions[i];
        // Two columns of three, inside the frame but on the dialog itself.
        r.left = i < 3 ? 20 : 214;
        r.top = 152 + (i % 3) * 20;
        r.width = 180, r.height = 17;
        r.taborder = 3 + i;
        r.onclick = [this, &r] { selectradio(r); };
    }
    RadioButton6.bold = true;

    add(CheckBox2, u"CheckBox2");
    CheckBox2.caption = u"Имена файлов вместо пустых имен треков";
    CheckBox2.left = 18, CheckBox2.top = 224, CheckBox2.width = 394, CheckBox2.height = 17;
    CheckBox2.taborder = 9;

    add(CheckBox3, u"CheckBox3");
    CheckBox3.caption = u"Делать одинаковым жанр";
    CheckBox3.left = 18, CheckBox3.top = 244, CheckBox3.width = 394, CheckBox3.height = 17;
    CheckBox3.taborder = 10;

    add(CheckBox4, u"CheckBox4");
    CheckBox4.caption = u"Добавлять .BKP к .M3U-файлам";
    CheckBox4.left = 18, CheckBox4.top = 264, CheckBox4.width = 394, CheckBox4.height = 17;
    CheckBox4.taborder = 11;

    add(CheckBox5, u"CheckBox5");
    CheckBox5.caption = u"Нумеровать mp3-файлы";
    CheckBox5.left = 18, CheckBox5.top = 284, CheckBox5.width = 394, CheckBox5.height = 17;
    CheckBox5.taborder = 12;

    add(Button1, u"Button1");
    Button1.caption = u"Сохранить";
    Button1.bold = true;
    Button1.modalresult = mrOk;
    Button1.isdefault = true;
    Button1.left = 232, Button1.top = 316, Button1.width = 85, Button1.height = 25;
    Button1.taborder = 13;

    add(Button2, u"Button2");
    Button2.caption = u"Отмена";
    Button2.modalresult = mrCancel;
    Button2.left = 327, Button2.top = 316, Button2.width = 85, Button2.height = 25;
    Button2.taborder = 14;

    onkeydown = [this](control* from, std::uint16_t& key, unsigned shift) {
        help(from, key, shift);
    };
}

int TForm8::sortorder() const {
    for (int i = 0; i < 6; ++i)
        if (radios_[i]->checked) return i + 1;
    return 0;
}

void TForm8::setsortorder(int order) {
    if (order < 1 || order > 6) return;
    selectradio(*radios_[order - 1]);
}

void TForm8::selectradio(radiobutton& chosen) {
    for (radiobutton* r : radios_) r->checked = r == &chosen;
}

void TForm8::help(control* from, std::uint16_t& key, unsigned) {
    // The help key belongs to the dialog and to these controls only.
    if (from && from != &Button1 && from != &Button2 && from != &CheckBox1 && from != &Edit4)
        return;
    if (key == vkF1 && owner) openhelp(*owner, u"compsetup");
}

} // namespace forms
