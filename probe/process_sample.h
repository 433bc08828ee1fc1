// Per-process sampling: one row's CPU share since that row's previous sample
// and its working set, written into processTable and reported (sample_report.h).
#pragma once

#include <cstdint>

#include "os/os.h"
#include "probe/row_sample.h"

// Measures process `pid` for table row `row` (1-based). A row that the table
// or the per-row arrays do not have is left alone: nothing is read, written
// or reported.
void sampleProcess(std::int32_t pid, std::int32_t row);

// As sampleProcess, for a sample already taken: stores it and reports the row.
void showProcessSample(std::int32_t row, const os::ProcessSample& sample);
