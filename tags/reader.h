// What the tag readers share inside the library: frame decoders, the picture
// readers, the ID3v2.2 and ID3v1 readers that work on the open file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "id3v2.h"
#include "platform.h"

namespace id3v2 {

// The outputs of one readtags call, handed to the readers it calls.
struct tagvalues {
    std::u16string& artist;
    std::u16string& title;
    std::u16string& album;
    std::u16string& year;
    std::u16string& trno;
    std::u16string& genre;
    std::u16string& tcmp;
    bool& haspicture;
    bool keepall;
};

// ---------------------------------------------------------------- text frames

// A text frame's data (encoding byte first) as one text.
std::u16string readtextframe(std::string_view data);
// The two-byte branch: byte-order mark or little-endian, up to a 0000 unit.
std::u16string readutf16(std::string_view data);
// A carried frame's data, unchanged.
std::string readrawframe(std::string_view data);

// The field rules of the frame tables.
// First frame wins: taken only while the field is still empty.
void takefirst(std::u16string& field, std::u16string text);
// Last frame wins: trimmed, then cleared unless its first character lies in lo..hi.
void takelast(std::u16string& field, std::u16string text, char16_t lo, char16_t hi);
inline constexpr char16_t trnolow = u' ', trnohigh = u'9';        // TRCK, TCMP
inline constexpr char16_t genrelow = u'(', genrehigh = u'\u044f'; // TCON

// Appends one frame in the stored form of keptframes.
void storeframe(std::string& kept, std::string_view id, std::string_view data);

// ---------------------------------------------------------------- pictures

// Reads an APIC frame's data (already freed of ID3v2.4 prefix bytes and
// unsynchronisation). True when it became the picture; false when picture
// bytes were already held, so the caller carries the frame.
bool readapic(std::string_view data, bool keepall);
// The same for an ID3v2.2 PIC frame.
bool readpic(std::string_view data, bool keepall);
// Undoes unsynchronisation of n bytes in place; returns the new length.
std::size_t unsyncbytes(char* p, std::size_t n);

// ---------------------------------------------------------------- readers on the open file

// Reads the tag whose 10-byte header stands in `header` into tagbuf: as much
// of the declared extent as the file holds, never more. False when a read
// fails.
bool readtagbuf(platform::file& f, std::int64_t filesize, const unsigned char* header,
                std::int64_t declared);
// Frame headers of zero bytes (padding) are empty frames that no rule takes;
// returns the position of the first header at or after pos, in steps of
// `header` bytes, that holds a byte other than zero.
std::size_t skippadding(std::size_t pos, std::size_t header);
// The ID3v2.2 tag of the file; `header` holds its first 10 bytes.
void readid3v22(platform::file& f, std::int64_t filesize, const unsigned char* header,
                tagvalues& out);
// The ID3v2.3/2.4 tag of the file.
void readid3v23(platform::file& f, std::int64_t filesize, const unsigned char* header,
                tagvalues& out);
void readid3v1(platform::file& f, std::u16string& artist, std::u16string& title,
               std::u16string& album, std::u16string& year, std::string& tail31);
void mergeid3v1(platform::file& f, tagvalues& out);

} // namespace id3v2
