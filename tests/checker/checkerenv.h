// A checker context over the scripted host and a fresh main window.
#pragma once

#include "context.h"
#include "scriptedhost.h"
#include "tform1.h"

struct checkerenv {
    forms::scriptedhost host;
    forms::TForm1 form1;
    checker::context c{host, form1};

    const std::vector<std::u16string>& lines() const { return form1.ListView1.items; }
};
