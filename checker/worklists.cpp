#include "worklists.h"

#include <algorithm>

namespace checker {

oplist& opchain::push(oplist op) {
    oplist& added = ops_.emplace_front(std::move(op));
    lines_[added.listindex].push_back(&added);
    return added;
}

void opchain::pop() {
    if (ops_.empty()) return;
    // The head is the newest operation of its line: the last one indexed.
    const auto line = lines_.find(ops_.front().listindex);
    line->second.pop_back();
    if (line->second.empty()) lines_.erase(line);
    ops_.pop_front();
}

void opchain::clear() {
    lines_.clear();
    ops_.clear();
}

const std::vector<oplist*>* opchain::line(std::int32_t index) const {
    const auto found = lines_.find(index);
    return found == lines_.end() ? nullptr : &found->second;
}

bool offolder(const oplist& op, std::u16string_view folder) {
    const std::u16string_view p = op.pathname;
    if (op.opcode == write_tag || op.opcode == rename_dir) return p == folder;
    return p.size() > folder.size() + 1 && p.starts_with(folder) && p[folder.size()] == u'/' &&
           p.find(u'/', folder.size() + 1) == std::u16string_view::npos;
}

oplist& addop(opchain& head, opcodeset opcode, bool perform, std::u16string pathname,
              std::u16string newname, std::u16string artist, std::u16string title,
              std::u16string album, std::u16string year, std::int32_t listindex, bool changetrno,
              std::u16string trno, std::u16string genre, std::u16string icmp) {
    return head.push(oplist{.opcode = opcode,
                            .perform = perform,
                            .pathname = std::move(pathname),
                            .newname = std::move(newname),
                            .artist = std::move(artist),
                            .title = std::move(title),
                            .album = std::move(album),
                            .year = std::move(year),
                            .trno = std::move(trno),
                            .genre = std::move(genre),
                            .icmp = std::move(icmp),
                            .listindex = listindex,
                            .undo = false,
                            .changetrno = changetrno});
}

void delop(opchain& head) {
    head.pop();
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
    const std::vector<oplist*>* line = ops.line(index);
    return line ? line->back() : nullptr;
}

std::vector<oplist*> lineops(opchain& ops, std::int32_t index) {
    const std::vector<oplist*>* line = ops.line(index);
    return line ? std::vector<oplist*>(line->rbegin(), line->rend()) : std::vector<oplist*>();
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
