// The wait window of the release lookup. Its hidden list carries the track
// list of the last release taken, one line per track: title, " #", position.
#pragma once

#include "form.h"

namespace forms {

class TForm6 : public form {
public:
    TForm6();

    label Panel1;       // the wait text, over the whole window
    combobox ComboBox1; // hidden: the fetched track list
};

} // namespace forms
