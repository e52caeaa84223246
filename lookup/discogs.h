// Release search against the Discogs database: the search, the chooser, the
// chosen release's artist, album, year and track list.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "geturl.h"
#include "host.h"
#include "tform6.h"
#include "tform7.h"

namespace lookup {

// Every failure of a lookup other than "nothing found" and "cancelled". The
// callers let it reach the application's error box.
class lookuperror : public std::runtime_error {
public:
    lookuperror() : std::runtime_error("Not found or access/parse error") {}
    std::u16string text() const { return u"Not found or access/parse error"; }
};

// The service's base address: http://api.discogs.com, or VORLINDE_DISCOGS_URL.
std::u16string discogsbase();

// Query encoding of the artist and the album: UTF-8 bytes, unreserved ones
// kept, a blank as "+", the rest as "%" and two upper-case hex digits.
std::u16string encodequery(std::u16string_view s);
// The search URL for the three values (any may be empty).
std::u16string searchurl(std::u16string_view base, std::u16string_view artist,
                         std::u16string_view album, std::u16string_view year);

// A member of a JSON object as text: a string as itself, any other value as
// its compact JSON text, a missing member (or a non-object) as empty text.
std::u16string membertext(const nlohmann::json& element, std::string_view name);
// Replaces every "%name%" of the template by that member of the element.
std::u16string expand(const nlohmann::json& element, std::u16string_view templ);

// Removes the service's disambiguating "(n)" from an artist name.
void trimartistindex(std::u16string& name);
// ", The" moved to the front, then trimartistindex.
void artistrules(std::u16string& name);

// Searches for the values, lets the user choose a release in `form7` and
// takes it. True: artist, album and year hold the release's values and
// form6.ComboBox1 its track list. False, nothing changed: nothing found (the
// message "Not found" was shown) or the choice was cancelled. Any other
// failure throws lookuperror, also a reply that would take much memory: one
// longer than options.maxbody, nested deeper than 256 or denser than one value
// per 8 bytes of maxbody. The chooser lists the first 1,000 results at most.
// `form6` is shown for the whole lookup.
bool discogssearch(forms::host& host, forms::TForm6& form6, forms::TForm7& form7,
                   std::u16string& artist, std::u16string& album, std::u16string& year,
                   const fetchoptions& options = {});

} // namespace lookup
