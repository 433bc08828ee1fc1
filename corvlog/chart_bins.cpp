#include "corvlog/chart_bins.h"

#include <algorithm>

namespace corvlog {

namespace {

void merge(ChartBin& into, const ChartBin& from) {
    if (!from.used) return;
    if (!into.used) {
        into = from;
        return;
    }
    into.cpuMin = std::min(into.cpuMin, from.cpuMin), into.cpuMax = std::max(into.cpuMax, from.cpuMax);
    into.ramMin = std::min(into.ramMin, from.ramMin), into.ramMax = std::max(into.ramMax, from.ramMax);
}

}  // namespace

void addChartSample(ChartSeries& s, std::int64_t ms, std::int32_t cpu, std::int32_t ram) {
    if (ms < 0) ms = 0;
    if (s.firstMs < 0) s.firstMs = ms;
    s.firstMs = std::min(s.firstMs, ms);
    s.lastMs = std::max(s.lastMs, ms);
    while (static_cast<std::uint64_t>(ms / s.widthMs) >= MAX_BINS) {
        for (std::size_t i = 0; i < s.bins.size(); ++i) {
            ChartBin merged;
            merge(merged, s.bins[i]);
            if (i % 2 == 0 && i + 1 < s.bins.size()) merge(merged, s.bins[i + 1]);
            if (i % 2 == 0) s.bins[i / 2] = merged;
        }
        s.bins.resize((s.bins.size() + 1) / 2);
        s.widthMs *= 2;
    }
    const auto at = static_cast<std::size_t>(ms / s.widthMs);
    if (at >= s.bins.size()) s.bins.resize(at + 1);
    ChartBin sample;
    sample.used = true;
    sample.cpuMin = sample.cpuMax = cpu;
    sample.ramMin = sample.ramMax = ram;
    merge(s.bins[at], sample);
}

}  // namespace corvlog
