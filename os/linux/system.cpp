// Whole-machine figures on Linux, from /proc/stat and /proc/meminfo.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "os/linux/proc_read.h"
#include "os/os.h"

namespace os {

bool systemTimes(SystemTimes& out) {
    out = SystemTimes{};
    std::string text;
    if (!linuxproc::readSmallFile("/proc/stat", text)) return false;
    unsigned long long user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0,
                       steal = 0;
    if (std::sscanf(text.c_str(), "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &user, &nice,
                    &system, &idle, &iowait, &irq, &softirq, &steal) < 4) {
        return false;
    }
    // As on Windows, the kernel time includes the idle time.
    out.idle = linuxproc::ticksTo100ns(idle + iowait);
    out.kernel = linuxproc::ticksTo100ns(system + irq + softirq + steal + idle + iowait);
    out.user = linuxproc::ticksTo100ns(user + nice);
    return true;
}

namespace {
bool meminfoValue(const std::string& text, const char* key, std::uint64_t& kb) {
    const std::size_t at = text.find(key);
    if (at == std::string::npos) return false;
    kb = std::strtoull(text.c_str() + at + std::strlen(key), nullptr, 10);
    return true;
}
}  // namespace

bool memoryStatus(MemoryStatus& out) {
    out = MemoryStatus{};
    std::string text;
    if (!linuxproc::readSmallFile("/proc/meminfo", text)) return false;
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
