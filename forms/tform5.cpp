#include "tform5.h"

#include "help.h"
#include "host.h"

namespace forms {

TForm5::TForm5() : form(u"Form5") {
    caption = u"Info";
    width = 330;
    height = 160;

    add(Label1, u"Label1");
    Label1.caption = u"vorlinde 0.98";
    Label1.bold = true;
    Label1.left = 8, Label1.top = 12, Label1.width = 314, Label1.height = 16;

    add(Label4, u"Label4");
    Label4.caption = u"быстрая автоматическая коррекция ошибок в MP3-тегах";
    Label4.left = 8, Label4.top = 36, Label4.width = 314, Label4.height = 13;

    add(Label2, u"Label2");
    Label2.caption = u"Последнюю версию и подробное описание ищите на сайте";
    Label2.left = 8, Label2.top = 64, Label2.width = 314, Label2.height = 13;

    add(Label3, u"Label3");
    Label3.hint = siteurl();
    Label3.showhint = true;
    // The pages ship beside the program: a local file address would read as
    // no web site at all, so the link names what it opens.
    Label3.caption = u"vorlinde — описание и справка";
    Label3.left = 8, Label3.top = 82, Label3.width = 314, Label3.height = 13;

    add(Button1, u"Button1");
    Button1.caption = u"Ok";
    Button1.left = 127, Button1.top = 120, Button1.width = 75, Button1.height = 25;
    Button1.taborder = 0;

    Label3.onclick = [this] { golink(Label3); };
    Button1.onclick = [this] { hideinfo(); };
}

void TForm5::click(linklabel& l) {
    if (!l.enabled || !l.visible || !enabled) return;
    if (l.onclick) l.onclick();
}

void TForm5::golink(control& sender) {
    if (sender.what == kind::label && owner) openpage(*owner, sender.hint, u"index.html");
}

void TForm5::hideinfo() {
    modalresult = mrCancel;
}

} // namespace forms
