#include "tform10.h"

namespace forms {

TForm10::TForm10(TForm11* alltracks) : form(u"Form10"), alltracks(alltracks) {
    caption = u"Редактор MP3-тегов папки";
    width = 990;
    height = 440;
    sizeable = true;

    put(ListView1, u"ListView1", {8, 8, 974, 384}, {}, 0);
    ListView1.anchors = akLeft | akTop | akRight | akBottom;
    ListView1.gridlines = true;
    ListView1.columns = {{u"Имя файла", 200},
                         {u"Название трека", 200},
                         {u"Исполнитель", 150},
                         {u"Альбом", 150},
                         {u"Год"},
                         {u"Номер Трека", 60},
                         {u"Жанр", 150}};
    put(Label1, u"Label1", {8, 400, 0, 13});
    Label1.visible = false;
    put(Button1, u"Button1", {8, 402, 130, 28}, u"Изменить теги", 1);
    put(Button2, u"Button2", {146, 402, 150, 28}, u"Внести изменения", 2);
    put(Button4, u"Button4", {304, 402, 100, 28}, u"Отмена", 3);
    put(Button3, u"Button3", {882, 402, 100, 28}, u"Закрыть", 4);
    Button1.hint = u"Ручное изменение тегов для всего каталога";
    Button2.hint = u"Физическая запись внесенных изменений в тегах";
    Button4.hint = u"Загрузить исходные теги";
    for (button* b : {&Button1, &Button2, &Button4, &Button3}) {
        b->showhint = !b->hint.empty();
        b->anchors = akLeft | akBottom;
    }
    Button2.bold = true;
    Button3.anchors = akRight | akBottom;
    Button3.modalresult = mrOk;

    onshow = [this] { init(); };
    init();
}

void TForm10::init() {
    Button3.modalresult = mrOk;
    disarm();
    if (alltracks) alltracks->Button4.enabled = false;
    written.clear();
}

void TForm10::arm() {
    Button2.enabled = true;
    Button4.enabled = true;
}

void TForm10::disarm() {
    Button2.enabled = false;
    Button4.enabled = false;
}

std::u16string TForm10::folder() const {
    std::u16string f = Label1.caption;
    if (f.empty() || f.back() != u'/') f += u'/';
    return f;
}

} // namespace forms
