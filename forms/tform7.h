// The chooser of the release lookup: one line per search result; "Ok" takes
// the selected line's release, or the first one when none is selected.
#pragma once

#include "form.h"

namespace forms {

class TForm7 : public form {
public:
    TForm7();

    label Label1;       // "Найдено:"
    combobox ComboBox1; // the result lines
    label Label2;       // "Берем?"
    button Button1;     // Ok
    button Button2;     // Cancel

    // Text typed into the field selects no line, unless it is the selected
    // line's own text.
    void textchanged();
};

} // namespace forms
