#include "settings.h"

#include <algorithm>

#include "context.h"
#include "platform.h"

namespace checker {

namespace {

void put64(cfgbytes& b, std::size_t at, std::int64_t v) {
    const auto u = static_cast<std::uint64_t>(v);
    for (std::size_t i = 0; i < 8; ++i) b[at + i] = static_cast<std::uint8_t>(u >> (8 * i));
}

std::int64_t get64(const cfgbytes& b, std::size_t at) {
    std::uint64_t u = 0;
    for (std::size_t i = 0; i < 8; ++i) u |= static_cast<std::uint64_t>(b[at + i]) << (8 * i);
    return static_cast<std::int64_t>(u);
}

bool asciiequal(std::u16string_view s, std::u16string_view upper) {
    if (s.size() != upper.size()) return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char16_t ch = s[i];
        if (ch >= u'a' && ch <= u'z') ch = static_cast<char16_t>(ch - u'a' + u'A');
        if (ch != upper[i]) return false;
    }
    return true;
}

bool writecfgfile(const std::u16string& path, const cfgrec& rec) {
    platform::file f;
    if (!f.open(path, platform::openmode::create)) return false;
    const cfgbytes bytes = packcfg(rec);
    const bool written = f.write(bytes.data(), bytes.size());
    const bool closed = f.close();
    return written && closed;
}

} // namespace

cfgbytes packcfg(const cfgrec& rec) {
    using namespace cfgoffset;
    cfgbytes b{};
    put64(b, cfgversion, rec.cfgversion);
    b[silentfix] = rec.silentfix;
    b[titlesfromnames] = rec.titlesfromnames;
    b[skipcompilations] = rec.skipcompilations;
    b[keepdirnames] = rec.keepdirnames;
    b[samegenre] = rec.samegenre;
    b[bkpplaylists] = rec.bkpplaylists;
    b[numbering] = rec.numbering;
    std::copy(rec.compname.begin(), rec.compname.end(), b.begin() + compname);
    b[reserved1] = rec.reserved1;
    for (std::size_t i = 0; i < rootdirunits; ++i) {
        b[rootdir + 2 * i] = static_cast<std::uint8_t>(rec.rootdir[i] & 0xff);
        b[rootdir + 2 * i + 1] = static_cast<std::uint8_t>(rec.rootdir[i] >> 8);
    }
    b[itunesflag] = rec.itunesflag;
    b[sortorder] = rec.sortorder;
    std::copy(rec.reserved2.begin(), rec.reserved2.end(), b.begin() + reserved2);
    return b;
}

cfgrec unpackcfg(const cfgbytes& b) {
    using namespace cfgoffset;
    cfgrec rec;
    rec.cfgversion = get64(b, cfgversion);
    rec.silentfix = b[silentfix];
    rec.titlesfromnames = b[titlesfromnames];
    rec.skipcompilations = b[skipcompilations];
    rec.keepdirnames = b[keepdirnames];
    rec.samegenre = b[samegenre];
    rec.bkpplaylists = b[bkpplaylists];
    rec.numbering = b[numbering];
    std::copy_n(b.begin() + compname, rec.compname.size(), rec.compname.begin());
    rec.reserved1 = b[reserved1];
    for (std::size_t i = 0; i < rootdirunits; ++i)
        rec.rootdir[i] = static_cast<char16_t>(b[rootdir + 2 * i] | (b[rootdir + 2 * i + 1] << 8));
    rec.itunesflag = b[itunesflag];
    rec.sortorder = b[sortorder];
    std::copy_n(b.begin() + reserved2, rec.reserved2.size(), rec.reserved2.begin());
    return rec;
}

void defaultcfg(context& c, cfgrec& rec) {
    c.progdir = c.programfolder;
    if (c.progdir.empty() || c.progdir.back() != u'/') c.progdir += u'/';
    rec = cfgrec{};
    rec.cfgversion = cfgformat;
    rec.silentfix = 1;
    rec.titlesfromnames = 1;
    rec.skipcompilations = 1;
    rec.keepdirnames = 1;
    rec.samegenre = 1;
    rec.bkpplaylists = 0;
    rec.numbering = 0;
    setcompname(rec, u"VA");
    // The program's folder fits unless the system's paths are extreme; an
    // empty root folder is then the honest default.
    if (!strtobuf(rec.rootdir, c.progdir)) strtobuf(rec.rootdir, u"");
    rec.itunesflag = 1;
    rec.sortorder = 6;
    c.vaname = u"VA";
}

void loadcfg(context& c) {
    c.cfgloading = true;
    if (!c.args.empty() && asciiequal(c.args.front(), u"-SC")) return;

    cfgrec rec;
    defaultcfg(c, rec);
    c.cfgfile = c.progdir + cfgfilename;

    bool valid = false;
    {
        platform::file f;
        if (f.open(c.cfgfile, platform::openmode::readwrite)) {
            cfgbytes bytes{};
            if (f.size() == static_cast<std::int64_t>(cfgsize) &&
                f.read(bytes.data(), bytes.size()) == static_cast<std::int64_t>(cfgsize)) {
                const cfgrec read = unpackcfg(bytes);
                if (read.cfgversion == cfgformat) {
                    rec = read;
                    valid = true;
                }
            }
            f.close();
        }
    }

    if (!valid) {
        defaultcfg(c, rec);
        writecfgfile(c.cfgfile, rec);
    } else {
        if (rec.silentfix == 0) defaultcfg(c, rec);
        c.form1.CheckBox3.checked = rec.keepdirnames != 0;
        c.form1.CheckBox2.checked = rec.skipcompilations != 0;
        c.vaname = compnametext(rec);
    }

    c.cfg = rec;
    savecfg(c);
    c.cfgloading = false;
}

bool savecfg(context& c) {
    if (c.cfgfile.empty()) return false;
    return writecfgfile(c.cfgfile, c.cfg);
}

bool strtobuf(std::array<char16_t, rootdirunits>& field, std::u16string_view text) {
    if (text.size() > field.size()) return false;
    std::fill(std::copy(text.begin(), text.end(), field.begin()), field.end(), u'\0');
    return true;
}

std::u16string rootdirtext(const cfgrec& rec) {
    const auto end = std::find(rec.rootdir.begin(), rec.rootdir.end(), u'\0');
    return std::u16string(rec.rootdir.begin(), end);
}

std::u16string compnametext(const cfgrec& rec) {
    const std::size_t len = rec.compname[0];
    return platform::fromansi(
        std::string_view(reinterpret_cast<const char*>(rec.compname.data() + 1), len));
}

void setcompname(cfgrec& rec, std::u16string_view name) {
    std::string bytes = platform::toansi(name);
    if (bytes.size() > 255) bytes.resize(255);
    rec.compname.fill(0);
    rec.compname[0] = static_cast<std::uint8_t>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), rec.compname.begin() + 1);
}

} // namespace checker
