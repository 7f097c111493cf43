#include "common/system_memory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace tarnu {

namespace {

constexpr std::size_t kUnknown = std::numeric_limits<std::size_t>::max();

// MemAvailable counts the page cache that can be dropped, which free memory does not.
std::size_t systemAvailable() {
    std::FILE* f = std::fopen("/proc/meminfo", "re");
    std::size_t kib = kUnknown;
    if (f != nullptr) {
        char line[256];
        while (std::fgets(line, sizeof line, f) != nullptr) {
            unsigned long long value = 0;
            if (std::sscanf(line, "MemAvailable: %llu kB", &value) == 1) {
                kib = static_cast<std::size_t>(value);
                break;
            }
        }
        std::fclose(f);
    }
    if (kib != kUnknown) {
        return kib * 1024;
    }
    const long pages = ::sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? static_cast<std::size_t>(pages) * pageSize : kUnknown;
}

std::size_t addressSpaceLeft() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return kUnknown;
    }
    std::size_t used = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "re")) {
        unsigned long long pages = 0;
        if (std::fscanf(f, "%llu", &pages) == 1) {
            used = static_cast<std::size_t>(pages) * static_cast<std::size_t>(::getpagesize());
        }
        std::fclose(f);
    }
    return limit.rlim_cur > used ? static_cast<std::size_t>(limit.rlim_cur) - used : 0;
}

}  // namespace

std::size_t availableMemory() {
    return std::min(systemAvailable(), addressSpaceLeft());
}

}  // namespace tarnu
