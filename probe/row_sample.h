// The figures of one row from one sample of its process: the arithmetic of
// per-process sampling, apart from drawing and from where the sample came
// from (a lookup by PID, or a process followed for a log session).
#pragma once

#include <cstdint>

#include "os/os.h"

// Stores in table row `row` (1-based) the CPU share since that row's
// previous sample and the working set, and keeps the times and the start as
// that row's previous ones. A sample that was not opened reads as zero times
// and zero memory. False, touching nothing, for a row that the table or the
// per-row arrays do not have.
bool storeRowSample(std::int32_t row, const os::ProcessSample& sample);

// Bytes of working set to KB, nearest, halves to even.
std::int32_t kilobytesFromBytes(std::uint64_t bytes);
