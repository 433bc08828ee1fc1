// The system CPU load between two samples of the system's times, and the
// denominator of every per-process share, without drawing anything.
#pragma once

#include <cstdint>

// The arithmetic of measureCpuLoad for deltas of the system times.
struct CpuLoad {
    std::int64_t systemTimeDelta = 0;  // kernel + user
    std::int32_t load = 0;             // percent, never negative
};
CpuLoad cpuLoadFromDeltas(std::int64_t dIdle, std::int64_t dKernel, std::int64_t dUser);

// One system CPU sample against the previous one: sets systemTimeDelta and
// the previous system times; the load in percent.
std::int32_t measureCpuLoad();
