// The program above the checker: its windows, created once in the start-up
// order, the checker's state, and the main window's handlers: Start, the
// root folder (browser and drop), Apply, the settings (keep-names box and settings
// dialog), the about box, the help key and the look of the report lines.
// Reviewing the report (review.h) and the folder tag editor (editor.h) bind
// their handlers here too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "context.h"
#include "host.h"
#include "outputcolor.h"
#include "platform.h"
#include "tform1.h"
#include "tform10.h"
#include "tform11.h"
#include "tform2.h"
#include "tform3.h"
#include "tform5.h"
#include "tform6.h"
#include "tform7.h"
#include "tform8.h"

namespace ui {

// The folder browser's title.
inline constexpr char16_t browsetitle[] = u"Выбор каталога для обработки";

class program {
public:
    // Creates the windows in the start-up order: the main window first, whose
    // creation loads the settings (`showdir`), then the dialogs. `args` is
    // the command line after the program's name; `folder` is where the
    // settings file lives (the program's own folder, or a test's tempdir).
    // Every window gets `h` as its host; nothing is shown yet.
    program(forms::host& h, std::vector<std::u16string> args,
            std::u16string folder = platform::programdir());
    program(const program&) = delete;
    program& operator=(const program&) = delete;

    forms::host& host;
    forms::TForm1 Form1;
    checker::context c;

private:
    bool created_; // Form1's creation handler ran, before the dialogs exist

public:
    forms::TForm2 Form2{&Form1};
    forms::TForm3 Form3{&Form1};
    forms::TForm5 Form5;
    forms::TForm6 Form6;
    forms::TForm7 Form7;
    forms::TForm8 Form8;
    forms::TForm11 Form11;
    forms::TForm10 Form10{&Form11};

    // A run is in progress (Start or a drop); a drop, Start and the folder
    // button are refused meanwhile.
    bool running = false;
    // Apply is carrying out the operations.
    bool applying = false;
    // The main window was closed: the program is ending, and a dialog still
    // up is not shown again.
    bool closing = false;
};

// The main window's creation: accepts drops, marks the program as not
// started, loads the settings and shows the stored root folder.
void showdir(program& p);

// Start: frees the last run's operations and lines, runs the checker over
// the root folder that Label1 shows, then enables Apply when operations were
// planned. Returns when the run has ended. Does nothing while a run or an
// apply is in progress.
void doBrellian(program& p);

// Apply: carries out the switched-on operations of the last run with the
// main window disabled and the progress window up. Not during a run.
void apply(program& p);

// The about box, modally.
void showinfo(program& p);

// The main window's key handler: F1 opens the help topic "start" before the
// first run, "editactions" after it.
void help(program& p, std::uint16_t key);

// The keep-names box clicked: stores its state in the settings and saves
// them (not while they are being loaded).
void setcfg(checker::context& c);

// The settings dialog: filled from the settings, shown modally; "Сохранить"
// stores its fields, mirrors the skip-compilations switch into the main
// window and saves the file.
void setupcompilations(checker::context& c, forms::TForm8& f);

// A new root folder. With the main window's Label1 as sender the label's
// text is taken as it is (a drop, a renamed root after Apply); otherwise the
// browser is shown with the current root preselected, and cancelling it
// changes nothing. The new root is shown, Apply is disabled, and the root is
// stored in the settings file.
void choosedir(program& p, const forms::control* sender);

// Paths dropped on the main window: exactly one existing local folder
// becomes the root and starts a run at once. Several items, a file, a path
// that does not exist, or a drop during a run or an apply change nothing.
void dropdir(program& p, const std::vector<std::u16string>& paths);

// How report line `row` is drawn: its text and its first operation's perform
// flag decide.
lineformat linestyle(checker::context& c, int row);

} // namespace ui
