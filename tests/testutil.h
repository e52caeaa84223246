// Helpers that every test folder shares: a temporary folder on disk, whole
// files as bytes, and UTF-16 text that gtest can print.
#pragma once

#include <iconv.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "platform.h"

namespace testutil {

namespace fs = std::filesystem;

// A fresh folder below $TMPDIR, removed with everything in it at the end
// (write permission is given back first, so read-only leftovers go too).
class tempdir {
public:
    tempdir() {
        std::string tmpl = (fs::temp_directory_path() / "vorlinde-test-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
        path_ = tmpl;
    }
    ~tempdir() {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(path_, ec);
             it != fs::recursive_directory_iterator(); it.increment(ec))
            if (!it->is_symlink())
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    tempdir(const tempdir&) = delete;
    tempdir& operator=(const tempdir&) = delete;

    const fs::path& path() const { return path_; }
    // The folder as our UTF-16 path, without a trailing "/".
    std::u16string u16() const { return platform::fromnative(path_.string()); }
    // A child as our UTF-16 path.
    std::u16string u16(std::u16string_view child) const {
        return u16() + u"/" + std::u16string(child);
    }

private:
    fs::path path_;
};

inline void writefile(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + p.string());
}

// The whole file in one read (large files are read in tests under the
// sanitizers); empty when it cannot be read.
inline std::string readfile(const fs::path& p) {
    std::error_code ec;
    const auto size = fs::file_size(p, ec);
    std::string bytes(ec ? 0 : size, '\0');
    std::ifstream in(p, std::ios::binary);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

inline std::string u8(std::u16string_view s) {
    return platform::utf16to8(s);
}
inline std::u16string u16(std::string_view s) {
    return platform::utf8to16(s);
}

// A file name as a legacy system wrote it: the text in a single-byte code
// page (by iconv itself), as our path keeps those bytes.
inline std::u16string legacyname(std::string_view utf8, const char* codepage = "CP1251") {
    iconv_t cd = iconv_open(codepage, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no code page");
    std::string in(utf8), out(utf8.size(), '\0');
    char *ip = in.data(), *op = out.data();
    std::size_t il = in.size(), ol = out.size();
    const bool ok = iconv(cd, &ip, &il, &op, &ol) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!ok) throw std::runtime_error("not in the code page: " + in);
    out.resize(out.size() - ol);
    return platform::fromnative(out);
}

// Bytes as hexadecimal digits, two a byte: file names that are not UTF-8 go
// through JSON that way.
inline std::string hex(std::string_view bytes) {
    std::string h;
    for (unsigned char c : bytes) h += {"0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]};
    return h;
}

} // namespace testutil
