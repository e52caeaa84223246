// What a form needs from a toolkit. The Qt host implements it with real
// widgets; the tests' scripted host answers modal forms from a script.
#pragma once

#include <string>

#include "form.h"

namespace forms {

class host {
public:
    host();
    virtual ~host();
    host(const host&) = delete;
    host& operator=(const host&) = delete;

    // Whether h is a host that still exists: a form may outlive the host
    // that showed it (tests declare them in either order).
    static bool alive(const host* h);

    // Shows the form modally and returns its modal result once it closes.
    virtual int showmodal(form& f) = 0;
    // Modeless windows.
    virtual void show(form& f) = 0;
    virtual void hide(form& f) = 0;
    // Brings a window to the front.
    virtual void bringtofront(form& f) = 0;
    // Paints the form now from its model; handles no input.
    virtual void repaint(form& f) = 0;
    // Handles every pending window message (input included).
    virtual void processmessages() = 0;
    // An information box and the application's error box.
    virtual void messagebox(const std::u16string& text) = 0;
    virtual void errorbox(const std::u16string& text) = 0;
    // Opens a URL in the browser; failure is not reported to the user.
    virtual bool openurl(const std::u16string& url) = 0;
    // The folder browser, the current root preselected; false when cancelled.
    virtual bool browsefolder(const std::u16string& title, const std::u16string& start,
                              std::u16string& chosen) = 0;
    // The form is being destroyed (a window made anew for each use, such as
    // the progress window): the host lets go of what it keeps for it.
    virtual void forget(form&) {}
};

} // namespace forms
