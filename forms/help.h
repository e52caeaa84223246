// Help: the product's pages ship beside the program, so F1 works offline.
#pragma once

#include <string>

#include "host.h"

namespace forms {

// The help page's address at a topic ("start", "editactions", "tagmissing",
// "discrepancy", "compsetup"): a local file URL of site/russian.html.
std::u16string helpurl(const std::u16string& topic);
// The product's index page, for the about box.
std::u16string siteurl();
// Opens the help page at the topic; a failure is not reported.
void openhelp(host& h, const std::u16string& topic);

} // namespace forms
