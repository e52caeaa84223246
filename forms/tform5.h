// The about box: the product's name and version, what it does, and a link to
// the product's site.
#pragma once

#include "form.h"

namespace forms {

// A label drawn as a link (navy, underlined, hand cursor) that reacts to a
// click.
struct linklabel : label {
    std::function<void()> onclick;
};

class TForm5 : public form {
public:
    TForm5();

    label Label1;     // "vorlinde 0.98"
    label Label4;     // what the program does
    label Label2;     // where to find the latest version
    linklabel Label3; // the link to the product's pages; its hint is the index page's address
    button Button1;   // "Ok"

    using form::click;
    // The link label clicked as the user does it.
    void click(linklabel& l);

    // Handlers, bound in the constructor.
    void golink(control& sender); // Label3: opens the sender's hint when it is a label
    void hideinfo();              // Button1: closes the box, ending its modal loop
};

} // namespace forms
