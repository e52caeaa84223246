#include "tform4.h"

#include "host.h"

namespace forms {

TForm4::TForm4() : form(u"Form4") {
    caption = u"(Перез)записываю теги, ждите";
    width = 510;
    height = 114;
    closebox = false;
    stayontop = true;

    add(ProgressBar1, u"ProgressBar1");
    ProgressBar1.left = 14, ProgressBar1.top = 10, ProgressBar1.width = 481;
    ProgressBar1.height = 33;

    add(Label1, u"Label1");
    Label1.left = 14, Label1.top = 52, Label1.width = 481, Label1.height = 13;

    add(ProgressBar2, u"ProgressBar2");
    ProgressBar2.left = 14, ProgressBar2.top = 76, ProgressBar2.width = 481;
    ProgressBar2.height = 17;

    onclose = [this] { disappear(); };
}

void TForm4::open() {
    if (closed) return;
    if (owner) owner->show(*this);
    visible = true;
}

void TForm4::close() {
    if (closed) return;
    if (owner && visible) owner->hide(*this);
    visible = false;
    if (onclose) onclose();
}

void TForm4::disappear() {
    closed = true;
}

void TForm4::repaintnow() {
    if (!owner || closed) return;
    owner->repaint(*this);
}

void TForm4::tofront() {
    if (owner && !closed) owner->bringtofront(*this);
}

void TForm4::processmessages() {
    if (owner) owner->processmessages();
}

} // namespace forms
