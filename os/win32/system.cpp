// Whole-machine figures on Windows.
#include <windows.h>

#include "os/os.h"

namespace os {

bool systemTimes(SystemTimes& out) {
    FILETIME idle{}, kernel{}, user{};
    const BOOL ok = GetSystemTimes(&idle, &kernel, &user);
    auto value = [](const FILETIME& t) {
        return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    out.idle = value(idle);
    out.kernel = value(kernel);
    out.user = value(user);
    return ok != 0;
}

bool memoryStatus(MemoryStatus& out) {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;  // 64
    const BOOL ok = GlobalMemoryStatusEx(&status);
    out.loadPercent = status.dwMemoryLoad;
    out.totalBytes = status.ullTotalPhys;
    out.availableBytes = status.ullAvailPhys;
    return ok != 0;
}

}  // namespace os
