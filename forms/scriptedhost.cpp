#include "scriptedhost.h"

#include "platform.h"

namespace forms {

void scriptedhost::press(std::u16string buttonname) {
    expect([buttonname](form& f) {
        control* c = f.find(buttonname);
        if (!c || c->what != kind::button)
            throw std::logic_error("no button " + platform::utf16to8(buttonname) + " on " +
                                   platform::utf16to8(f.name()));
        f.click(static_cast<button&>(*c));
    });
}

int scriptedhost::showmodal(form& f) {
    log.push_back(u"modal " + f.name());
    f.modalresult = mrNone;
    f.visible = true;
    if (f.onshow) f.onshow();
    answer a;
    if (!script_.empty()) {
        a = std::move(script_.front());
        script_.pop_front();
    } else if (fallback) {
        a = fallback;
    } else {
        throw std::logic_error("unexpected modal " + platform::utf16to8(f.name()));
    }
    a(f);
    f.visible = false;
    if (f.modalresult == mrNone)
        throw std::logic_error("modal " + platform::utf16to8(f.name()) + " left without a result");
    if (f.onclose) f.onclose();
    return f.modalresult;
}

void scriptedhost::show(form& f) {
    log.push_back(u"show " + f.name());
    f.visible = true;
    if (f.onshow) f.onshow();
}

void scriptedhost::hide(form& f) {
    log.push_back(u"hide " + f.name());
    f.visible = false;
}

void scriptedhost::bringtofront(form&) {}

void scriptedhost::repaint(form&) {
    ++repaints;
}

void scriptedhost::processmessages() {
    ++pumps;
    if (onpump) onpump();
}

void scriptedhost::messagebox(const std::u16string& text) {
    log.push_back(u"message " + text);
    messages.push_back(text);
}

void scriptedhost::errorbox(const std::u16string& text) {
    log.push_back(u"error " + text);
    errors.push_back(text);
}

bool scriptedhost::openurl(const std::u16string& url) {
    log.push_back(u"url " + url);
    urls.push_back(url);
    return true;
}

bool scriptedhost::browsefolder(const std::u16string&, const std::u16string&,
                                std::u16string& chosen) {
    log.push_back(u"browse");
    if (browseresult.empty()) return false;
    chosen = browseresult;
    return true;
}

} // namespace forms
