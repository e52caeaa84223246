// The unify-tags dialog: make the artist and/or the album the same on every
// track of a folder, leave the tags, stop, or treat the folder as a personal
// compilation. The checker fills it; the dialog only keeps its controls
// consistent and offers help.
#pragma once

#include "form.h"

namespace forms {

class TForm3 : public form {
public:
    // mainwindow: the window behind this translucent dialog, repainted when
    // the dialog appears; may be null.
    explicit TForm3(form* mainwindow = nullptr);

    label Label2;       // the folder's full path
    label Label1;       // the question, bold
    checkbox CheckBox1; // "По исполнителю"
    checkbox CheckBox2; // "По альбому"
    combobox ComboBox1; // the artist to write
    combobox ComboBox2; // the album to write
    button Button1;     // "Да"
    button Button2;     // "Нет"; the close box gives the same result
    button Button3;     // "Стоп"
    button Button4;     // "Личная компиляция"

    form* mainwindow = nullptr;

    // Ticks or unticks a box as a click would, running its handler when the
    // state changes, so that the enable rules hold for the caller too.
    void setchecked(checkbox& box, bool on);

    // Handlers, bound in the constructor.
    void invertstate();                                           // CheckBox1 clicked
    void ivertstate1();                                           // CheckBox2 clicked
    void redrawform1();                                           // onshow
    void help(control* from, std::uint16_t& key, unsigned shift); // every key but Button4's
};

} // namespace forms
