// The program-wide state of the folder checker, held in one object that app/
// (or a test) creates and hands to every checker function as its first
// argument: the host and the main window it reports into, the settings, the
// work lists, the tallies of the current folder and the run state.
//
// Later steps add their own state here (the run dialogs TForm2/TForm3, the
// per-folder decision values) rather than keeping globals.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "fieldvarunit.h"
#include "host.h"
#include "settings.h"
#include "tform1.h"
#include "worklists.h"

namespace forms {
class TForm2;
class TForm3;
class TForm4;
} // namespace forms

namespace checker {

struct context {
    // programfolder starts as platform::programdir().
    context(forms::host& h, forms::TForm1& f);
    context(const context&) = delete;
    context& operator=(const context&) = delete;

    forms::host& host;
    forms::TForm1& form1; // its ListView1.items are the report lines

    // ---- what the report shows of a line that holds names (addline): its
    // text with each name read as text, kept beside the line as written,
    // which keeps the names' bytes (a folder-path line is the folder's path;
    // the colour rules and the review read the written text).
    struct shownline {
        std::u16string line; // the written text it was made for
        std::u16string shown;
    };
    std::unordered_map<std::int32_t, shownline> shownlines;

    // ---- settings (loadcfg, savecfg)
    cfgrec cfg{}; // all zero until loadcfg, and for good with "-SC"
    // Command-line arguments after the program's name; only the first is read.
    std::vector<std::u16string> args;
    // Where the program lives and so where the settings file goes; tests point
    // it at a tempdir before loadcfg.
    std::u16string programfolder;
    std::u16string progdir;  // programfolder with a trailing "/"; empty with "-SC"
    std::u16string vaname;   // the official-compilation name
    std::u16string cfgfile;  // the bound settings file; empty: saves do nothing
    bool cfgloading = false; // loadcfg runs (for good with "-SC")

    // ---- work lists (worklists.h)
    opchain plannedops; // every operation of the last run, newest first
    dirchain dirlist;   // the folders of the current run, root at the tail
    trackchain tracks;  // the MP3 files of the folder being analysed
    int trackcount = 0;
    fieldvarsptr artistvars; // the artists of the current folder
    fieldvarsptr albumvars;  // its albums

    // ---- run state of the folder being processed
    SList* curdir = nullptr;
    std::u16string tagartist, tagtitle, tagalbum, tagyear, tagtrno; // the file being read
    std::u16string dirartist, diralbum, diryear;
    bool artistfound = false; // a non-empty artist was met in this folder
    bool albumfound = false;
    bool yearfound = false;
    bool keepname = false; // the folder keeps its name
    int problemcount = 0;  // tracks with missing or differing artist, album or title
    bool onlytitles = false;
    bool tagsincomplete = false;
    bool itunesplanned = false;
    bool dirok = false; // nothing found yet: the folder ends with " -- Ok"
    bool skip = false;  // the user skipped this folder
    bool stop = false;  // the user stopped the run

    // ---- the run's dialogs, created once by app/ (or a test) and set before
    // a run: the missing-data and rename-confirmation dialog, the unify dialog
    forms::TForm2* form2 = nullptr;
    forms::TForm3* form3 = nullptr;

    // ---- the progress window of the batch of tag writes under way (Apply),
    // which creates it anew; null while none is open
    forms::TForm4* form4 = nullptr;

    // ---- per-folder decisions
    bool compilation = false;             // the analysis found an official compilation
    bool accepted = false;                // "Да" in the unify dialog
    bool declined = false;                // "Нет" in the unify dialog
    std::u16string nameartist, namealbum; // parsed from the folder's name
    std::u16string yearsuffix;            // empty, or " (" + year + ")"
    std::u16string proposedname;          // asked about in the rename confirmation
    std::u16string newdirname;            // the final proposed folder name
};

// Appends one report line (an empty text gives an empty separator line) and
// has the host repaint the main window at once, handling no input. Lines are
// only appended, so a line's index stays valid until the list is cleared.
void addline(context& c, const std::u16string& s);
// The same for a line that holds names: `shown` is the line as the user reads
// it, its names as text (platform::nametext, checker::pathtext), while the
// line keeps `s` with the names' bytes.
void addline(context& c, const std::u16string& s, const std::u16string& shown);
// Line `row` written anew (an edited rename), with its shown text.
void setline(context& c, std::int32_t row, const std::u16string& s, const std::u16string& shown);
// The text the report shows for line `row`: its shown text while the line is
// still what it was made for, else the line itself.
const std::u16string& linetext(const context& c, std::int32_t row);
// The number of report lines: the index the next line will get.
std::int32_t linecount(const context& c);

// The path is one of the run's folders (exact, whole text).
bool dirlisted(const context& c, std::u16string_view path);
// findop over plannedops (see worklists.h).
oplist* findop(context& c, std::int32_t index, bool& perform, bool& undo, opcodeset& opcode);
// The operations announced by report line `line`, newest first (the first is
// the one findop gives); empty when none. Constant time in the size of the
// run: the operation list keeps an index by line.
std::vector<oplist*> lineops(context& c, std::int32_t line);

} // namespace checker
