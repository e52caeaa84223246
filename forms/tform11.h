// The change-tags-for-all-tracks dialog of the folder tag editor: the artist,
// album and year to give every listed track, each with a "Не менять" box
// that keeps the tracks' own values, the release lookup and the button that
// takes the fetched track list. The lookup, Ok and track-list buttons start
// work above this layer: their onclick slots are bound by the program.
#pragma once

#include "form.h"

namespace forms {

class TForm11 : public form {
public:
    TForm11();

    label Label1;       // "Исполнитель"
    edit Edit1;         // artist; disabled while CheckBox1 is ticked
    checkbox CheckBox1; // "Не менять" the artist
    label Label2;       // "Альбом"
    edit Edit2;         // album
    checkbox CheckBox2;
    label Label3; // "Год"
    edit Edit3;   // year; typing filtered as the run dialog's year field
    checkbox CheckBox3;
    button Button3; // the release lookup; bound above this layer
    button Button4; // "Взять треклист", hidden until a lookup leaves enough tracks
    button Button1; // "Ok"; its onclick (`compare`) is bound above this layer
    button Button2; // "Cancel"

    // Handlers, bound in the constructor.
    void switchedit(); // each edit enabled exactly while its box is unticked
    void restrictyear(char16_t& key);
    void chkkey(control* from, std::uint16_t& key, unsigned shift); // Ctrl+A selects all

    // Every box ticked: Ok would change nothing.
    bool nochange() const { return CheckBox1.checked && CheckBox2.checked && CheckBox3.checked; }
};

} // namespace forms
