// libFuzzer target: arbitrary bytes as an MP3 file, read with keepall both
// ways. Besides what the sanitizers catch, the module state must stay
// consistent.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "id3v2.h"
#include "platform.h"

namespace {

// The input lives in an anonymous memory file, opened by its /proc path
// like any other file.
struct memfile {
    int fd = -1;
    std::u16string path;
};

const memfile& input() {
    static const memfile m = [] {
        memfile f;
        f.fd = memfd_create("vorlinde-fuzz", 0);
        if (f.fd < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        f.path = platform::fromnative("/proc/self/fd/" + std::to_string(f.fd));
        return f;
    }();
    return m;
}

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken module state: %s\n", what);
        std::abort();
    }
}

// keptframes must be whole frames: ID, big-endian size, 00 00, data.
bool wellformed(const std::string& k) {
    std::size_t pos = 0;
    while (pos + 10 <= k.size()) {
        if (k[pos + 8] != 0 || k[pos + 9] != 0) return false;
        pos += 10 + id3v2::be2int(reinterpret_cast<const unsigned char*>(k.data()) + pos + 4);
    }
    return pos == k.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const memfile& in = input();
    if (ftruncate(in.fd, 0) != 0 || pwrite(in.fd, data, size, 0) != static_cast<ssize_t>(size))
        std::abort();
    for (bool keepall : {false, true}) {
        std::u16string artist, title, album, year, trno, genre, tcmp;
        bool haspicture = false;
        id3v2::readtags(in.path, artist, title, album, year, trno, genre, tcmp, haspicture,
                        keepall);
        check(id3v2::piclen ==
                  (id3v2::picdata ? static_cast<std::int32_t>(id3v2::picdata->size()) : 0),
              "piclen");
        check(keepall || !id3v2::picdata, "picture without keepall");
        check(!id3v2::picdata || (haspicture && !id3v2::picdata->empty()), "picture");
        check(id3v2::picdata ? id3v2::picdata->size() < size : true,
              "picture larger than the file");
        check(wellformed(id3v2::keptframes), "keptframes");
        check(id3v2::v1tail.empty() || id3v2::v1tail.size() == 31, "v1tail");
        check(id3v2::hasid3v2 == (size > 10 && data[0] == 'I' && data[1] == 'D' && data[2] == '3'),
              "hasid3v2");
        for (const std::u16string* s : {&artist, &title, &album, &year, &trno, &genre, &tcmp}) {
            check(s->empty() || s->back() != u' ', "trailing blank");
            for (char16_t c : *s) check(c >= u' ', "control character");
        }
    }
    return 0;
}
