// Whom sampling tells what it measured.
#pragma once

#include <cstdint>

// Measuring does not draw. Each probe reports what it has just stored to
// whoever wired itself in here, on the measuring thread and at once, so the
// window (wired by app/ at start-up) draws a row right after it was sampled,
// inside the caller's screen batch, as if the probe drew it. Nobody wired, as
// in a headless session or a test of the figures alone, means nobody is told.
// These are the only calls from measuring outwards; nothing may wait in them.
struct SampleReport {
    // processTable[row] has just been refreshed.
    void (*rowSampled)(std::int32_t row) = nullptr;
    // A system CPU sample: the load in percent, and the CPU clock it goes with.
    void (*cpuLoadSampled)(std::int32_t load, float clockGHz) = nullptr;
    // A memory sample: the memory load in percent and the total memory in MB.
    void (*memorySampled)(std::uint32_t memoryLoad, std::int32_t totalMB) = nullptr;
};

extern SampleReport sampleReport;
