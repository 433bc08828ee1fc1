// Clocks and pauses on Windows.
#include <windows.h>
#include <intrin.h>

#include "os/os.h"

namespace os {

std::uint32_t cycleCounterLow() { return static_cast<std::uint32_t>(__rdtsc()); }

double secondsClock() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f{};
        return QueryPerformanceFrequency(&f) ? f.QuadPart : 0;
    }();
    if (frequency > 0) {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart) / static_cast<double>(frequency);
    }
    return static_cast<double>(GetTickCount()) * 0.001;
}

LocalTime localTime() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    LocalTime t;
    t.year = st.wYear;
    t.month = st.wMonth;
    t.day = st.wDay;
    t.hour = st.wHour;
    t.minute = st.wMinute;
    t.second = st.wSecond;
    t.millisecond = st.wMilliseconds;
    return t;
}

void pauseMs(std::int64_t ms) {
    // Sleep takes an unsigned count: a negative one would wait for weeks.
    if (ms <= 0) return;
    while (ms > 0) {
        const DWORD step = ms > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(ms);
        Sleep(step);
        ms -= step;
    }
}

void pauseUntil(double deadline) {
    // Sleep counts whole milliseconds and may wake late, never early by much:
    // sleep the remainder until less than half a millisecond is left.
    for (;;) {
        const double remainingMs = (deadline - secondsClock()) * 1000.0;
        if (!(remainingMs >= 0.5)) return;
        Sleep(remainingMs >= 2147483647.0 ? 0x7FFFFFFF : static_cast<DWORD>(remainingMs + 0.5));
    }
}

}  // namespace os
