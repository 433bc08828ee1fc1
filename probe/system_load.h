// Whole-machine measurements: the CPU clock, the system CPU load (which also
// leaves systemTimeDelta, the denominator of every per-process share) and the
// physical memory. The load and memory samples report their figures at once
// (sample_report.h).
#pragma once

#include <cstdint>

#include "probe/cpu_load.h"

// Counts processor cycles over a busy wait of just over 10 ms and stores the
// clock in monitorState.cpuClockGHz, in whole hundredths of a GHz.
void measureCpuClock();

// measureCpuLoad, then reports the load.
void sampleCpuLoad();

// Sets totalMemoryMB from the physical memory, then reports the memory figures.
void sampleMemory();

// The arithmetic of measureCpuClock: the cycle counts read before and after a
// window taken to be exactly 10 ms, to GHz (truncated to hundredths).
float cpuClockFromCycles(std::uint32_t before, std::uint32_t after);

// Bytes of physical memory to MB (2^20 bytes), nearest, halves to even.
std::int32_t megabytesFromBytes(std::uint64_t bytes);
