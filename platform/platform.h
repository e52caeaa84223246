// The operating system services the program needs, in one small layer.
//
// Rules kept everywhere:
// - Paths are UTF-16 with "/" as the separator. File names are bytes on Linux;
//   bytes that are not valid UTF-8 map to U+DC80..U+DCFF and back, so any name
//   survives reading, reporting and renaming unchanged.
// - Every call reports success or failure at once; a failing call leaves the
//   error number (errno) in lasterror(). Nothing throws.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// ---------------------------------------------------------------- text

// Lenient UTF-8 decoding for text read from tags or replies: every invalid
// byte becomes U+FFFD.
std::u16string utf8to16(std::string_view s);
// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string utf16to8(std::u16string_view s);

// Lossless conversions between native file names (bytes) and our paths.
std::u16string fromnative(std::string_view bytes);
std::string tonative(std::u16string_view path);

// Tag text as it is, but for a surrogate that is not half of a pair: U+FFFD.
std::u16string validutf16(std::u16string_view s);

// The ANSI code page for single-byte tag text: windows-1251 unless
// VORLINDE_CODEPAGE names another (codepageof; the program refuses to start
// with a value that names none, and this layer keeps windows-1251 then).
// One character per byte; characters the code page lacks become "?".
std::string toansi(std::u16string_view s);
std::u16string fromansi(std::string_view bytes);
char16_t fromansi(unsigned char byte);
// The text a file or folder name stands for, where it becomes tag text (a
// title, an album) or is shown. The bytes of a name that are not UTF-8 stay
// in the path as U+DC80..U+DCFF. A name that holds such a byte was written in
// the code page above: each run of non-ASCII units in it is read as bytes
// through the code page, even where those bytes by chance also form UTF-8
// (windows-1251 "Её" is the UTF-8 of U+0178), except a run that reads in
// UTF-8 as Cyrillic letters (U+0400..U+045F, U+0490, U+0491), the part of a
// name begun in UTF-8 and ended in the code page. A name without such a byte
// keeps its characters. In both, any other lone surrogate becomes U+FFFD and
// a control character (below U+0020) "?", as the tag reader reads them, so
// the text never holds either.
std::u16string nametext(std::u16string_view name);
// The iconv name of the code page `spelling` names: "1252", "cp1252",
// "CP1252", "windows-1252" give CP1252 or the spelling itself, and any name
// iconv knows ("KOI8-R") is taken. Empty unless it is a single-byte code page
// that reads ASCII as ASCII: a multi-byte or unknown one is refused.
std::string codepageof(std::string_view spelling);
// True, with the value, when VORLINDE_CODEPAGE is set to one codepageof refuses.
bool codepagerefused(std::string& value);
// The iconv name of the code page in use.
std::string codepagename();
// Forgets the cached code page tables, so that a changed VORLINDE_CODEPAGE
// takes effect (tests use it).
void resetcodepage();

// Length-preserving upper-casing: simple case mapping per code unit
// (Latin, Cyrillic, Greek ... fold; surrogates stay as they are).
char16_t upcase(char16_t c);
std::u16string upcase(std::u16string_view s);

// The order of a directory search: by name after upcase, code unit by code
// unit; names equal after upcase are ordered by their own code units.
bool namebefore(std::u16string_view a, std::u16string_view b);

// Case-insensitive wildcard match ("*" any run, "?" one character).
// "*.*" matches every name, with or without a dot.
bool matchpattern(std::u16string_view name, std::u16string_view pattern);
// False only when the native name `bytes`, converted, cannot match `pattern`;
// judged from the bytes ("*.mp3" against a name's last bytes), so a search
// converts only the names that may match.
bool maymatch(std::string_view bytes, std::u16string_view pattern);

// ---------------------------------------------------------------- search

enum attr : unsigned {
    attr_readonly = 1,
    attr_hidden = 2,
    attr_folder = 16,
    attr_link = 64,
    attr_any = 0xff,
};

// The identity of a file or folder on the disk: equal ids name the same
// object, whatever path (link, bind mount) reaches it. A link counts as what
// it leads to.
struct fileid {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend auto operator<=>(const fileid&, const fileid&) = default;
};

struct direntry {
    std::u16string name; // the name only, without the folder
    bool folder = false; // a folder, or a link that leads to one
    bool hidden = false; // the name begins with "."
    bool readonly = false;
    bool link = false;
    std::int64_t size = 0;
    fileid id; // as getfileid gives it; zero where getfileid fails
};

// Searches a folder: `pattern` is the folder's path, "/", and a name pattern
// ("/music/A/*.mp3"). Entries come in the fixed order of namebefore; "." and
// ".." are never returned. `mask` works as the classic attribute mask:
// entries with the folder or hidden attribute are returned only when the
// mask holds it; attr_any returns everything. False, with lasterror(), when
// the folder cannot be read.
bool search(std::u16string_view pattern, std::vector<direntry>& out, unsigned mask = attr_any);
// The folders search finds with attr_any, links that lead to one included;
// files are not examined at all.
bool searchfolders(std::u16string_view pattern, std::vector<direntry>& out);

// ---------------------------------------------------------------- files

struct filetime {
    std::int64_t sec = 0;
    std::int64_t nsec = 0;
    friend bool operator==(const filetime&, const filetime&) = default;
};

enum class openmode {
    read,      // read only; others may read and write
    readwrite, // read and write an existing file; others may read and write
    create,    // create or truncate for writing
    // Create a new file for reading and writing. Fails (EEXIST) when anything
    // stands under the name, a link too, even one that leads nowhere: what
    // another program keeps there is never opened.
    createnew,
};

class file {
public:
    file() = default;
    ~file();
    file(const file&) = delete;
    file& operator=(const file&) = delete;
    file(file&& other) noexcept;
    file& operator=(file&& other) noexcept;

    bool open(std::u16string_view path, openmode mode);
    bool isopen() const { return fd_ >= 0; }
    // Reads up to n bytes; fewer only at the end of the file. -1 on failure.
    std::int64_t read(void* buf, std::size_t n);
    // Writes all n bytes or fails.
    bool write(const void* buf, std::size_t n);
    bool seek(std::int64_t pos); // from the start of the file
    std::int64_t size();         // -1 on failure
    bool sync();                 // to the disk
    bool gettime(filetime& t);
    bool settime(const filetime& t);
    bool getmode(unsigned& mode); // permission bits
    bool setmode(unsigned mode);
    bool close();
    bool getid(fileid& id); // as getfileid gives it for the path
    // Whether the name `path` itself, a link not followed, leads to this open
    // file (false also when it leads nowhere). Between this and a rename of
    // the name, another program may still take the name.
    bool isnamed(std::u16string_view path);
    int handle() const { return fd_; }

private:
    int fd_ = -1;
};

// The error number of the last failing call of this layer (0 after none).
int lasterror();

// For tests of write errors: the nth file::write of this thread from now on
// (1: the next one) writes nothing and fails with `error`; the writes before
// and after it work. 0 turns it off.
void failwrite(int nth, int error);

bool exists(std::u16string_view path);
bool isfolder(std::u16string_view path);
bool deletefile(std::u16string_view path);
// Renames a file or a folder; never replaces an existing target. Returns 0,
// or the error number (EEXIST when the target exists, ENOENT when the source
// is missing). Works where the file system refuses RENAME_NOREPLACE and hard
// links (exFAT or FAT, through FUSE or not), and where it ignores case: a
// target that differs from the source only in case reaches the source
// itself, and the rename gives the name its new spelling.
int renamepath(std::u16string_view from, std::u16string_view to);

// For tests of renamepath on file systems unlike ext4, in this thread.
struct renamequirks {
    // renameat2 refuses RENAME_NOREPLACE (EINVAL) and link fails (EPERM),
    // also where the target exists, which leaves that check to renamepath.
    bool noflag = false;
    // A name that no entry of its folder has reaches the entry that equals it
    // after upcase, as a lookup does where names compare without case.
    bool nocase = false;
};
void setrenamequirks(renamequirks quirks);
// Puts `from` in the place of the existing file `to` in one atomic step.
// Returns 0 or the error number.
int replacefile(std::u16string_view from, std::u16string_view to);
// Read only: the owner lacks write permission.
bool getreadonly(std::u16string_view path, bool& readonly);
bool setreadonly(std::u16string_view path, bool readonly);
bool getmode(std::u16string_view path, unsigned& mode);
bool setmode(std::u16string_view path, unsigned mode);
bool getfiletime(std::u16string_view path, filetime& t);
bool setfiletime(std::u16string_view path, const filetime& t);
// Flushes a folder's entries (a rename inside it) to the disk.
bool syncfolder(std::u16string_view path);

// The id of what the path names (fileid above).
bool getfileid(std::u16string_view path, fileid& id);
// The absolute path with every link, "." and ".." resolved. False when the
// path (or a link on it) leads nowhere.
bool resolvepath(std::u16string_view path, std::u16string& resolved);

// ---------------------------------------------------------------- system

// The folder of the running executable, with a trailing "/".
std::u16string programdir();
// An environment variable, empty when unset.
std::u16string getenv(const char* name);

struct date {
    int year = 0;
    int month = 0;
    int day = 0;
};
date today(); // local date

// The high-resolution counter (nanoseconds of a monotonic clock) and the
// millisecond tick count (wraps as a 32-bit number).
std::uint64_t perfcounter();
std::uint32_t tickcount();

} // namespace platform
