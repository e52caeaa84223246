// The ID3v2.3 tag the rewrite writes, built in memory.
#include "writer.h"

namespace id3v2 {

namespace {

// The 28 bits of a syncsafe size.
constexpr std::uint64_t maxtagsize = (std::uint64_t{1} << 28) - 1;

std::uint64_t textframesize(std::u16string_view value) {
    return value.empty() ? 0 : 10 + 3 + 2 * std::uint64_t{value.size()};
}

std::string frameheader(std::string_view id, std::uint64_t payload) {
    std::string h(id.substr(0, 4));
    h += be32str(static_cast<std::uint32_t>(payload));
    h.append(2, '\0');
    return h;
}

} // namespace

std::string toutf16le(std::u16string_view s) {
    std::string out;
    out.reserve(2 * s.size());
    for (char16_t c : s) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

std::string textframe(std::string_view id, std::u16string_view value) {
    std::string f = frameheader(id, 3 + 2 * std::uint64_t{value.size()});
    f.append("\x01\xFF\xFE", 3);
    f += toutf16le(value);
    return f;
}

std::string apicframe(std::string_view mime, std::string_view picture) {
    std::string f = frameheader("APIC", mime.size() + picture.size() + 4);
    f += '\0'; // encoding of the description
    f += mime;
    f += '\0';
    f += '\x03'; // front cover
    f += '\0';   // empty description
    f += picture;
    return f;
}

bool buildtag(const newtag& v, std::string_view kept, std::string& tag) {
    // No lone surrogate goes into a frame: other readers show nothing there.
    // The rest is tag text as it is; names became text where they were read.
    using platform::validutf16;
    const std::pair<std::string_view, std::u16string> texts[] = {
        {"TPE1", validutf16(v.artist)}, {"TIT2", validutf16(v.title)},
        {"TALB", validutf16(v.album)},  {"TYER", validutf16(v.year)},
        {"TRCK", validutf16(v.trno)},   {"TCON", validutf16(v.genre)},
        {"TCMP", validutf16(v.tcmp)}};
    std::uint64_t size = kept.size();
    for (const auto& [id, value] : texts) size += textframesize(value);
    if (!v.picture.empty()) size += 10 + v.mime.size() + v.picture.size() + 4;
    // A size the header cannot hold would make readers skip the wrong number
    // of bytes, and a later rewrite cut into the audio.
    if (size > maxtagsize) return false;
    tag.clear();
    tag.reserve(10 + size);
    tag.append("ID3\x03\x00\x00", 6);
    tag += int2syncsafe(static_cast<std::uint32_t>(size));
    for (const auto& [id, value] : texts)
        if (!value.empty()) tag += textframe(id, value);
    if (!v.picture.empty()) tag += apicframe(v.mime, v.picture);
    tag += kept;
    return true;
}

} // namespace id3v2
