// The settings record and its file.
//
// cfgrec mirrors the 2,328-byte record of "brellian_gui.cnf" field by field;
// packcfg/unpackcfg convert it explicitly to and from the little-endian bytes
// of the file (no reliance on struct layout). Boolean fields are kept as raw
// bytes (on when non-zero), so a record read from a valid file is written back
// byte for byte. A value-initialised cfgrec is the all-zero record that the
// "-SC" switch leaves in force.
//
// The record in use lives in context::cfg together with progdir, vaname,
// cfgloading and the bound file (see context.h). The checker reads its
// switches from there, except keepdirnames and skipcompilations, which it
// reads from the main window's CheckBox3 and CheckBox2 that mirror them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace checker {

struct context;

inline constexpr std::size_t cfgsize = 2328;
inline constexpr std::int64_t cfgformat = 9800;
inline constexpr std::size_t rootdirunits = 1024;
inline constexpr char16_t cfgfilename[] = u"brellian_gui.cnf";

// Byte offsets in the file.
namespace cfgoffset {
inline constexpr std::size_t cfgversion = 0;
inline constexpr std::size_t silentfix = 8;
inline constexpr std::size_t titlesfromnames = 9;
inline constexpr std::size_t skipcompilations = 10;
inline constexpr std::size_t keepdirnames = 11;
inline constexpr std::size_t samegenre = 12;
inline constexpr std::size_t bkpplaylists = 13;
inline constexpr std::size_t numbering = 14;
inline constexpr std::size_t compname = 15;
inline constexpr std::size_t reserved1 = 271;
inline constexpr std::size_t rootdir = 272;
inline constexpr std::size_t itunesflag = 2320;
inline constexpr std::size_t sortorder = 2321;
inline constexpr std::size_t reserved2 = 2322;
} // namespace cfgoffset

struct cfgrec {
    std::int64_t cfgversion = 0; // 9800 in a valid file
    std::uint8_t silentfix = 0;  // fix incomplete, agreeing tags without asking
    std::uint8_t titlesfromnames = 0;
    std::uint8_t skipcompilations = 0;
    std::uint8_t keepdirnames = 0;
    std::uint8_t samegenre = 0;
    std::uint8_t bkpplaylists = 0;
    std::uint8_t numbering = 0;
    // A length byte and up to 255 bytes of ANSI (windows-1251) text.
    std::array<std::uint8_t, 256> compname{};
    std::uint8_t reserved1 = 0;
    // UTF-16 units, followed by a zero unit when the text is shorter.
    std::array<char16_t, rootdirunits> rootdir{};
    std::uint8_t itunesflag = 0;
    std::uint8_t sortorder = 0; // 1 album, 2 artist, 3 file name, 4 random, 5 title, 6 unchanged
    std::array<std::uint8_t, 6> reserved2{};

    friend bool operator==(const cfgrec&, const cfgrec&) = default;
};

using cfgbytes = std::array<std::uint8_t, cfgsize>;

cfgbytes packcfg(const cfgrec& rec);
cfgrec unpackcfg(const cfgbytes& bytes);

// rec := the defaults (the root folder is the program's folder); also sets
// context::progdir from context::programfolder and vaname to "VA".
void defaultcfg(context& c, cfgrec& rec);

// Loads the settings at start-up: honours "-SC" as the first argument
// (any case: nothing is read or written for the rest of the run), replaces a
// missing, short, long or foreign file with the defaults, resets a file whose
// silentfix byte is 0, sets the main window's CheckBox3 and CheckBox2 from a
// valid file, and always writes the file back. Nothing is reported.
void loadcfg(context& c);

// Writes context::cfg as the whole settings file, created anew. Does nothing
// while no file is bound ("-SC", or before loadcfg). False on any failure,
// which callers do not report.
bool savecfg(context& c);

// Stores text into a rootdir-shaped field: its units, then a zero unit when
// shorter than the field; the units after it are cleared. A text longer than
// the field is refused (false, field unchanged): a cut path would name a
// different folder.
bool strtobuf(std::array<char16_t, rootdirunits>& field, std::u16string_view text);

// The root folder: the units up to the first zero unit (all of them when
// there is none).
std::u16string rootdirtext(const cfgrec& rec);
// The compilation name converted from the ANSI code page.
std::u16string compnametext(const cfgrec& rec);
// Stores a compilation name: converted to the ANSI code page, cut to 255
// bytes; the rest of the field is cleared.
void setcompname(cfgrec& rec, std::u16string_view name);

} // namespace checker
