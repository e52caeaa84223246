#include "platform.h"

#include <climits>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace platform {

std::u16string programdir() {
    std::string buf(PATH_MAX, '\0');
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0) return u"./";
    buf.resize(static_cast<std::size_t>(n));
    const std::size_t slash = buf.rfind('/');
    return fromnative(std::string_view(buf).substr(0, slash + 1));
}

std::u16string getenv(const char* name) {
    const char* v = std::getenv(name);
    return v ? fromnative(v) : std::u16string();
}

date today() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

std::uint64_t perfcounter() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000000000u +
           static_cast<std::uint64_t>(ts.tv_nsec);
}

std::uint32_t tickcount() {
    return static_cast<std::uint32_t>(perfcounter() / 1000000u);
}

} // namespace platform
