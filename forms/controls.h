// The controls of a window as plain data. A view (Qt, or the scripted host of
// the tests) shows them and routes events to the handlers bound here; after
// every handler it refreshes itself from these fields.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace forms {

class form;

// Modal results, as the dialogs use them.
enum : int {
    mrNone = 0,
    mrOk = 1,     // yes or OK
    mrCancel = 2, // no or cancel; also the close box
    mrAbort = 3,  // stop the run
    mrIgnore = 5, // skip this folder
    mrYes = 6,    // tags were written (folder tag editor)
    mrAll = 8,    // personal compilation
};

// Virtual-key codes the handlers test.
enum : std::uint16_t {
    vkBack = 8,
    vkReturn = 13,
    vkEscape = 27,
    vkA = 'A',
    vkF1 = 112,
};

// Modifier state of a key event.
enum shiftstate : unsigned { ssNone = 0, ssShift = 1, ssAlt = 2, ssCtrl = 4 };

// Which edges of its container a control keeps its distance to when the
// container is resized; left and right both: it stretches.
enum anchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

enum class kind {
    label,
    button,
    checkbox,
    radiobutton,
    edit,
    combobox,
    listbox,
    listview,
    progressbar,
    groupbox,
};

struct control {
    explicit control(kind k) : what(k) {}
    virtual ~control() = default;
    control(const control&) = delete;
    control& operator=(const control&) = delete;

    const kind what;
    std::u16string name; // "Button1": set when the form registers it
    bool enabled = true;
    bool visible = true;
    std::u16string hint;
    bool showhint = false;
    bool bold = false;
    bool italic = false;
    int left = 0, top = 0, width = 0, height = 0;
    int taborder = -1; // -1: not a tab stop
    unsigned anchors = akLeft | akTop;
    control* parent = nullptr;     // a group box holding it, or none
    bool focused = false;          // set by the view; handlers may ask for focus
    bool selectallrequest = false; // a handler asked the view to select all text

    // Key-down: key may be set to 0 by the handler to consume it.
    std::function<void(std::uint16_t& key, unsigned shift)> onkeydown;
};

// Where a caption sits in its control, across and down.
enum class textalign { left, centre, right };
enum class textlayout { top, centre, bottom };

struct label : control {
    label() : control(kind::label) {}
    std::u16string caption;
    textalign alignment = textalign::left;
    textlayout layout = textlayout::top;
    // A caption too long for the label (a path) is drawn with its middle left
    // out, whole in the label's tooltip; the caption itself stays whole.
    bool elidemiddle = false;
    // The caption is a path: shown with each name read as text
    // (checker::pathtext), while the caption keeps the names' bytes.
    bool path = false;
};

struct groupbox : control {
    groupbox() : control(kind::groupbox) {}
    std::u16string caption;
};

struct button : control {
    button() : control(kind::button) {}
    std::u16string caption;
    int modalresult = mrNone; // a click closes a modal form with this result
    // Enter pressed anywhere in the form but on another button presses it.
    bool isdefault = false;
    std::function<void()> onclick;
};

struct checkbox : control {
    explicit checkbox(kind k = kind::checkbox) : control(k) {}
    std::u16string caption;
    bool checked = false;
    bool captionleft = false;
    std::function<void()> onclick; // after the user changed `checked`
};

struct radiobutton : checkbox {
    radiobutton() : checkbox(kind::radiobutton) {}
};

struct edit : control {
    edit() : control(kind::edit) {}
    std::u16string text;
    int maxlength = 0; // 0: no limit
    bool readonly = false;
    // The caret and the selection, in code units, as the view last saw them;
    // a typed character replaces the selection. -1: at the end of the text.
    int selstart = -1;
    int sellength = 0;
    std::function<void()> onchange;
    // A character typed: set it to 0 to refuse it.
    std::function<void(char16_t& key)> onkeypress;
};

struct combobox : control {
    combobox() : control(kind::combobox) {}
    std::u16string text;
    std::vector<std::u16string> items;
    int itemindex = -1;
    bool editable = true;
    std::function<void()> onchange;
};

struct listbox : control {
    listbox() : control(kind::listbox) {}
    std::vector<std::u16string> items;
    int itemindex = -1;
    std::function<void()> onclick;
    std::function<void()> ondblclick;
};

// One column of a table list view: its header caption and width in pixels.
struct listcolumn {
    static constexpr int defaultwidth = 50; // the toolkit's width for a column left unsized
    std::u16string caption;
    int width = defaultwidth;
    bool operator==(const listcolumn&) const = default;
};

// A report-style list: one row per item, its text in `items`. Without
// `columns` it is the report list: one wide column of `columnwidth`, no
// header. With columns it is a table: a header, each row's caption in the
// first column and its sub-items in the others.
struct listview : control {
    listview() : control(kind::listview) {}
    std::vector<std::u16string> items;
    int itemindex = -1; // the selected row, -1 for none
    int columnwidth = 0;
    std::vector<listcolumn> columns;
    // subitems[row][k]: the text of column k + 1; a row may hold fewer.
    std::vector<std::vector<std::u16string>> subitems;
    bool gridlines = false; // a table draws lines between its cells
    bool rowselect = true;  // a click selects the whole row
    bool readonly = true;   // the user cannot edit the cells

    // Appends a table row.
    void addrow(std::u16string caption, std::vector<std::u16string> cells) {
        items.push_back(std::move(caption));
        subitems.resize(items.size() - 1);
        subitems.push_back(std::move(cells));
    }
    // Removes every row.
    void clearrows() {
        items.clear();
        subitems.clear();
        itemindex = -1;
    }
    // Sub-item k of a row (0 is the second column); room is made as needed.
    std::u16string& subitem(std::size_t row, std::size_t k) {
        if (subitems.size() <= row) subitems.resize(row + 1);
        if (subitems[row].size() <= k) subitems[row].resize(k + 1);
        return subitems[row][k];
    }
    int showrow = -1; // a handler asks the view to scroll this row into view
    std::function<void(int row)> onselectitem;
    std::function<void()> onclick;
    std::function<void()> ondblclick;
    // Mouse button pressed on a row (1 left, 2 right), with the shift state.
    std::function<void(int button, unsigned shift, int row)> onmousedown;
};

struct progressbar : control {
    progressbar() : control(kind::progressbar) {}
    int min = 0;
    int max = 100;
    int position = 0;
};

} // namespace forms
