// The tag rewrite: merges the new values with the stored ones, writes the new
// tag and the audio into a temporary file beside the MP3 file, and puts that
// file in the MP3 file's place in one atomic step once it is complete and on
// the disk, if the temporary name still leads to it. Until that step the MP3
// file is only read.
#include <cstring>
#include <new>
#include <utility>

#include "writer.h"

namespace id3v2 {

namespace {

// The stored state a rewrite works from, copied out of the module state: a
// window message handled during the copy must not change it under us.
struct oldtag {
    bool hasid3v2 = false;
    std::int32_t tagsize = 0;
    std::string v1tail;
};

// The values and the ID3v1 step's arguments of one rewrite.
struct plan {
    std::u16string_view artist, title, album, year;
    bool changetrno = false;
    std::u16string_view trno; // as passed: the ID3v1 step reads it
    bool genrechanged = false;
};

std::u16string folderof(const std::u16string& path) {
    const std::size_t slash = path.rfind(u'/');
    if (slash == std::u16string::npos) return u".";
    return slash == 0 ? u"/" : path.substr(0, slash);
}

// The file must still begin as it did when its tag was read, or the extent
// to skip would be wrong. A size with a top bit set breaks the syncsafe rule:
// where its writer meant the audio to begin is a guess, and a wrong guess
// would cut the audio.
bool sameheader(platform::file& in, std::int64_t size, const oldtag& old) {
    unsigned char h[10];
    const bool tagged =
        size > 10 && in.read(h, sizeof h) == sizeof h && std::memcmp(h, "ID3", 3) == 0;
    if (tagged != old.hasid3v2) return false;
    if (!tagged) return true;
    if ((h[6] | h[7] | h[8] | h[9]) & 0x80) return false;
    return (h[3] == 2 ? syncsafe2int22(h + 6) : syncsafe2int(h + 6)) == old.tagsize;
}

// Sets the permission bits; a file system without them (FAT, SMB) refuses
// the change but already shows the bits its mount gives every file.
bool keepmode(platform::file& f, unsigned mode) {
    if (f.setmode(mode)) return true;
    unsigned now = 0;
    return f.getmode(now) && now == mode;
}

// The temporary file this rewrite created, and the one handle it is written,
// dated and flushed through: another writer of the same MP3 file may put its
// own file under the name at any moment, so the name serves only to learn
// whether it still leads to ours. Until the swap the MP3 file is whole and our
// copy only takes space; it goes on every way out, also a thrown one, but only
// while the name leads to it: never a leftover, which may be all that is left
// of the music, nor another writer's file. The handle stays open till then, so
// that no new file can take our file's identity.
class madetemp {
public:
    explicit madetemp(std::u16string path) : path_(std::move(path)) {}
    ~madetemp() {
        if (made_ && file_.isnamed(path_)) platform::deletefile(path_);
    }
    madetemp(const madetemp&) = delete;
    madetemp& operator=(const madetemp&) = delete;

    // Creates the file; never opens one that stands under the name already.
    bool create() { return made_ = file_.open(path_, platform::openmode::createnew); }
    platform::file& file() { return file_; }
    // Puts the file in the place of `target`, only while the name still leads
    // to it; nothing may come between the look and the rename.
    bool swap(const std::u16string& target) {
        if (!file_.isnamed(path_) || platform::replacefile(path_, target) != 0) return false;
        made_ = false;
        return true;
    }

private:
    const std::u16string path_;
    platform::file file_;
    bool made_ = false;
};

bool replace(const std::u16string& path, const std::string& tag, const oldtag& old, const plan& v) {
    platform::filetime age;
    const bool hasage = platform::getfiletime(path, age);

    platform::file in;
    if (!in.open(path, platform::openmode::read)) return false;
    const std::int64_t size = in.size();
    if (size < 0 || !sameheader(in, size, old)) return false;
    // An old tag that claims more than the file holds leaves no audio to
    // copy; the file is left as it is.
    const std::int64_t skip = old.hasid3v2 ? 10 + std::int64_t{old.tagsize} : 0;
    if (skip > size) return false;
    platform::filetime date;
    platform::fileid id;
    unsigned mode = 0;
    if (!in.gettime(date) || !in.getmode(mode) || !in.getid(id) || !in.seek(skip)) return false;

    // A file left under the temporary name (a crashed rewrite's copy) is
    // removed, never written through: it may be a link or a second name of
    // some other file. That waits until the MP3 file is open (beside a
    // missing one it may be all that is left of its music), and never
    // deletes the MP3 file itself, reached through a link. A file that takes
    // the name after that belongs to another writer: we stop.
    const std::u16string tempname = path + u"$delme.$$$";
    platform::fileid leftover;
    if (platform::getfileid(tempname, leftover) && leftover == id) return false;
    platform::deletefile(tempname);
    madetemp temp(tempname);
    if (!temp.create()) return false;
    platform::file& out = temp.file();
    if (!out.write(tag.data(), tag.size()) ||
        copyaudio(in, out, size, progress(currentprogress())) < 0)
        return false;

    // The new file takes the old one's date and permissions (writable: the
    // rewrite clears read-only), and is on the disk before it takes the old
    // one's place.
    if (!writeid3v1tail(out, v.artist, v.title, v.album, v.year, v.changetrno, v.trno,
                        v.genrechanged, old.v1tail) ||
        !keepmode(out, mode | 0200) || !out.settime(hasage ? age : date) || !out.sync())
        return false;
    // Shrunk, grown, written or replaced by another program since we opened
    // it: its change would be lost, or the copy is short.
    platform::filetime now;
    platform::fileid nowid;
    if (in.size() != size || !in.gettime(now) || !(now == date) ||
        !platform::getfileid(path, nowid) || nowid != id || !temp.swap(path))
        return false;
    // The rename is done; a folder that cannot be flushed changes nothing of
    // that, and either name then still holds a whole file.
    platform::syncfolder(folderof(path));
    return true;
}

bool rewrite(const std::u16string& path, const std::u16string& artist, const std::u16string& title,
             const std::u16string& album, const std::u16string& year, const std::u16string& genre,
             bool changetrno, const std::u16string& trno, const std::u16string& tcmp,
             const std::string& picture, const std::string& mime) {
    std::u16string oldartist, oldtitle, oldalbum, oldyear, oldtrno, oldgenre, oldtcmp;
    bool haspicture = false;
    readtags(path, oldartist, oldtitle, oldalbum, oldyear, oldtrno, oldgenre, oldtcmp, haspicture,
             true);
    const oldtag old{hasid3v2, tagsize, v1tail};

    const std::u16string& newgenre = genre == u"-1" ? oldgenre : genre;
    // Through the code page and back, as the track number is stored in ANSI.
    const std::u16string newtrno =
        platform::fromansi(platform::toansi(changetrno ? trno : oldtrno));
    const std::u16string& newtcmp = tcmp.empty() ? oldtcmp : tcmp;
    newtag v{artist, title, album, year, newtrno, newgenre, newtcmp, {}, {}};
    if (!picture.empty()) {
        v.picture = picture;
        v.mime = mime;
    } else if (picdata) {
        v.picture = *picdata;
        v.mime = picmime;
    }
    std::string tag;
    const bool fits = buildtag(v, keptframes, tag);
    picdata.reset();
    piclen = 0;
    if (!fits) return false;
    return replace(path, tag, old,
                   {artist, title, album, year, changetrno, trno, newgenre != oldgenre});
}

} // namespace

bool rewritetag(const std::u16string& path, const std::u16string& artist,
                const std::u16string& title, const std::u16string& album,
                const std::u16string& year, const std::u16string& genre, bool changetrno,
                const std::u16string& trno, const std::u16string& tcmp, const std::string& picture,
                int /*picsize*/, const std::string& mime) {
    static bool busy = false;
    if (busy) return false;
    busy = true;
    struct release {
        ~release() { busy = false; }
    } guard;
    try {
        return rewrite(path, artist, title, album, year, genre, changetrno, trno, tcmp, picture,
                       mime);
    } catch (const std::bad_alloc&) {
        // Before the swap: the file is as it was.
        picdata.reset();
        piclen = 0;
        return false;
    }
}

} // namespace id3v2
