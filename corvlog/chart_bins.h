// A series thinned for drawing in memory that does not grow with the log:
// at most MAX_BINS time slots of equal width, each keeping the lowest and
// highest CPU share and working set that fell in it. When a sample lies
// beyond the last slot, the width doubles and neighbours merge, so a spike
// stays in its slot instead of being skipped like every n-th point would.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvlog {

constexpr std::size_t MAX_BINS = 2048;

struct ChartBin {
    bool used = false;
    std::int32_t cpuMin = 0, cpuMax = 0;
    std::int32_t ramMin = 0, ramMax = 0;
};

struct ChartSeries {
    std::size_t file = 0;
    std::string name;  // Windows-1252
    std::int32_t series = 1;
    std::int64_t widthMs = 1;  // of one slot
    std::vector<ChartBin> bins;
    std::int64_t firstMs = -1, lastMs = 0;  // after the session's start
};

// Adds a sample `ms` after the session's start (negative counts as 0).
void addChartSample(ChartSeries& s, std::int64_t ms, std::int32_t cpu, std::int32_t ram);

}  // namespace corvlog
