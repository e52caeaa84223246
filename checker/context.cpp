#include "context.h"

#include "platform.h"

namespace checker {

context::context(forms::host& h, forms::TForm1& f)
    : host(h), form1(f), programfolder(platform::programdir()) {}

namespace {

void keepshown(context& c, std::int32_t row, const std::u16string& s, const std::u16string& shown) {
    if (shown == s)
        c.shownlines.erase(row);
    else
        c.shownlines.insert_or_assign(row, context::shownline{s, shown});
}

} // namespace

void addline(context& c, const std::u16string& s) {
    // A row of an earlier run may have left its shown text.
    if (!c.shownlines.empty()) c.shownlines.erase(linecount(c));
    c.form1.ListView1.items.push_back(s);
    c.host.repaint(c.form1);
}

void addline(context& c, const std::u16string& s, const std::u16string& shown) {
    keepshown(c, linecount(c), s, shown);
    c.form1.ListView1.items.push_back(s);
    c.host.repaint(c.form1);
}

void setline(context& c, std::int32_t row, const std::u16string& s, const std::u16string& shown) {
    auto& lines = c.form1.ListView1.items;
    if (row < 0 || row >= static_cast<std::int32_t>(lines.size())) return;
    keepshown(c, row, s, shown);
    lines[static_cast<std::size_t>(row)] = s;
}

const std::u16string& linetext(const context& c, std::int32_t row) {
    const std::u16string& line = c.form1.ListView1.items.at(static_cast<std::size_t>(row));
    const auto found = c.shownlines.find(row);
    return found != c.shownlines.end() && found->second.line == line ? found->second.shown : line;
}

std::int32_t linecount(const context& c) {
    return static_cast<std::int32_t>(c.form1.ListView1.items.size());
}

bool dirlisted(const context& c, std::u16string_view path) {
    return dirlisted(c.dirlist, path);
}

oplist* findop(context& c, std::int32_t index, bool& perform, bool& undo, opcodeset& opcode) {
    return findop(c.plannedops, index, perform, undo, opcode);
}

std::vector<oplist*> lineops(context& c, std::int32_t line) {
    return lineops(c.plannedops, line);
}

} // namespace checker
