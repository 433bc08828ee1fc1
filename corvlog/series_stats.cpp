#include "corvlog/series_stats.h"

namespace corvlog {

namespace {

void addLiving(SeriesStats& s, double t, std::int32_t cpu, std::int32_t ram) {
    if (s.living == 0) {
        s.cpuMin = s.cpuMax = cpu;
        s.ramMin = s.ramMax = ram;
    }
    ++s.living;
    s.cpuSum += cpu;
    s.ramSum += ram;
    s.cpuMin = std::min(s.cpuMin, cpu), s.cpuMax = std::max(s.cpuMax, cpu);
    s.ramMin = std::min(s.ramMin, ram), s.ramMax = std::max(s.ramMax, ram);
    if (cpu >= 0 && cpu < COUNTED_SHARES) {
        if (static_cast<std::size_t>(cpu) >= s.cpuCounts.size()) s.cpuCounts.resize(static_cast<std::size_t>(cpu) + 1);
        ++s.cpuCounts[static_cast<std::size_t>(cpu)];
    } else if (s.cpuOther.size() < MAX_OTHER_SHARES || s.cpuOther.count(cpu)) {
        ++s.cpuOther[cpu];
    } else {
        s.tooManyShares = true;
    }
    s.sumT += t, s.sumTT += t * t, s.sumR += ram, s.sumTR += t * ram;
}

}  // namespace

void addSample(SeriesStats& s, std::int64_t timeMs, std::int32_t cpu, std::int32_t ram) {
    if (s.samples == 0) s.firstMs = timeMs;
    ++s.samples;
    s.lastMs = timeMs;
    const double t = static_cast<double>(timeMs - s.firstMs) / 3'600'000.0;
    if (cpu == 0 && ram == 0 && s.hadRam) {
        if (s.zeroRun == 0) s.zeroRunStartMs = timeMs;
        ++s.zeroRun;
        s.zeroSumT += t, s.zeroSumTT += t * t;
        return;
    }
    if (s.zeroRun > 0) {  // the zeros were a pause, not the end: they count
        if (s.cpuCounts.empty()) s.cpuCounts.resize(1);
        s.cpuCounts[0] += static_cast<std::uint64_t>(s.zeroRun);
        s.living += s.zeroRun;
        s.cpuMin = std::min(s.cpuMin, 0), s.cpuMax = std::max(s.cpuMax, 0);
        s.ramMin = std::min(s.ramMin, 0), s.ramMax = std::max(s.ramMax, 0);
        s.sumT += s.zeroSumT, s.sumTT += s.zeroSumTT;
        s.zeroRun = 0, s.zeroSumT = 0, s.zeroSumTT = 0;
    }
    if (ram != 0) s.hadRam = true;
    addLiving(s, t, cpu, ram);
}

std::int32_t cpuP95(const SeriesStats& s) {
    if (s.living == 0) return 0;
    const std::uint64_t rank = (static_cast<std::uint64_t>(s.living) * 95 + 99) / 100;
    std::uint64_t seen = 0;
    for (const auto& [share, count] : s.cpuOther) {
        if (share >= 0) break;
        seen += count;
        if (seen >= rank) return share;
    }
    for (std::size_t share = 0; share < s.cpuCounts.size(); ++share) {
        seen += s.cpuCounts[share];
        if (seen >= rank) return static_cast<std::int32_t>(share);
    }
    for (const auto& [share, count] : s.cpuOther) {
        if (share < 0) continue;
        seen += count;
        if (seen >= rank) return share;
    }
    return s.cpuMax;
}

bool ramGrowthPerHour(const SeriesStats& s, double& kbPerHour) {
    const double n = static_cast<double>(s.living);
    const double spread = n * s.sumTT - s.sumT * s.sumT;
    if (s.living < 2 || !(spread > 0)) return false;
    kbPerHour = (n * s.sumTR - s.sumT * s.sumR) / spread;
    return true;
}

bool ended(const SeriesStats& s, std::int64_t& atMs) {
    atMs = s.zeroRunStartMs;
    return s.zeroRun > 0;
}

}  // namespace corvlog
