#include "trackmatch.h"

#include "platform.h"
#include "tform10.h"

namespace lookup {

namespace {

// The Soundex digit of a character; 0 for vowels and everything not coded.
int sounddigit(char16_t ch) {
    if (ch >= u'a' && ch <= u'z') ch = static_cast<char16_t>(ch - u'a' + u'A');
    if (ch < u'A' || ch > u'Z') return 0;
    //                                  ABCDEFGHIJKLMNOPQRSTUVWXYZ
    static constexpr char16_t digits[] = u"01230120022455012623010202";
    return digits[ch - u'A'] - u'0';
}

bool transparent(char16_t ch) {
    return ch == u'H' || ch == u'h' || ch == u'W' || ch == u'w';
}

void settrno(forms::listview& rows, std::size_t row, const std::u16string& line) {
    std::u16string& trno = rows.subitem(row, forms::coltrno);
    if (trno.empty()) trackpos(line, trno);
}

} // namespace

std::u16string soundex(const std::u16string& text) {
    if (text.empty()) return {};
    std::u16string code(1, text[0] >= u'a' && text[0] <= u'z'
                               ? static_cast<char16_t>(text[0] - u'a' + u'A')
                               : text[0]);
    int previous = sounddigit(text[0]);
    for (std::size_t i = 1; i < text.size() && code.size() < 4; ++i) {
        const int d = sounddigit(text[i]);
        if (d > 0 && d != previous) code.push_back(static_cast<char16_t>(u'0' + d));
        if (!transparent(text[i])) previous = d;
    }
    code.resize(4, u'0');
    return code;
}

void tracktitle(const std::u16string& line, std::u16string& title) {
    const std::size_t hash = line.find(u'#');
    title = hash == std::u16string::npos ? std::u16string() : line.substr(0, hash);
}

void trackpos(const std::u16string& line, std::u16string& position) {
    const std::size_t hash = line.find(u'#');
    position = hash == std::u16string::npos ? line : line.substr(hash + 1);
}

bool matchtitles(forms::listview& rows, const std::vector<std::u16string>& tracks) {
    std::vector<std::u16string> titles(tracks.size()), codes(tracks.size());
    for (std::size_t j = 0; j < tracks.size(); ++j) {
        tracktitle(tracks[j], titles[j]);
        codes[j] = soundex(titles[j]);
    }
    std::size_t matched = 0;
    for (std::size_t i = 0; i < rows.items.size(); ++i) {
        // A name in legacy bytes is compared as the text it stands for.
        const std::u16string code = soundex(platform::nametext(rows.items[i]));
        for (std::size_t j = 0; j < tracks.size(); ++j) {
            if (codes[j] != code) continue;
            rows.subitem(i, forms::coltitle) = titles[j];
            if (i < tracks.size()) settrno(rows, i, tracks[i]);
            ++matched;
            break;
        }
    }
    return matched == rows.items.size();
}

void fillbyorder(forms::listview& rows, const std::vector<std::u16string>& tracks) {
    for (std::size_t i = 0; i < rows.items.size() && i < tracks.size(); ++i) {
        tracktitle(tracks[i], rows.subitem(i, forms::coltitle));
        settrno(rows, i, tracks[i]);
    }
}

} // namespace lookup
