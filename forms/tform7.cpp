#include "tform7.h"

namespace forms {

TForm7::TForm7() : form(u"Form7") {
    caption = u"Результаты поиска в базе Discogs";
    width = 546;
    height = 136;
    sizeable = false;
    centred = true;

    add(Label1, u"Label1");
    Label1.caption = u"Найдено:";
    Label1.left = 8, Label1.top = 36, Label1.width = 50, Label1.height = 13;

    add(ComboBox1, u"ComboBox1");
    ComboBox1.editable = true;
    ComboBox1.left = 62, ComboBox1.top = 32, ComboBox1.width = 428, ComboBox1.height = 21;
    ComboBox1.taborder = 0;
    ComboBox1.onchange = [this] { textchanged(); };

    add(Label2, u"Label2");
    Label2.caption = u"Берем?";
    Label2.bold = true;
    Label2.left = 496, Label2.top = 36, Label2.width = 44, Label2.height = 13;

    add(Button1, u"Button1");
    Button1.caption = u"Ok";
    Button1.modalresult = mrOk;
    Button1.isdefault = true;
    Button1.left = 176, Button1.top = 88, Button1.width = 75, Button1.height = 25;
    Button1.taborder = 1;

    add(Button2, u"Button2");
    Button2.caption = u"Cancel";
    Button2.modalresult = mrCancel;
    Button2.left = 296, Button2.top = 88, Button2.width = 75, Button2.height = 25;
    Button2.taborder = 2;
}

void TForm7::textchanged() {
    int i = ComboBox1.itemindex;
    if (i < 0 || i >= static_cast<int>(ComboBox1.items.size()) ||
        ComboBox1.items[i] != ComboBox1.text)
        ComboBox1.itemindex = -1;
}

} // namespace forms
