#include "os/linux/proc_read.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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
            if (errno == EINTR) continue;
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

ssize_t readFromStart(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, size, 0);
        if (n >= 0 || errno != EINTR) return n;
    }
}

std::uint64_t parseDecimal(const char*& p, const char* end) {
    std::uint64_t value = 0;
    while (p < end && *p >= '0' && *p <= '9') {
        value = value * 10 + static_cast<std::uint64_t>(*p - '0');
        ++p;
    }
    return value;
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
    out.comm = std::string_view(open + 1, static_cast<std::size_t>(close - open - 1));
    // Fields after the name, counted from 3 (state).
    const char* p = close + 1;
    const char* end = text + length;
    int field = 2;
    while (p < end && field < 24) {
        while (p < end && *p == ' ') ++p;
        if (p >= end || *p == '\n') break;
        ++field;
        const char* start = p;
        switch (field) {
            case 3: out.state = *p; break;
            case 9: out.flags = static_cast<std::uint32_t>(parseDecimal(p, end)); break;
            case 14: out.utimeTicks = parseDecimal(p, end); break;
            case 15: out.stimeTicks = parseDecimal(p, end); break;
            case 22: out.startTicks = parseDecimal(p, end); break;
            case 24: out.rssPages = parseDecimal(p, end); break;
            default: break;
        }
        p = start;
        while (p < end && *p != ' ' && *p != '\n') ++p;
    }
    return field >= 24;
}

void procPath(char* out, std::size_t size, std::int32_t pid, const char* leaf) {
    std::snprintf(out, size, "/proc/%d/%s", static_cast<int>(pid), leaf);
}

long clockTicksPerSecond() {
    static const long hz = [] {
        const long v = sysconf(_SC_CLK_TCK);
        return v > 0 ? v : 100;
    }();
    return hz;
}

std::int64_t ticksTo100ns(std::uint64_t ticks) {
    // 10,000,000 units of 100 ns per second.
    return static_cast<std::int64_t>(ticks) * (10000000 / clockTicksPerSecond());
}

std::uint64_t pageSize() {
    static const std::uint64_t size = [] {
        const long v = sysconf(_SC_PAGESIZE);
        return static_cast<std::uint64_t>(v > 0 ? v : 4096);
    }();
    return size;
}

KeptFile::~KeptFile() {
    if (fd >= 0) ::close(fd);
}

ssize_t readKeptFile(KeptFile& file, char* buffer, std::size_t size) {
    std::lock_guard<std::mutex> guard(file.lock);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (file.fd < 0) file.fd = ::open(file.path, O_RDONLY | O_CLOEXEC);
        if (file.fd < 0) return -1;
        const ssize_t n = readFromStart(file.fd, buffer, size);
        if (n > 0) return n;
        ::close(file.fd);
        file.fd = -1;
    }
    return -1;
}

}  // namespace linuxproc
