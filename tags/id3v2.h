// The tag library: reads the ID3v2 (2.2, 2.3, 2.4) and ID3v1 tags of one MP3
// file into seven texts, and keeps in its module state what a rewrite of the
// file's tag needs. One file at a time; not re-entrant.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace id3v2 {

// Reads the tags of the file at `path`. The texts come back empty when not
// found. `haspicture`: the ID3v2 tag holds a picture frame. `keepall`: also
// keep the first picture's bytes in `picdata`. Never throws; a file that
// cannot be opened leaves everything empty.
void readtags(const std::u16string& path, std::u16string& artist, std::u16string& title,
              std::u16string& album, std::u16string& year, std::u16string& trno,
              std::u16string& genre, std::u16string& tcmp, bool& haspicture, bool keepall);

// ---------------------------------------------------------------- module state
// Every readtags call overwrites all of it.

// The first picture's bytes; only with keepall. None when no picture was
// taken; the rewrite resets it once it has used it.
extern std::optional<std::string> picdata;
extern std::int32_t piclen; // bytes in picdata, 0 when none
extern std::string picmime; // MIME type of the picture taken
// The frames carried over, as ready-made ID3v2.3 frames: ID (4 bytes),
// big-endian data size (4), flags 00 00, the data.
extern std::string keptframes;
extern std::string v1tail;     // the last 31 bytes of the ID3v1 tag, or empty
extern bool hasid3v2;          // the file begins with "ID3"
extern std::int32_t tagsize;   // the declared size of that tag, without its header
extern bool isv24;             // its major version is 4
extern std::string tagbuf;     // the tag while its frames are walked
extern std::int32_t tagpos;    // the walk's position in tagbuf
extern std::string workbuf;    // scratch copy of one frame's data
extern char frameid[5];        // the frame being handled, zero-terminated
extern std::int32_t framesize; // and the size its header declares

// ---------------------------------------------------------------- sizes

// Four bytes as a syncsafe number, each byte taken whole (not masked).
std::int32_t syncsafe2int(const unsigned char* b);
// The same with every byte masked to 7 bits (ID3v2.2 tag size).
std::int32_t syncsafe2int22(const unsigned char* b);
// Four bytes big-endian; the top bit is the caller's to judge.
std::uint32_t be2int(const unsigned char* b);
// Three bytes big-endian (ID3v2.2 frame size).
std::int32_t be2int22(const unsigned char* b);
// A number as four bytes, most significant first.
std::string be32str(std::uint32_t v);
// A number as a four-byte syncsafe size (bits above the 28th dropped).
std::string int2syncsafe(std::uint32_t v);

// ---------------------------------------------------------------- text

// Keeps what stands before the first character below U+0020, then removes
// trailing blanks.
void trimtagfield(std::u16string& s);
// Decimal text with an optional sign, leading blanks allowed, within 32 bits.
// False for any other text.
bool strtoint(std::u16string_view s, std::int32_t& value);

// ---------------------------------------------------------------- unsynchronisation

// FF 00 followed by 00 or E0..FF loses its zero byte.
// On the first n bytes of workbuf; n becomes the new length.
void unsyncframe(std::int32_t& n);
// On the body of tagbuf (after its 10-byte header); tagbuf shrinks.
void unsynctag();

// ---------------------------------------------------------------- ID3v1

// The ID3v1 texts of a file (artist before title, as callers expect) and its
// last 31 bytes. All empty when the file has no ID3v1 tag.
void readid3v1(const std::u16string& path, std::u16string& artist, std::u16string& title,
               std::u16string& album, std::u16string& year, std::string& tail31);
// Lets the file's ID3v1 tag fill what is still empty, checks the year and
// trims the four main values; sets v1tail.
void mergeid3v1(const std::u16string& path, std::u16string& artist, std::u16string& title,
                std::u16string& album, std::u16string& year, std::u16string& trno,
                std::u16string& genre);

// ---------------------------------------------------------------- writing

// Gives the file at `path` new tags: an ID3v2.3 tag of UTF-16 text frames,
// the picture and the frames carried over, without padding, followed by the
// audio behind the old tag, then an ID3v1.1 tag. Empty artist, title, album
// or year remove their frame; genre "-1" keeps the stored one; with
// `changetrno` false the stored track number stays; an empty `tcmp` keeps
// the stored flag; an empty `picture` keeps the stored first picture
// (`picsize` is not used: the picture is all of `picture`, its type `mime`).
//
// The new file is written completely beside the old one (`path` with
// "$delme.$$$" appended), flushed to the disk with the old file's last-write
// time and permissions (made writable), and then takes the old file's place
// in one atomic step: the path always holds either the whole old file or the
// whole new one. False, with the old file untouched and the temporary file
// it made removed, when anything fails; only a killed rewrite leaves one,
// which the next rewrite of the file replaces. Not re-entrant: a call made
// while a rewrite runs (from a window message it lets through) returns false.
bool rewritetag(const std::u16string& path, const std::u16string& artist,
                const std::u16string& title, const std::u16string& album,
                const std::u16string& year, const std::u16string& genre, bool changetrno,
                const std::u16string& trno, const std::u16string& tcmp, const std::string& picture,
                int picsize, const std::string& mime);

// Overwrites the ID3v1 tag in the last 128 bytes of the file, or appends
// one: title, artist, album and year from the values, the rest from v1tail;
// the track byte from `trno` when `changetrno`, the genre byte 0 when
// `genrechanged` and v1tail is not empty. Keeps the last-write time. True
// also when the file is 128 bytes or shorter (nothing written then).
bool writeid3v1(const std::u16string& path, const std::u16string& artist,
                const std::u16string& title, const std::u16string& album,
                const std::u16string& year, bool changetrno, const std::u16string& trno,
                bool genrechanged);

// A text as its UTF-16 code units, low byte first.
std::string toutf16le(std::u16string_view s);

} // namespace id3v2
