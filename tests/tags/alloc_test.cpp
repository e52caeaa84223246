// Memory taken for a file must follow what the file holds, not what its
// header claims. Every allocation of this test program is watched.
#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>

#include "tagbuilder.h"

// The replacements below pair malloc with free, which the compiler cannot see.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {
std::atomic<std::size_t> largest{0};
}

void* operator new(std::size_t n) {
    if (n > largest) largest = n;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

using namespace tagbuild;
using namespace std::string_literals;

TEST(Memory, FollowsTheFileNotTheHeader) {
    testutil::tempdir dir;
    const std::string body =
        frame23("TIT2", text0("T")) + "APIC\x7F\xFF\xFF\xFF\0\0"s + "\0image/jpeg\0";
    for (int version : {2, 3, 4}) {
        const std::string bytes = tagraw(version, "\xFF\xFF\xFF\xFF"s, body) + audio(2000);
        const std::u16string p = put(dir, "claims.mp3", bytes);
        platform::fromansi(std::string_view("warm")); // the code page tables are made once
        largest = 0;
        const values v = read(p, true);
        EXPECT_LT(largest.load(), 64u * 1024) << version;
        EXPECT_TRUE(id3v2::hasid3v2);
        if (version != 2) {
            EXPECT_TRUE(v.haspicture);
        }
    }
}

TEST(Memory, LargeTagBufferIsLetGo) {
    testutil::tempdir dir;
    const std::string big(3 << 20, 'p');
    read(put(dir, "big.mp3", tag(3, frame23("APIC", apic("image/png", big))) + audio()), true);
    ASSERT_TRUE(id3v2::picdata);
    EXPECT_EQ(id3v2::picdata->size(), big.size());
    EXPECT_LT(id3v2::tagbuf.capacity(), 1u << 20);
    EXPECT_LT(id3v2::workbuf.capacity(), 1u << 20);
}
