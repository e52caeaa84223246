#include "tform11.h"

#include "tform2.h"

namespace forms {

TForm11::TForm11() : form(u"Form11") {
    caption = u"Изменить теги для всех треков в папке";
    width = 420;
    height = 182;

    put(Label1, u"Label1", {8, 8, 100, 13}, u"Исполнитель");
    put(Edit1, u"Edit1", {8, 24, 300, 21}, {}, 0);
    put(CheckBox1, u"CheckBox1", {316, 26, 96, 17}, u"Не менять", 1);
    put(Label2, u"Label2", {8, 52, 100, 13}, u"Альбом");
    put(Edit2, u"Edit2", {8, 68, 300, 21}, {}, 2);
    put(CheckBox2, u"CheckBox2", {316, 70, 96, 17}, u"Не менять", 3);
    put(Label3, u"Label3", {8, 96, 100, 13}, u"Год");
    put(Edit3, u"Edit3", {8, 112, 60, 21}, {}, 4);
    put(CheckBox3, u"CheckBox3", {316, 114, 96, 17}, u"Не менять", 5);
    put(Button3, u"Button3", {8, 148, 100, 25}, u"Discogs", 6);
    put(Button4, u"Button4", {114, 148, 110, 25}, u"Взять треклист", 7);
    put(Button1, u"Button1", {256, 148, 75, 25}, u"Ok", 8);
    put(Button2, u"Button2", {337, 148, 75, 25}, u"Cancel", 9);

    CheckBox1.hint = u"Отметьте, чтобы исполнитель остался прежним во всех треках";
    CheckBox2.hint = u"Отметьте, чтобы альбом остался прежним во всех треках";
    CheckBox3.hint = u"Отметьте, чтобы год остался прежним во всех треках";
    Button3.hint = u"Поиск релиза в базе Discogs: поля исполнителя, альбома и года служат "
                   u"ключевыми словами поиска";
    Button4.hint = u"Загрузить треклист релиза из Discogs (возможны несоответствия)";
    for (control* c :
         std::initializer_list<control*>{&CheckBox1, &CheckBox2, &CheckBox3, &Button3, &Button4})
        c->showhint = true;
    for (checkbox* b : {&CheckBox1, &CheckBox2, &CheckBox3}) {
        b->checked = true;
        b->onclick = [this] { switchedit(); };
    }
    Button4.visible = false;
    Button1.modalresult = mrOk;
    Button1.isdefault = true;
    Button2.modalresult = mrCancel;

    Edit3.onkeypress = [this](char16_t& key) { restrictyear(key); };
    for (edit* e : {&Edit1, &Edit2, &Edit3})
        e->onkeydown = [this, e](std::uint16_t& key, unsigned shift) { chkkey(e, key, shift); };
    switchedit();
}

void TForm11::switchedit() {
    Edit1.enabled = !CheckBox1.checked;
    Edit2.enabled = !CheckBox2.checked;
    Edit3.enabled = !CheckBox3.checked;
}

void TForm11::restrictyear(char16_t& key) {
    filteryear(Edit3.text, key);
}

void TForm11::chkkey(control* from, std::uint16_t& key, unsigned shift) {
    if (key != vkA || !(shift & ssCtrl)) return;
    if (from) from->selectallrequest = true;
    key = 0;
}

} // namespace forms
