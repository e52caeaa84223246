// The user-intervention dialog: asks for a folder's missing artist, album and
// year, confirms a folder rename, and serves as the rename editor. Its callers
// dress it before every showing and read the three fields back afterwards.
//
// Button3 (the release lookup, `discogs`) and Button6 ("НЕ компиляция",
// `cmprocess`) need the lookup and the checker, which live above this layer:
// their onclick slots are left empty here and bound by whoever creates the
// windows for a run.
#pragma once

#include "form.h"

namespace forms {

// The year field's keyboard filter: Backspace always passes, a digit passes
// while the field holds fewer than four characters, anything else is refused
// (key set to 0). Pasted text is not filtered.
void filteryear(const std::u16string& text, char16_t& key);

class TForm2 : public form {
public:
    // mainwindow: the window behind this translucent dialog, repainted when
    // the dialog appears; may be null.
    explicit TForm2(form* mainwindow = nullptr);

    label Label5;   // headline, bold
    label Label1;   // second line of the question, bold
    label Label2;   // "Исполнитель"
    label Label3;   // "Альбом"
    label Label4;   // "Год"
    edit Edit1;     // artist
    button Button8; // swaps artist and album
    edit Edit2;     // album
    edit Edit3;     // year
    button Button1; // "Да" (the missing-data role captions it "Ok")
    button Button2; // "Нет"
    button Button3; // release lookup; onclick bound above this layer
    button Button4; // ">> Пропуск"
    button Button5; // "Стоп"
    button Button6; // "НЕ компиляция", hidden; onclick bound above this layer
    button Button7; // "Вернуть", hidden until an edit changes

    form* mainwindow = nullptr;

    // The field texts as they were when the dialog was last dressed.
    std::u16string savedartist, savedalbum, savedyear;

    // Run-wide values that the folder run sets for `cmprocess` before the
    // rename confirmation of a possible compilation.
    std::u16string curdirname;  // the folder's current name (last component)
    std::u16string realartist;  // the artist before the compilation name replaced it
    std::u16string savedsuffix; // " (" + year + ")", or empty
    std::u16string altdirname;  // realartist - album + suffix, cleaned
    bool cmunified = false;     // the user unified the tags through the unify dialog

    // Saves the three field texts for `revert`; callers call it right before
    // each showing.
    void keepedits();

    // Handlers, bound in the constructor.
    void form1redraw();                                               // onshow
    void restrictyear(char16_t& key);                                 // Edit3 onkeypress
    void showrevert();                                                // Edit1..Edit3 onchange
    void revert();                                                    // Button7
    void swapfields();                                                // Button8
    void checkkey(control* from, std::uint16_t& key, unsigned shift); // every key but Button8's
};

} // namespace forms
