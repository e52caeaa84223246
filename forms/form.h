// A window as data: its caption, size, state and the controls it owns.
#pragma once

#include <string>
#include <vector>

#include "controls.h"

namespace forms {

class host;

class form {
public:
    explicit form(std::u16string name) : name_(std::move(name)) {}
    // Tells the owner, which may keep a window for it.
    virtual ~form();
    form(const form&) = delete;
    form& operator=(const form&) = delete;

    const std::u16string& name() const { return name_; }
    // The controls in the order they were registered (the views build them so).
    const std::vector<control*>& controls() const { return controls_; }
    control* find(std::u16string_view controlname) const;

    std::u16string caption;
    int width = 0, height = 0; // client area
    bool visible = false;
    bool enabled = true;
    int modalresult = mrNone; // set while shown modally: closes the form
    int opacity = 255;        // 0..255
    bool stayontop = false;
    bool centred = true;
    bool sizeable = false;
    bool closebox = true;     // the caption bar has a close box
    bool minimizebox = false; // and a minimize button (a sizeable form also has maximize)
    bool keypreview = false;  // the form sees every key before its controls
    std::u16string fontname = u"Tahoma";
    int fontsize = 8;

    std::function<void()> onshow;
    std::function<void()> onclose;
    // Key-down seen by the form first (when keypreview is set), with the control
    // that has the focus (may be null).
    std::function<void(control* from, std::uint16_t& key, unsigned shift)> onkeydown;

    // The host that shows this form; set by whoever creates the windows.
    host* owner = nullptr;

    // A click as the user makes it: the handler runs, then a button with a
    // modal result closes the modal form with it.
    void click(button& b);
    // A check box clicked: the state flips, then the handler runs.
    void click(checkbox& c);
    // A key pressed in a control (or in the form, with null): the form's
    // preview handler first, then the control's own; Enter left over outside
    // a button clicks the default button, if one can be clicked. Gives the
    // key left over: 0 when a handler or the default button consumed it.
    std::uint16_t keydown(control* from, std::uint16_t key, unsigned shift = ssNone);
    // A character typed into an edit: its filter may refuse it; when it
    // passes it is applied as the edit would (it replaces the selection or is
    // inserted at the caret; Backspace deletes the selection or the character
    // before the caret) and the change handler runs.
    void type(edit& e, char16_t ch);
    // Text set as by the user (pasted): the change handler runs.
    void settext(edit& e, std::u16string text);
    void settext(combobox& c, std::u16string text);
    // A row chosen by the user (-1: a click below the last row): the
    // selection handler runs for the row left, then for the row chosen.
    void select(listview& l, int row);
    void select(listbox& l, int row);
    // An item picked from the combo box's list: its text becomes the text.
    void select(combobox& c, int index);
    // The user resized the client area: the controls follow their anchors.
    void resize(int newwidth, int newheight);

protected:
    template <typename C>
    C& add(C& c, std::u16string controlname) {
        c.name = std::move(controlname);
        controls_.push_back(&c);
        return c;
    }

    // Where a control stands in its container.
    struct bounds {
        int left, top, width, height;
    };
    // Registers a control, places it and gives it its caption (a control
    // without one ignores it) and its place in the tab order, in one call.
    template <typename C>
    C& put(C& c, std::u16string controlname, bounds b, std::u16string caption = {},
           int taborder = -1) {
        add(c, std::move(controlname));
        c.left = b.left, c.top = b.top, c.width = b.width, c.height = b.height;
        if constexpr (requires { c.caption; }) c.caption = std::move(caption);
        c.taborder = taborder;
        return c;
    }

private:
    std::u16string name_;
    std::vector<control*> controls_;
};

} // namespace forms
