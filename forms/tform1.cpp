#include "tform1.h"

namespace forms {

TForm1::TForm1() : form(u"Form1") {
    caption = u":: vorlinde 0.98 :: автокорректор mp3-тегов ::";
    width = 796;
    height = 540;
    sizeable = true;
    minimizebox = true;

    add(Label1, u"Label1");
    Label1.caption = u"Dir:";
    Label1.bold = true;
    Label1.path = true; // the root folder, which a run and Apply read from here
    Label1.left = 40, Label1.top = 10, Label1.width = 740, Label1.height = 16;
    Label1.anchors = akLeft | akTop | akRight;

    add(Button2, u"Button2");
    Button2.caption = u". . .";
    Button2.hint = u"Выбор каталога с MP3-папками";
    Button2.showhint = true;
    Button2.bold = true;
    Button2.left = 8, Button2.top = 6, Button2.width = 25, Button2.height = 22;
    Button2.taborder = 0;

    add(ListView1, u"ListView1");
    ListView1.left = 8, ListView1.top = 34, ListView1.width = 780, ListView1.height = 440;
    ListView1.columnwidth = 1500;
    ListView1.anchors = akLeft | akTop | akRight | akBottom;
    ListView1.taborder = 1;

    add(CheckBox5, u"CheckBox5");
    CheckBox5.caption = u"Выполнить";
    CheckBox5.checked = true;
    CheckBox5.visible = false;
    CheckBox5.bold = true;
    CheckBox5.left = 8, CheckBox5.top = 482, CheckBox5.width = 100, CheckBox5.height = 17;
    CheckBox5.anchors = akLeft | akBottom;
    CheckBox5.taborder = 2;

    add(Button1, u"Button1");
    Button1.caption = u"Пуск";
    Button1.hint = u"Запуск обработки";
    Button1.showhint = true;
    Button1.bold = true;
    Button1.left = 120, Button1.top = 490, Button1.width = 100, Button1.height = 33;
    Button1.anchors = akLeft | akBottom;
    Button1.taborder = 3;

    add(GroupBox1, u"GroupBox1");
    GroupBox1.caption = u"  Установки  ";
    GroupBox1.left = 230, GroupBox1.top = 478, GroupBox1.width = 330, GroupBox1.height = 56;
    GroupBox1.anchors = akLeft | akBottom;

    add(CheckBox3, u"CheckBox3");
    CheckBox3.caption = u"Сохранить имена папок";
    CheckBox3.hint = u"Снимите галочку, чтобы переименовывать каталоги по формату: "
                     u"%Исполнитель% - %Альбом% (%Год%)";
    CheckBox3.showhint = true;
    CheckBox3.checked = true;
    CheckBox3.parent = &GroupBox1;
    CheckBox3.left = 10, CheckBox3.top = 16, CheckBox3.width = 310, CheckBox3.height = 17;
    CheckBox3.taborder = 4;

    add(Button6, u"Button6");
    Button6.caption = u"Обработка компиляций и другие настройки...";
    Button6.parent = &GroupBox1;
    Button6.left = 10, Button6.top = 33, Button6.width = 310, Button6.height = 20;
    Button6.taborder = 5;

    add(CheckBox2, u"CheckBox2");
    CheckBox2.caption = u"Skip compilations";
    CheckBox2.checked = true;
    CheckBox2.enabled = false;
    CheckBox2.visible = false;

    add(CheckBox4, u"CheckBox4");
    CheckBox4.caption = u"Readonly Mode";
    CheckBox4.checked = true;
    CheckBox4.enabled = false;
    CheckBox4.visible = false;

    add(Button3, u"Button3");
    Button3.caption = u"Применить";
    Button3.hint = u"Нажмите, чтобы физически внести выбранные изменения";
    Button3.showhint = true;
    Button3.enabled = false;
    Button3.left = 570, Button3.top = 490, Button3.width = 150, Button3.height = 33;
    Button3.anchors = akLeft | akBottom;
    Button3.taborder = 6;

    add(Button5, u"Button5");
    Button5.caption = u"i";
    Button5.bold = true;
    Button5.italic = true;
    Button5.left = 760, Button5.top = 495, Button5.width = 25, Button5.height = 25;
    Button5.anchors = akRight | akBottom;
    Button5.taborder = 7;

    add(Label2, u"Label2");
    Label2.caption = u"F1 - Help";
    Label2.left = 8, Label2.top = 515, Label2.width = 100, Label2.height = 14;
    Label2.anchors = akLeft | akBottom;
}

} // namespace forms
