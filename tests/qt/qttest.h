// Small form models and helpers for driving real widgets.
#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "form.h"
#include "qthost.h"

namespace qttest {

// A dialog with one control of most kinds, its handlers counting.
class dialog : public forms::form {
public:
    dialog() : form(u"Dialog") {
        caption = u"Проверка";
        width = 400;
        height = 260;
        add(Label1, u"Label1");
        Label1.caption = u"Год выпуска";
        Label1.left = 10, Label1.top = 10, Label1.width = 200, Label1.height = 16;
        add(Edit1, u"Edit1");
        Edit1.left = 10, Edit1.top = 30, Edit1.width = 200, Edit1.height = 21;
        Edit1.taborder = 0;
        // Digits and Backspace only.
        Edit1.onkeypress = [](char16_t& k) {
            if (k != u'\b' && (k < u'0' || k > u'9')) k = 0;
        };
        Edit1.onchange = [this] { ++changes; };
        add(ComboBox1, u"ComboBox1");
        ComboBox1.items = {u"Первый", u"Второй", u"Третий"};
        ComboBox1.text = u"Первый";
        ComboBox1.itemindex = 0;
        ComboBox1.left = 10, ComboBox1.top = 60, ComboBox1.width = 200, ComboBox1.height = 21;
        ComboBox1.taborder = 1;
        ComboBox1.onchange = [this] { ++combochanges; };
        add(GroupBox1, u"GroupBox1");
        GroupBox1.caption = u"Выбор";
        GroupBox1.left = 220, GroupBox1.top = 10, GroupBox1.width = 170, GroupBox1.height = 90;
        add(RadioButton1, u"RadioButton1");
        RadioButton1.caption = u"один";
        RadioButton1.parent = &GroupBox1;
        RadioButton1.left = 10, RadioButton1.top = 20, RadioButton1.width = 150,
        RadioButton1.height = 17;
        RadioButton1.taborder = 2;
        RadioButton1.onclick = [this] { RadioButton2.checked = false; };
        add(RadioButton2, u"RadioButton2");
        RadioButton2.caption = u"два";
        RadioButton2.parent = &GroupBox1;
        RadioButton2.left = 10, RadioButton2.top = 45, RadioButton2.width = 150,
        RadioButton2.height = 17;
        RadioButton2.taborder = 3;
        RadioButton2.onclick = [this] { RadioButton1.checked = false; };
        add(CheckBox1, u"CheckBox1");
        CheckBox1.caption = u"Флажок";
        CheckBox1.left = 10, CheckBox1.top = 90, CheckBox1.width = 150, CheckBox1.height = 17;
        CheckBox1.taborder = 4;
        add(ListBox1, u"ListBox1");
        ListBox1.items = {u"a", u"b", u"c"};
        ListBox1.left = 10, ListBox1.top = 110, ListBox1.width = 150, ListBox1.height = 60;
        ListBox1.onclick = [this] { ++listclicks; };
        add(ProgressBar1, u"ProgressBar1");
        ProgressBar1.left = 10, ProgressBar1.top = 180, ProgressBar1.width = 380,
        ProgressBar1.height = 17;
        add(Button1, u"Button1");
        Button1.caption = u"Да";
        Button1.modalresult = forms::mrOk;
        Button1.left = 220, Button1.top = 220, Button1.width = 75, Button1.height = 25;
        Button1.taborder = 5;
        Button1.onclick = [this] { ++clicks; };
        add(Button2, u"Button2");
        Button2.caption = u"Стоп";
        Button2.modalresult = forms::mrAbort;
        Button2.left = 305, Button2.top = 220, Button2.width = 75, Button2.height = 25;
        Button2.taborder = 6;
    }
    forms::label Label1;
    forms::edit Edit1;
    forms::combobox ComboBox1;
    forms::groupbox GroupBox1;
    forms::radiobutton RadioButton1, RadioButton2;
    forms::checkbox CheckBox1;
    forms::listbox ListBox1;
    forms::progressbar ProgressBar1;
    forms::button Button1, Button2;
    int changes = 0, combochanges = 0, clicks = 0, listclicks = 0;
};

// Runs `what` once the event loop next turns (inside a modal loop).
inline void later(std::function<void()> what) {
    QTimer::singleShot(0, qApp, std::move(what));
}

inline void click(QWidget* w) {
    ASSERT_NE(w, nullptr);
    QTest::mouseClick(w, Qt::LeftButton);
}

} // namespace qttest
