#include "discogs.h"

#include "id3v2.h"
#include "platform.h"

namespace lookup {

using nlohmann::json;

namespace {

// Deeper replies are refused: writing a member as JSON text recurses.
constexpr int maxdepth = 256;
// A parsed value takes some 16 to 100 bytes, so a reply of tiny values would
// multiply its size in memory many times: replies holding more than one value
// per 8 bytes of the body limit are refused (real ones are far sparser).
constexpr std::size_t bytespervalue = 8;
// The chooser takes the first results only; a page of the service holds 100
// at most.
constexpr std::size_t maxresults = 1000;

// Counts containers and separators, a close upper bound of the values.
bool refused(std::string_view s, std::size_t maxvalues) {
    int depth = 0;
    std::size_t values = 0;
    bool instring = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (instring) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                instring = false;
        } else if (c == '"') {
            instring = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maxdepth || ++values > maxvalues) return true;
        } else if (c == ']' || c == '}') {
            --depth;
        } else if (c == ',' && ++values > maxvalues) {
            return true;
        }
    }
    return false;
}

// The body as the service sent it, decoded leniently: a stray invalid byte
// becomes U+FFFD instead of spoiling the whole reply. The body goes before
// the parse builds the document.
json parsereply(std::string body, const fetchoptions& options) {
    std::string text = platform::utf16to8(platform::utf8to16(body));
    body = std::string();
    if (refused(text, options.maxbody / bytespervalue)) throw lookuperror();
    try {
        return json::parse(text);
    } catch (const json::exception&) {
        throw lookuperror();
    }
}

const json& arraymember(const json& doc, const char* name) {
    if (!doc.is_object()) throw lookuperror();
    auto it = doc.find(name);
    if (it == doc.end() || !it->is_array()) throw lookuperror();
    return *it;
}

bool unreserved(unsigned char b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
           std::u16string_view(u"!$'()*-._@").find(char16_t(b)) != std::u16string_view::npos;
}

void appendhex(std::u16string& out, unsigned char b) {
    static const char16_t digits[] = u"0123456789ABCDEF";
    out += u'%';
    out += digits[b >> 4];
    out += digits[b & 15];
}

// The year goes out as typed; only bytes that cannot stand in a URL at all
// (or would cut the query off) are escaped, or the request could not be sent.
std::u16string yearpart(std::u16string_view year) {
    std::u16string out;
    for (unsigned char b : platform::utf16to8(year)) {
        if (b == ' ')
            out += u'+';
        else if (b < 0x20 || b >= 0x7f || b == '#')
            appendhex(out, b);
        else
            out += char16_t(b);
    }
    return out;
}

// Hides the wait window however the lookup ends.
struct waitwindow {
    forms::host& host;
    forms::TForm6& form;
    waitwindow(forms::host& h, forms::TForm6& f) : host(h), form(f) {
        host.show(form);
        host.repaint(form);
    }
    ~waitwindow() { host.hide(form); }
    waitwindow(const waitwindow&) = delete;
    waitwindow& operator=(const waitwindow&) = delete;
};

} // namespace

std::u16string discogsbase() {
    std::u16string base = platform::getenv("VORLINDE_DISCOGS_URL");
    if (base.empty()) return u"http://api.discogs.com";
    while (!base.empty() && base.back() == u'/') base.pop_back();
    return base;
}

std::u16string encodequery(std::u16string_view s) {
    std::u16string out;
    for (unsigned char b : platform::utf16to8(s)) {
        if (unreserved(b))
            out += char16_t(b);
        else if (b == ' ')
            out += u'+';
        else
            appendhex(out, b);
    }
    return out;
}

std::u16string searchurl(std::u16string_view base, std::u16string_view artist,
                         std::u16string_view album, std::u16string_view year) {
    std::u16string q;
    if (!artist.empty()) q = u"artist=" + encodequery(artist);
    if (!q.empty()) q += u'&';
    if (!album.empty()) q += u"title=" + encodequery(album);
    if (!q.empty() && q.back() != u'&') q += u'&';
    if (!year.empty()) q += u"year=" + yearpart(year);
    if (!q.empty() && q.back() != u'&') q += u'&';
    return std::u16string(base) + u"/database/search?" + q + u"type=release";
}

std::u16string membertext(const json& element, std::string_view name) {
    if (!element.is_object()) return {};
    auto it = element.find(name);
    if (it == element.end()) return {};
    if (it->is_string()) return platform::utf8to16(it->get_ref<const std::string&>());
    return platform::utf8to16(it->dump(-1, ' ', false, json::error_handler_t::replace));
}

std::u16string expand(const json& element, std::u16string_view templ) {
    std::u16string out;
    std::size_t pos = 0;
    while (pos < templ.size()) {
        std::size_t open = templ.find(u'%', pos);
        std::size_t close = open == templ.npos ? templ.npos : templ.find(u'%', open + 1);
        if (close == templ.npos) {
            out += templ.substr(pos);
            break;
        }
        out += templ.substr(pos, open - pos);
        out += membertext(element, platform::utf16to8(templ.substr(open + 1, close - open - 1)));
        pos = close + 1;
    }
    return out;
}

void trimartistindex(std::u16string& name) {
    for (std::size_t i = 0; i + 2 < name.size(); ++i) {
        if (name[i] == u'(' && name[i + 1] >= u'0' && name[i + 1] <= u'9' && name[i + 2] == u')') {
            name.erase(i, 3);
            id3v2::trimtagfield(name);
            return;
        }
    }
}

void artistrules(std::u16string& name) {
    constexpr std::u16string_view article = u", The";
    if (name.ends_with(article)) name = u"The " + name.substr(0, name.size() - article.size());
    trimartistindex(name);
}

bool discogssearch(forms::host& host, forms::TForm6& form6, forms::TForm7& form7,
                   std::u16string& artist, std::u16string& album, std::u16string& year,
                   const fetchoptions& options) {
    waitwindow wait(host, form6);
    std::u16string url = searchurl(discogsbase(), artist, album, year);
    auto& choices = form7.ComboBox1;
    choices.items.clear();
    choices.itemindex = -1;
    choices.text.clear();

    json search = parsereply(geturl(url, options), options);
    const json& results = arraymember(search, "results");
    for (const json& r : results) {
        if (choices.items.size() == maxresults) break;
        choices.items.push_back(expand(r, u"%title% (%year%) %format%"));
    }
    if (choices.items.empty()) {
        host.messagebox(u"Not found");
        return false;
    }

    choices.text = choices.items.front();
    if (host.showmodal(form7) != forms::mrOk) return false;
    std::size_t chosen = 0;
    if (choices.itemindex >= 0 && static_cast<std::size_t>(choices.itemindex) < results.size())
        chosen = static_cast<std::size_t>(choices.itemindex);

    json release =
        parsereply(geturl(membertext(results[chosen], "resource_url"), options), options);
    std::u16string newalbum = membertext(release, "title");
    std::u16string newartist = artist;
    for (const json& a : arraymember(release, "artists")) newartist = expand(a, u"%name%");
    artistrules(newartist);
    // The service gives 0 for a release of unknown year; that is no year.
    std::u16string newyear = membertext(release, "year");
    if (newyear == u"0" && release.at("year").is_number()) newyear.clear();

    auto& tracks = form6.ComboBox1.items;
    tracks.clear();
    for (const json& t : arraymember(release, "tracklist"))
        tracks.push_back(expand(t, u"%title% #%position%"));

    artist = std::move(newartist);
    album = std::move(newalbum);
    year = std::move(newyear);
    return true;
}

} // namespace lookup
