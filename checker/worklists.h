// The checker's working records and their lists: the folders of a run
// (SList), the MP3 files of the folder being analysed (mp3data) and the
// proposed operations (oplist).
//
// Every list keeps its records in a std::forward_list whose front() is the
// head (the operation list wraps one, with an index by line). Records go in
// at the head only, so a walk from begin() meets them newest first: the
// processing order of the folders, the order in which Apply meets operations
// and every "first/last of equal values" tie-break over the tracks rest on
// that. A record never moves and stays at its address while its list lives,
// so pointers and references to records (curdir, findop's result) stay valid
// until the record is removed.
#pragma once

#include <cstdint>
#include <forward_list>
#include <ranges>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace checker {

// The kind of an operation; one byte. Unscoped so that both
// `checker::write_tag` and `opcodeset::write_tag` read naturally.
enum opcodeset : std::uint8_t {
    rename_dir = 0,
    write_tag = 1,
    rename_file = 2,
    backup_playlist = 3,
};

// One MP3 file of the folder being analysed, with its tag values as read.
// An empty text means absent.
struct mp3data {
    std::u16string filename; // name with extension, without the folder
    std::u16string artist;
    std::u16string album;
    std::u16string year;
    std::u16string title;
    std::u16string trno;  // may carry a total after a slash
    std::u16string tcon;  // genre text
    std::u16string tcomp; // compilation flag text
};

// One proposed operation.
struct oplist {
    opcodeset opcode = write_tag;
    bool perform = true; // switched on: Apply carries it out
    // write_tag, rename_dir: the folder's full path;
    // rename_file, backup_playlist: the file's full path.
    std::u16string pathname;
    // write_tag: the file's name within the folder; rename_dir: the new full
    // path (parent with its trailing "/", then the new name); rename_file,
    // backup_playlist: the file's new full path.
    std::u16string newname;
    // Values to write (write_tag only; empty for the other kinds).
    std::u16string artist;
    std::u16string title;
    std::u16string album;
    std::u16string year;
    std::u16string trno;        // used only when changetrno is set
    std::u16string genre;       // "-1" keeps the file's own genre
    std::u16string icmp;        // compilation flag; empty keeps the file's own
    std::int32_t listindex = 0; // 0-based index of the report line announcing it
    bool undo = false;          // superseded by a folder tag editor edit
    bool changetrno = false;    // the rewrite also sets the track number
};

// One folder of the run's folder list.
struct SList {
    std::u16string item; // the folder's full path as the walk formed it
};

// The operation list, newest first, with an index from a report line to the
// operations it announces kept beside it, so that a line's operations are
// found in constant time however long the run. Records come and go only
// through addop, delop and freeops, which keep the index; a record's
// listindex must not change once it is in the list.
class opchain {
public:
    using iterator = std::forward_list<oplist>::iterator;
    using const_iterator = std::forward_list<oplist>::const_iterator;

    opchain() = default;
    opchain(const opchain&) = delete;
    opchain& operator=(const opchain&) = delete;

    iterator begin() { return ops_.begin(); }
    iterator end() { return ops_.end(); }
    const_iterator begin() const { return ops_.begin(); }
    const_iterator end() const { return ops_.end(); }
    bool empty() const { return ops_.empty(); }
    oplist& front() { return ops_.front(); }
    const oplist& front() const { return ops_.front(); }

    oplist& push(oplist op);
    void pop();
    void clear();
    // The operations of a line, oldest first; null when it has none.
    const std::vector<oplist*>* line(std::int32_t index) const;

private:
    std::forward_list<oplist> ops_;
    std::unordered_map<std::int32_t, std::vector<oplist*>> lines_;
};

using dirchain = std::forward_list<SList>;
using trackchain = std::forward_list<mp3data>;

// The operation was planned for `folder`: a write_tag or rename_dir of the
// folder itself, a rename_file or backup_playlist of a file directly in it.
bool offolder(const oplist& op, std::u16string_view folder);
// The operations of `folder` at the head of the list, newest first, up to the
// first one of another folder. While a folder is checked its operations stand
// together there, so this is all of them, and a planner's look-up costs as
// much as the folder, not the run.
template <class chain>
auto folderops(chain& ops, std::u16string_view folder) {
    return std::views::take_while(ops, [folder](const oplist& op) { return offolder(op, folder); });
}

// Inserts a new operation (undo cleared) at the head and returns it.
oplist& addop(opchain& head, opcodeset opcode, bool perform, std::u16string pathname,
              std::u16string newname, std::u16string artist, std::u16string title,
              std::u16string album, std::u16string year, std::int32_t listindex, bool changetrno,
              std::u16string trno, std::u16string genre, std::u16string icmp);
// Removes the head record; nothing on an empty list.
void delop(opchain& head);
void freeops(opchain& head);

SList& adddir(dirchain& head, std::u16string item);
void deldir(dirchain& head);
void freedirs(dirchain& head);
// The text equals some record's item exactly (whole text, case-sensitive).
bool dirlisted(const dirchain& list, std::u16string_view path);

// Inserts a new track at the head and adds 1 to counter.
mp3data& addtrack(trackchain& head, int& counter, std::u16string filename, std::u16string artist,
                  std::u16string album, std::u16string year, std::u16string title,
                  std::u16string trno, std::u16string tcon, std::u16string tcomp);
void deltrack(trackchain& head);
void freetracks(trackchain& head);

// The first operation from the head whose listindex is `index` (the one
// planned last, which decides how its line is drawn), or null. perform is
// cleared first; undo and opcode are written only when one is found.
oplist* findop(opchain& ops, std::int32_t index, bool& perform, bool& undo, opcodeset& opcode);
// The same without the outputs.
oplist* findop(opchain& ops, std::int32_t index);
// Every operation whose listindex is `index`, newest first (the first is the
// one findop gives); empty when none.
std::vector<oplist*> lineops(opchain& ops, std::int32_t index);

} // namespace checker
