#include "fieldvarunit.h"

namespace checker {

void addfield(fieldvarsptr& head, std::u16string s) {
    head.push_front(fieldvars{std::move(s), 1});
}

void popfield(fieldvarsptr& head) {
    if (!head.empty()) head.pop_front();
}

void clearfields(fieldvarsptr& head) {
    head.clear();
}

void countfield(const std::u16string& s, fieldvarsptr& head) {
    if (s.empty()) return;
    for (fieldvars& v : head)
        if (v.field == s) {
            ++v.count;
            return;
        }
    addfield(head, s);
}

void countpair(const std::u16string& s1, const std::u16string& s2, fieldvarsptr& head1,
               fieldvarsptr& head2) {
    countfield(s1, head1);
    countfield(s2, head2);
}

std::u16string topfield(const fieldvarsptr& head) {
    const fieldvars* best = nullptr;
    for (const fieldvars& v : head)
        if (!best || v.count > best->count) best = &v;
    return best ? best->field : std::u16string();
}

} // namespace checker
