#include "tform3.h"

#include "help.h"
#include "host.h"

namespace forms {

TForm3::TForm3(form* mainwindow) : form(u"Form3"), mainwindow(mainwindow) {
    caption = u"Требуется вмешательство пользователя";
    width = 551;
    height = 173;
    opacity = 220;
    closebox = true; // closing answers as "Нет" does (mrCancel)
    keypreview = true;

    add(Label2, u"Label2");
    Label2.left = 8, Label2.top = 8, Label2.width = 535, Label2.height = 13;
    Label2.elidemiddle = true; // the folder's own name stays in sight

    add(Label1, u"Label1");
    Label1.bold = true;
    Label1.left = 8, Label1.top = 26, Label1.width = 535, Label1.height = 32;

    add(CheckBox1, u"CheckBox1");
    CheckBox1.caption = u"По исполнителю";
    CheckBox1.hint =
        u"Выберите, чтобы сделать одинаковым поле \"Исполнитель\" во всех треках папки";
    CheckBox1.showhint = true;
    CheckBox1.checked = true;
    CheckBox1.captionleft = true;
    CheckBox1.left = 8, CheckBox1.top = 66, CheckBox1.width = 130, CheckBox1.height = 17;
    CheckBox1.taborder = 4;

    add(CheckBox2, u"CheckBox2");
    CheckBox2.caption = u"По альбому";
    CheckBox2.hint = u"Выберите, чтобы сделать одинаковым поле \"Альбом\" во всех треках папки";
    CheckBox2.showhint = true;
    CheckBox2.checked = true;
    CheckBox2.captionleft = true;
    CheckBox2.left = 279, CheckBox2.top = 66, CheckBox2.width = 130, CheckBox2.height = 17;
    CheckBox2.taborder = 5;

    add(ComboBox1, u"ComboBox1");
    ComboBox1.left = 8, ComboBox1.top = 88, ComboBox1.width = 264, ComboBox1.height = 21;
    ComboBox1.taborder = 2;

    add(ComboBox2, u"ComboBox2");
    ComboBox2.left = 279, ComboBox2.top = 88, ComboBox2.width = 264, ComboBox2.height = 21;
    ComboBox2.taborder = 3;

    add(Button1, u"Button1");
    Button1.caption = u"Да";
    Button1.modalresult = mrOk;
    Button1.isdefault = true;
    Button1.left = 8, Button1.top = 136, Button1.width = 75, Button1.height = 25;
    Button1.taborder = 0;

    add(Button2, u"Button2");
    Button2.caption = u"Нет";
    Button2.modalresult = mrCancel;
    Button2.left = 89, Button2.top = 136, Button2.width = 75, Button2.height = 25;
    Button2.taborder = 1;

    add(Button3, u"Button3");
    Button3.caption = u"Стоп";
    Button3.hint = u"Прервать обработку";
    Button3.showhint = true;
    Button3.modalresult = mrAbort;
    Button3.left = 468, Button3.top = 136, Button3.width = 75, Button3.height = 25;
    Button3.taborder = 6;

    add(Button4, u"Button4");
    Button4.caption = u"Личная компиляция";
    Button4.modalresult = mrAll;
    Button4.left = 279, Button4.top = 136, Button4.width = 130, Button4.height = 25;
    Button4.taborder = 7;

    onshow = [this] { redrawform1(); };
    onkeydown = [this](control* from, std::uint16_t& key, unsigned shift) {
        help(from, key, shift);
    };
    CheckBox1.onclick = [this] { invertstate(); };
    CheckBox2.onclick = [this] { ivertstate1(); };
}

void TForm3::setchecked(checkbox& box, bool on) {
    if (box.checked == on) return;
    box.checked = on;
    if (box.onclick) box.onclick();
}

void TForm3::invertstate() {
    ComboBox1.enabled = CheckBox1.checked;
    Button1.enabled = CheckBox1.checked || CheckBox2.checked;
}

void TForm3::ivertstate1() {
    ComboBox2.enabled = CheckBox2.checked;
    Button1.enabled = CheckBox1.checked || CheckBox2.checked;
}

void TForm3::redrawform1() {
    if (owner && mainwindow) owner->repaint(*mainwindow);
}

void TForm3::help(control* from, std::uint16_t& key, unsigned shift) {
    if (from == &Button4) return;
    if (key == vkF1) {
        if (owner) openhelp(*owner, u"discrepancy");
    } else if (key == vkA && (shift & ssCtrl)) {
        if (from == &ComboBox1 || from == &ComboBox2) from->selectallrequest = true;
        key = 0;
    }
}

} // namespace forms
