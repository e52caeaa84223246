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
// The path of one of the product's pages ("russian.html", "index.html").
std::u16string pagepath(const std::u16string& page);
// Opens the URL, a page of the product's, in the browser; when none opens
// it, a message box gives the page's path to open by hand.
void openpage(host& h, const std::u16string& url, const std::u16string& page);
// Opens the help page at the topic, as openpage does.
void openhelp(host& h, const std::u16string& topic);

} // namespace forms
