// The main window: the root folder line, the report list and the controls
// that start a run, apply its operations and hold two settings.
#pragma once

#include "form.h"

namespace forms {

class TForm1 : public form {
public:
    TForm1();

    label Label1;       // the root folder
    button Button2;     // choose the root folder
    listview ListView1; // the report lines
    checkbox CheckBox5; // perform flag of the selected line
    button Button1;     // Start
    groupbox GroupBox1;
    checkbox CheckBox3; // keep folder names
    button Button6;     // settings dialog
    checkbox CheckBox2; // skip official compilations (hidden mirror of the setting)
    checkbox CheckBox4; // always ticked
    button Button3;     // Apply
    button Button5;     // about box
    label Label2;       // help key reminder

    // True from creation until the first run begins; picks the help topic.
    bool notstarted = true;

    // Dropped paths, as the shell hands them over.
    std::function<void(const std::vector<std::u16string>& paths)> ondrop;
};

} // namespace forms
