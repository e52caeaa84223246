// libFuzzer target: arbitrary bytes as an MP3 file, read in both modes. Besides
// what the sanitizers catch, every read must keep the rules of brokenstate().
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "tagfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The input lives in an anonymous memory file, opened by its /proc path.
    static const int fd = memfd_create("vorlinde-fuzz", 0);
    static const std::u16string path = platform::fromnative("/proc/self/fd/" + std::to_string(fd));
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) std::abort();
    for (bool keepall : {false, true}) {
        std::string broken = tagfile::brokenstate(path, keepall, size);
        if (id3v2::hasid3v2 != (size > 10 && std::memcmp(data, "ID3", 3) == 0)) broken = "hasid3v2";
        if (!broken.empty()) std::fprintf(stderr, "broken: %s\n", broken.c_str()), std::abort();
    }
    return 0;
}
