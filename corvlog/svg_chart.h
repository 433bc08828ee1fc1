// The chart `plot` draws, as SVG text: the sessions' facts as a caption,
// a CPU panel (percent) over a RAM panel (MB) on one time axis, one line
// per series in both, and a legend.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "corvlog/chart_bins.h"
#include "corvlog/log_lines.h"

namespace corvlog {

struct ChartFile {
    std::string path;  // UTF-8
    LogHeader header;
};

struct ChartLayout {
    int width = 1000;
    int height = 640;      // caption and panels; the legend adds below
    bool overlay = false;  // every session from its own start
};

std::string drawChart(const std::vector<ChartFile>& files, const std::vector<ChartSeries>& series,
                      const ChartLayout& layout);

// XML text: markup characters escaped, characters XML does not allow as '?'.
std::string xmlText(const std::string& utf8);

// The panel's top value: 100 % for CPU unless a share is higher; for RAM the
// next step of 1, 2 or 5 times a power of ten above the highest value.
double niceTop(double highest, double floor);

}  // namespace corvlog
