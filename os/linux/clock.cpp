// Clocks and pauses on Linux.
#include <time.h>

#include <cerrno>

#include "os/os.h"

#if defined(__i386__) || defined(__x86_64__)
#include <x86intrin.h>
#endif

namespace os {

std::uint32_t cycleCounterLow() {
#if defined(__i386__) || defined(__x86_64__)
    return static_cast<std::uint32_t>(__rdtsc());
#else
    // No time-stamp counter: a nanosecond count stands in for cycles, so the
    // clock measurement reads 1.0 GHz per 10^9 counts.
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC_RAW, &ts);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ts.tv_sec) * 1000000000ull +
                                      static_cast<std::uint64_t>(ts.tv_nsec));
#endif
}

double secondsClock() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

LocalTime localTime() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm parts{};
    localtime_r(&ts.tv_sec, &parts);
    LocalTime t;
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.day = parts.tm_mday;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec;
    t.millisecond = static_cast<int>(ts.tv_nsec / 1000000);
    return t;
}

void pauseMs(std::int64_t ms) {
    if (ms <= 0) return;
    timespec remaining{};
    remaining.tv_sec = static_cast<time_t>(ms / 1000);
    remaining.tv_nsec = static_cast<long>((ms % 1000) * 1000000);
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {}
}

void pauseUntil(double deadline) {
    if (!(deadline > secondsClock())) return;
    // Past about 68 years the seconds no longer fit every time_t; nobody waits that long.
    if (deadline > 2.0e9) deadline = 2.0e9;
    timespec at{};
    at.tv_sec = static_cast<time_t>(deadline);
    at.tv_nsec = static_cast<long>((deadline - static_cast<double>(at.tv_sec)) * 1e9);
    if (at.tv_nsec >= 1000000000L) at.tv_nsec = 999999999L;
    // The same clock as secondsClock, so the deadline means the same instant.
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {}
}

}  // namespace os
