// The settings dialog: the official-compilation name and switches, the track
// order of personal compilations, and the other switches of the settings
// record. Filling it from the settings and saving them back is done by its
// caller; the dialog keeps its radio buttons exclusive and offers help.
#pragma once

#include "form.h"

namespace forms {

class TForm8 : public form {
public:
    TForm8();

    groupbox GroupBox2; // official compilations
    label Label4;
    edit Edit4;               // the compilation name
    checkbox CheckBox1;       // skip official compilations
    checkbox CheckBox6;       // iTunes part-of-a-compilation flag
    groupbox RadioGroup1;     // an empty frame around the six radio buttons
    radiobutton RadioButton1; // by album
    radiobutton RadioButton2; // by artist
    radiobutton RadioButton3; // by file name
    radiobutton RadioButton4; // random
    radiobutton RadioButton5; // by title
    radiobutton RadioButton6; // unchanged
    checkbox CheckBox2;       // titles from file names
    checkbox CheckBox3;       // same genre in a folder
    checkbox CheckBox4;       // playlist backups
    checkbox CheckBox5;       // number the files
    button Button1;           // "Сохранить"
    button Button2;           // "Отмена"

    // The track order of personal compilations as the radio buttons show it:
    // 1 to 6, or 0 while none is selected.
    int sortorder() const;
    // Selects the radio button of that number, deselecting the others; any
    // other number leaves them as they are.
    void setsortorder(int order);

    // Handlers, bound in the constructor.
    void selectradio(radiobutton& chosen); // every radio button clicked
    void help(control* from, std::uint16_t& key, unsigned shift);

private:
    radiobutton* radios_[6];
};

} // namespace forms
