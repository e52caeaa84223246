// A host without a display: modal forms are answered by a script, and
// everything shown is recorded. The tests and the benchmarks drive whole runs
// through it.
#pragma once

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host.h"

namespace forms {

class scriptedhost : public host {
public:
    // One answer to one modal showing: it may set fields and click controls
    // through the form (form::click, form::type ...); it must leave a modal
    // result set, or the showing is an error.
    using answer = std::function<void(form&)>;

    // Answers are taken in order; a showing with no answer left throws.
    void expect(answer a) { script_.push_back(std::move(a)); }
    // Shorthand: press the button named `buttonname` of the shown form.
    void press(std::u16string buttonname);
    std::size_t pending() const { return script_.size(); }
    // Answers every showing that the script does not cover.
    answer fallback;

    // What happened, in order: "modal Form2", "show Form6", "hide Form6",
    // "message <text>", "error <text>", "url <url>", "browse".
    std::vector<std::u16string> log;
    std::vector<std::u16string> urls;
    std::vector<std::u16string> messages;
    std::vector<std::u16string> errors;
    int repaints = 0;
    int pumps = 0;
    // Called at every processmessages(), to act as the user between folders.
    std::function<void()> onpump;
    // The folder the browser returns; empty means cancelled.
    std::u16string browseresult;

    int showmodal(form& f) override;
    void show(form& f) override;
    void hide(form& f) override;
    void bringtofront(form& f) override;
    void repaint(form& f) override;
    void processmessages() override;
    void messagebox(const std::u16string& text) override;
    void errorbox(const std::u16string& text) override;
    bool openurl(const std::u16string& url) override;
    bool browsefolder(const std::u16string& title, const std::u16string& start,
                      std::u16string& chosen) override;

private:
    std::deque<answer> script_;
};

} // namespace forms
