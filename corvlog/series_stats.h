// The figures `summary` gives for one series, gathered record by record in
// memory that does not grow with the log: sums, extremes, and counts of the
// CPU shares (whole percent), from which the 95th percentile is exact.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace corvlog {

// Shares beyond this are counted apart; Corvane writes 0 to 100.
constexpr std::int32_t COUNTED_SHARES = 1000;
constexpr std::size_t MAX_OTHER_SHARES = 4096;

struct SeriesStats {
    std::size_t file = 0;
    std::string name;  // Windows-1252
    std::int32_t series = 1;
    std::int64_t samples = 0;
    std::int64_t firstMs = 0, lastMs = 0;

    // Samples of the living process: all but a closing run of 0 % and 0 KB
    // after it had a working set (the monitor writes an ended process so).
    std::int64_t living = 0;
    std::int64_t cpuSum = 0, ramSum = 0;
    std::int32_t cpuMin = 0, cpuMax = 0, ramMin = 0, ramMax = 0;
    std::vector<std::uint64_t> cpuCounts;            // share 0..COUNTED_SHARES-1
    std::map<std::int32_t, std::uint64_t> cpuOther;  // any other share
    bool tooManyShares = false;
    double sumT = 0, sumTT = 0, sumR = 0, sumTR = 0;  // t in hours after firstMs, R in KB

    bool hadRam = false;
    std::int64_t zeroRun = 0, zeroRunStartMs = 0;
    double zeroSumT = 0, zeroSumTT = 0;
};

void addSample(SeriesStats& s, std::int64_t timeMs, std::int32_t cpuPercent, std::int32_t ramKB);

// The share at or below which 95 % of the living samples lie (nearest rank:
// the ceil(0.95 n)-th smallest).
std::int32_t cpuP95(const SeriesStats& s);
// Least-squares slope of the working set over the living samples, KB per
// hour; false with fewer than two samples or no time between them.
bool ramGrowthPerHour(const SeriesStats& s, double& kbPerHour);
// Whether the process ended during the session, and when (the first record
// of the closing 0 % / 0 KB run).
bool ended(const SeriesStats& s, std::int64_t& atMs);

}  // namespace corvlog
