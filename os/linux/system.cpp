// Whole-machine figures on Linux, from /proc/stat and /proc/meminfo, each
// read through a descriptor kept open for the rest of the run.
#include <cmath>
#include <cstring>
#include <string_view>

#include "os/linux/proc_read.h"
#include "os/os.h"

namespace os {

namespace {

linuxproc::KeptFile statFile{"/proc/stat"};
linuxproc::KeptFile meminfoFile{"/proc/meminfo"};

void skipBlanks(const char*& p, const char* end) {
    while (p < end && *p == ' ') ++p;
}

// The value after `key` at the start of a line of meminfo, in kB.
bool meminfoValue(std::string_view text, std::string_view key, std::uint64_t& kb) {
    std::size_t at = 0;
    while (at < text.size()) {
        if (text.compare(at, key.size(), key) == 0) {
            const char* p = text.data() + at + key.size();
            const char* end = text.data() + text.size();
            skipBlanks(p, end);
            kb = linuxproc::parseDecimal(p, end);
            return true;
        }
        const std::size_t next = text.find('\n', at);
        if (next == std::string_view::npos) break;
        at = next + 1;
    }
    return false;
}

}  // namespace

bool systemTimes(SystemTimes& out) {
    out = SystemTimes{};
    // Only the first line ("cpu  user nice system idle ...") is needed.
    char buffer[1024];
    const ssize_t n = linuxproc::readKeptFile(statFile, buffer, sizeof buffer);
    if (n <= 0) return false;
    const char* p = buffer;
    const char* end = buffer + n;
    if (n < 4 || std::memcmp(p, "cpu ", 4) != 0) return false;
    p += 4;
    // user nice system idle iowait irq softirq steal; at least the first four.
    unsigned long long v[8] = {};
    int count = 0;
    while (count < 8) {
        skipBlanks(p, end);
        if (p >= end || *p < '0' || *p > '9') break;
        v[count++] = linuxproc::parseDecimal(p, end);
    }
    if (count < 4) return false;
    const unsigned long long user = v[0], nice = v[1], system = v[2], idle = v[3], iowait = v[4], irq = v[5],
                             softirq = v[6], steal = v[7];
    // As on Windows, the kernel time includes the idle time.
    out.idle = linuxproc::ticksTo100ns(idle + iowait);
    out.kernel = linuxproc::ticksTo100ns(system + irq + softirq + steal + idle + iowait);
    out.user = linuxproc::ticksTo100ns(user + nice);
    return true;
}

bool memoryStatus(MemoryStatus& out) {
    out = MemoryStatus{};
    char buffer[8192];
    const ssize_t n = linuxproc::readKeptFile(meminfoFile, buffer, sizeof buffer);
    if (n <= 0) return false;
    const std::string_view text(buffer, static_cast<std::size_t>(n));
    std::uint64_t totalKB = 0, availableKB = 0;
    if (!meminfoValue(text, "MemTotal:", totalKB)) return false;
    if (!meminfoValue(text, "MemAvailable:", availableKB)) {
        std::uint64_t freeKB = 0, cachedKB = 0, buffersKB = 0;
        meminfoValue(text, "MemFree:", freeKB);
        meminfoValue(text, "Cached:", cachedKB);
        meminfoValue(text, "Buffers:", buffersKB);
        availableKB = freeKB + cachedKB + buffersKB;
    }
    if (availableKB > totalKB) availableKB = totalKB;
    out.totalBytes = totalKB * 1024;
    out.availableBytes = availableKB * 1024;
    if (totalKB > 0) {
        const double load = static_cast<double>(totalKB - availableKB) * 100.0 / static_cast<double>(totalKB);
        out.loadPercent = static_cast<std::uint32_t>(std::nearbyint(load));
    }
    return true;
}

}  // namespace os
