#include "pacing_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

std::vector<double> recordTimes(const std::string& bytes, const std::string& name) {
    std::vector<double> out;
    std::size_t at = 0;
    int line = 0;
    double dayOffset = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) end = bytes.size();
        const std::string text = bytes.substr(at, end - at);
        at = end + 2;
        // Nine header lines; then a record is "hh:mm:ss:mmm" and the name at
        // column 14, padded with blanks.
        if (++line <= 9 || text.size() < 14 + name.size() + 1) continue;
        if (text.compare(14, name.size() + 1, name + " ") != 0) continue;
        int h = 0, m = 0, s = 0, ms = 0;
        if (std::sscanf(text.c_str(), "%2d:%2d:%2d:%3d", &h, &m, &s, &ms) != 4) continue;
        double t = ((h * 60.0 + m) * 60.0 + s) * 1000.0 + ms + dayOffset;
        if (!out.empty() && t < out.back() - 43200000.0) {  // past midnight
            dayOffset += 86400000.0;
            t += 86400000.0;
        }
        out.push_back(t);
    }
    return out;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    std::size_t rank = static_cast<std::size_t>(std::ceil(p * static_cast<double>(v.size())));
    rank = std::min(std::max<std::size_t>(rank, 1), v.size());
    return v[rank - 1];
}

PacingFigures pacingFigures(const std::vector<double>& t, double intervalMs) {
    PacingFigures f;
    f.records = t.size();
    if (t.size() < 2) return f;
    std::vector<double> absolute;
    std::size_t within = 0;
    for (std::size_t k = 0; k < t.size(); ++k) {
        const double offset = t[k] - (t[0] + static_cast<double>(k) * intervalMs);
        absolute.push_back(std::fabs(offset));
        // The stamps are whole milliseconds: within 1 ms is |offset| <= 1.
        if (std::fabs(offset) <= 1.0) ++within;
    }
    f.p50 = percentile(absolute, 0.50);
    f.p99 = percentile(absolute, 0.99);
    f.maxOffset = *std::max_element(absolute.begin(), absolute.end());
    f.withinOneMs = static_cast<double>(within) / static_cast<double>(t.size());
    f.drift = t.back() - (t.front() + static_cast<double>(t.size() - 1) * intervalMs);
    f.meanPeriod = (t.back() - t.front()) / static_cast<double>(t.size() - 1);
    std::vector<double> periodError;
    for (std::size_t k = 1; k < t.size(); ++k) periodError.push_back(std::fabs(t[k] - t[k - 1] - intervalMs));
    f.periodP50 = percentile(periodError, 0.50);
    f.periodP99 = percentile(periodError, 0.99);
    f.periodMax = *std::max_element(periodError.begin(), periodError.end());
    return f;
}
