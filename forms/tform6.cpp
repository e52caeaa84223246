#include "tform6.h"

namespace forms {

TForm6::TForm6() : form(u"Form6") {
    caption = u"Wait";
    width = 288;
    height = 84;
    closebox = false; // no border icons: the user cannot close it
    sizeable = false;
    centred = true;

    add(Panel1, u"Panel1");
    Panel1.caption = u"Связываемся с Discogs...";
    Panel1.bold = true;
    // A panel: its caption in the middle.
    Panel1.alignment = textalign::centre;
    Panel1.layout = textlayout::centre;
    Panel1.left = 0, Panel1.top = 0, Panel1.width = 288, Panel1.height = 84;

    add(ComboBox1, u"ComboBox1");
    ComboBox1.parent = &Panel1;
    ComboBox1.visible = false;
    ComboBox1.enabled = false;
    ComboBox1.left = 8, ComboBox1.top = 8, ComboBox1.width = 145, ComboBox1.height = 21;
}

} // namespace forms
