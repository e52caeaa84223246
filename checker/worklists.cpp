#include "worklists.h"

#include <algorithm>

namespace checker {

oplist& addop(opchain& head, opcodeset opcode, bool perform, std::u16string pathname,
              std::u16string newname, std::u16string artist, std::u16string title,
              std::u16string album, std::u16string year, std::int32_t listindex, bool changetrno,
              std::u16string trno, std::u16string genre, std::u16string icmp) {
    oplist& op = head.emplace_front();
    op.opcode = opcode;
    op.perform = perform;
    op.pathname = std::move(pathname);
    op.newname = std::move(newname);
    op.artist = std::move(artist);
    op.title = std::move(title);
    op.album = std::move(album);
    op.year = std::move(year);
    op.listindex = listindex;
    op.changetrno = changetrno;
    op.trno = std::move(trno);
    op.genre = std::move(genre);
    op.icmp = std::move(icmp);
    op.undo = false;
    return op;
}

void delop(opchain& head) {
    if (!head.empty()) head.pop_front();
}

void freeops(opchain& head) {
    head.clear();
}

SList& adddir(dirchain& head, std::u16string item) {
    return head.emplace_front(SList{std::move(item)});
}

void deldir(dirchain& head) {
    if (!head.empty()) head.pop_front();
}

void freedirs(dirchain& head) {
    head.clear();
}

bool dirlisted(const dirchain& list, std::u16string_view path) {
    return std::any_of(list.begin(), list.end(), [&](const SList& d) { return d.item == path; });
}

mp3data& addtrack(trackchain& head, int& counter, std::u16string filename, std::u16string artist,
                  std::u16string album, std::u16string year, std::u16string title,
                  std::u16string trno, std::u16string tcon, std::u16string tcomp) {
    mp3data& t = head.emplace_front(mp3data{std::move(filename), std::move(artist),
                                            std::move(album), std::move(year), std::move(title),
                                            std::move(trno), std::move(tcon), std::move(tcomp)});
    ++counter;
    return t;
}

void deltrack(trackchain& head) {
    if (!head.empty()) head.pop_front();
}

void freetracks(trackchain& head) {
    head.clear();
}

oplist* findop(opchain& ops, std::int32_t index) {
    for (oplist& op : ops)
        if (op.listindex == index) return &op;
    return nullptr;
}

oplist* findop(opchain& ops, std::int32_t index, bool& perform, bool& undo, opcodeset& opcode) {
    perform = false;
    oplist* op = findop(ops, index);
    if (op) {
        perform = op->perform;
        undo = op->undo;
        opcode = op->opcode;
    }
    return op;
}

} // namespace checker
