#include "context.h"

#include "platform.h"

namespace checker {

context::context(forms::host& h, forms::TForm1& f)
    : host(h), form1(f), programfolder(platform::programdir()) {}

void addline(context& c, const std::u16string& s) {
    c.form1.ListView1.items.push_back(s);
    c.host.repaint(c.form1);
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
    std::vector<oplist*> ops;
    for (oplist& op : c.plannedops)
        if (op.listindex == line) ops.push_back(&op);
    return ops;
}

} // namespace checker
