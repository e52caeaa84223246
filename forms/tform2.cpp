#include "tform2.h"

#include "help.h"
#include "host.h"

namespace forms {

void filteryear(const std::u16string& text, char16_t& key) {
    if (key == u'\b') return;
    if (key < u'0' || key > u'9' || text.size() >= 4) key = 0;
}

TForm2::TForm2(form* mainwindow) : form(u"Form2"), mainwindow(mainwindow) {
    caption = u"Требуется вмешательство пользователя";
    width = 551;
    height = 178;
    opacity = 220;
    closebox = false;
    keypreview = true;

    add(Label5, u"Label5");
    Label5.caption = u"Нет альбома и/или исполнителя";
    Label5.bold = true;
    Label5.left = 8, Label5.top = 8, Label5.width = 535, Label5.height = 16;

    add(Label1, u"Label1");
    Label1.bold = true;
    Label1.left = 8, Label1.top = 28, Label1.width = 535, Label1.height = 16;

    add(Label2, u"Label2");
    Label2.caption = u"Исполнитель";
    Label2.left = 8, Label2.top = 52, Label2.width = 230, Label2.height = 13;

    add(Label3, u"Label3");
    Label3.caption = u"Альбом";
    Label3.left = 279, Label3.top = 52, Label3.width = 200, Label3.height = 13;

    add(Label4, u"Label4");
    Label4.caption = u"Год";
    Label4.left = 487, Label4.top = 52, Label4.width = 56, Label4.height = 13;

    add(Edit1, u"Edit1");
    Edit1.left = 8, Edit1.top = 68, Edit1.width = 230, Edit1.height = 21;
    Edit1.taborder = 2;

    add(Button8, u"Button8");
    Button8.caption = u"<-->";
    Button8.hint = u"Поменять местами исполнителя и альбом";
    Button8.showhint = true;
    Button8.left = 242, Button8.top = 68, Button8.width = 33, Button8.height = 21;
    Button8.taborder = 10;

    add(Edit2, u"Edit2");
    Edit2.left = 279, Edit2.top = 68, Edit2.width = 200, Edit2.height = 21;
    Edit2.taborder = 3;

    add(Edit3, u"Edit3");
    Edit3.left = 487, Edit3.top = 68, Edit3.width = 56, Edit3.height = 21;
    Edit3.taborder = 4;

    add(Button1, u"Button1");
    Button1.caption = u"Да";
    Button1.modalresult = mrOk;
    Button1.isdefault = true;
    Button1.left = 8, Button1.top = 104, Button1.width = 75, Button1.height = 25;
    Button1.taborder = 0;

    add(Button2, u"Button2");
    Button2.caption = u"Нет";
    Button2.modalresult = mrCancel;
    Button2.left = 89, Button2.top = 104, Button2.width = 75, Button2.height = 25;
    Button2.taborder = 1;

    add(Button3, u"Button3");
    Button3.caption = u"Discogs";
    Button3.hint = u"Search release online";
    Button3.showhint = true;
    Button3.left = 8, Button3.top = 142, Button3.width = 100, Button3.height = 25;
    Button3.taborder = 5;

    add(Button4, u"Button4");
    Button4.caption = u">> Пропуск";
    Button4.hint = u"Пропустить обработку этой папки";
    Button4.showhint = true;
    Button4.modalresult = mrIgnore;
    Button4.left = 363, Button4.top = 142, Button4.width = 95, Button4.height = 25;
    Button4.taborder = 6;

    add(Button5, u"Button5");
    Button5.caption = u"Стоп";
    Button5.hint = u"Прервать обработку";
    Button5.showhint = true;
    Button5.modalresult = mrAbort;
    Button5.left = 468, Button5.top = 142, Button5.width = 75, Button5.height = 25;
    Button5.taborder = 7;

    add(Button6, u"Button6");
    Button6.caption = u"НЕ компиляция";
    Button6.hint = u"Открыть диалог коррекции расхождений";
    Button6.showhint = true;
    Button6.visible = false;
    Button6.left = 170, Button6.top = 104, Button6.width = 115, Button6.height = 25;
    Button6.taborder = 8;

    add(Button7, u"Button7");
    Button7.caption = u"Вернуть";
    Button7.hint = u"Восстановить первоначальные значения полей";
    Button7.showhint = true;
    Button7.visible = false;
    Button7.left = 468, Button7.top = 104, Button7.width = 75, Button7.height = 25;
    Button7.taborder = 9;

    onshow = [this] { form1redraw(); };
    onkeydown = [this](control* from, std::uint16_t& key, unsigned shift) {
        checkkey(from, key, shift);
    };
    Edit3.onkeypress = [this](char16_t& key) { restrictyear(key); };
    Edit1.onchange = Edit2.onchange = Edit3.onchange = [this] { showrevert(); };
    Button7.onclick = [this] { revert(); };
    Button8.onclick = [this] { swapfields(); };
}

void TForm2::keepedits() {
    savedartist = Edit1.text;
    savedalbum = Edit2.text;
    savedyear = Edit3.text;
}

void TForm2::form1redraw() {
    if (owner && mainwindow) owner->repaint(*mainwindow);
}

void TForm2::restrictyear(char16_t& key) {
    filteryear(Edit3.text, key);
}

void TForm2::showrevert() {
    if (!Button7.visible) Button7.visible = true;
}

void TForm2::revert() {
    settext(Edit1, savedartist);
    settext(Edit2, savedalbum);
    settext(Edit3, savedyear);
    Button7.visible = false;
}

void TForm2::swapfields() {
    std::u16string artist = Edit1.text;
    settext(Edit1, Edit2.text);
    settext(Edit2, std::move(artist));
}

void TForm2::checkkey(control* from, std::uint16_t& key, unsigned shift) {
    if (from == &Button8) return;
    if (key == vkF1) {
        if (owner) openhelp(*owner, u"tagmissing");
    } else if (key == vkA && (shift & ssCtrl)) {
        if (from == &Edit1 || from == &Edit2 || from == &Edit3) from->selectallrequest = true;
        key = 0;
    }
}

} // namespace forms
