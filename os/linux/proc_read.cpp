#include "os/linux/proc_read.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace linuxproc {

bool readSmallFile(const char* path, std::string& out) {
    out.clear();
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[4096];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
        if (out.size() > 65536) break;
    }
    ::close(fd);
    return ok;
}

bool parseStat(const char* text, std::size_t length, StatFields& out) {
    // "pid (comm) state ppid ..." where comm may itself hold ')' or blanks:
    // the name ends at the last ')'.
    const char* open = static_cast<const char*>(std::memchr(text, '(', length));
    const char* close = nullptr;
    for (const char* p = text + length; p > text; --p) {
        if (p[-1] == ')') {
            close = p - 1;
            break;
        }
    }
    if (!open || !close || close < open) return false;
    out.comm.assign(open + 1, close);
    // Fields after the name, counted from 3 (state).
    const char* p = close + 1;
    const char* end = text + length;
    int field = 2;
    while (p < end && field < 24) {
        while (p < end && *p == ' ') ++p;
        if (p >= end) break;
        ++field;
        const char* start = p;
        while (p < end && *p != ' ' && *p != '\n') ++p;
        if (field == 14 || field == 15 || field == 24) {
            const std::uint64_t value = std::strtoull(std::string(start, p).c_str(), nullptr, 10);
            if (field == 14) out.utimeTicks = value;
            if (field == 15) out.stimeTicks = value;
            if (field == 24) out.rssPages = value;
        }
    }
    return field >= 24;
}

bool readStat(int pid, StatFields& out) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", pid);
    std::string text;
    if (!readSmallFile(path, text) || text.empty()) return false;
    return parseStat(text.data(), text.size(), out);
}

std::int64_t ticksTo100ns(std::uint64_t ticks) {
    static const long hz = [] {
        const long v = sysconf(_SC_CLK_TCK);
        return v > 0 ? v : 100;
    }();
    // 10,000,000 units of 100 ns per second.
    return static_cast<std::int64_t>(ticks) * (10000000 / hz);
}

std::uint64_t pageSize() {
    static const std::uint64_t size = [] {
        const long v = sysconf(_SC_PAGESIZE);
        return static_cast<std::uint64_t>(v > 0 ? v : 4096);
    }();
    return size;
}

}  // namespace linuxproc
