// Picture frames (APIC, and PIC of ID3v2.2) and undoing unsynchronisation.
#include <cctype>

#include "reader.h"

namespace id3v2 {

namespace {

std::string upper(std::string_view s) {
    std::string u(s);
    for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

// The short forms some writers put in place of a MIME type.
std::string mimeofformat(std::string_view format) {
    const std::string f = upper(format);
    if (f == "JPG") return "image/jpeg";
    if (f == "PNG") return "image/png";
    if (f == "GIF") return "image/gif";
    if (f == "BMP") return "image/bmp";
    return {};
}

// Where the picture bytes start: after the description that starts at `i`.
// Two-byte text ends with a 00 00 pair, single-byte text with one zero. A
// description without its terminator runs to the end of the frame.
std::size_t skipdescription(std::string_view d, std::size_t i, unsigned char encoding) {
    if (encoding == 1 || encoding == 2) {
        for (; i + 1 < d.size(); i += 2)
            if (d[i] == 0 && d[i + 1] == 0) return i + 2;
        return d.size();
    }
    for (; i < d.size(); ++i)
        if (d[i] == 0) return i + 1;
    return d.size();
}

// Keeps the bytes from `start` as the picture, when there are any.
void keeppicture(std::string_view d, std::size_t start, bool keepall) {
    if (!keepall || start >= d.size()) return;
    picdata.emplace(d.substr(start));
    piclen = static_cast<std::int32_t>(picdata->size());
}

} // namespace

bool readapic(std::string_view d, bool keepall) {
    if (picdata) return false;
    const unsigned char encoding = d.empty() ? 0 : static_cast<unsigned char>(d[0]);
    std::size_t i = d.empty() ? 0 : 1;
    const std::size_t mimeend = std::min(d.find('\0', i), d.size());
    picmime = std::string(d.substr(i, mimeend - i));
    if (std::string mime = mimeofformat(picmime); !mime.empty()) picmime = std::move(mime);
    // The picture type byte, then the description.
    keeppicture(d, skipdescription(d, mimeend + 2, encoding), keepall);
    return true;
}

bool readpic(std::string_view d, bool keepall) {
    if (picdata) return false;
    const unsigned char encoding = d.empty() ? 0 : static_cast<unsigned char>(d[0]);
    picmime = mimeofformat(d.substr(std::min<std::size_t>(1, d.size()), 3));
    keeppicture(d, skipdescription(d, 5, encoding), keepall);
    return true;
}

std::size_t unsyncbytes(char* p, std::size_t n) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    std::size_t in = 0, out = 0;
    while (in < n) {
        const bool stuffed =
            in + 2 < n && u[in] == 0xFF && u[in + 1] == 0 && (u[in + 2] == 0 || u[in + 2] >= 0xE0);
        p[out++] = p[in];
        // The byte after a dropped zero may itself be an FF that starts the
        // next pair (FF FF was written as FF 00 FF 00), so it is looked at again.
        in += stuffed ? 2 : 1;
    }
    return out;
}

void unsyncframe(std::int32_t& n) {
    if (n <= 0) return;
    const std::size_t len = std::min(static_cast<std::size_t>(n), workbuf.size());
    n = static_cast<std::int32_t>(unsyncbytes(workbuf.data(), len));
}

void unsynctag() {
    if (tagbuf.size() <= 10) return;
    tagbuf.resize(10 + unsyncbytes(tagbuf.data() + 10, tagbuf.size() - 10));
}

} // namespace id3v2
