// Figures of a headless session's pacing, from the record time stamps of its
// log: how far each written pass starts from its schedule (first written
// pass + k x interval) and where the session ends up.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct PacingFigures {
    std::size_t records = 0;
    double p50 = 0, p99 = 0, maxOffset = 0;  // of |offset|, ms
    double withinOneMs = 0;                  // share of passes with |offset| <= 1 ms, 0..1
    double drift = 0;                        // offset of the last record, ms
    double meanPeriod = 0;                   // ms
    // |period - interval| between consecutive records: how evenly the passes
    // follow each other, whatever the schedule did before (a pass that
    // overruns moves the whole schedule on, and every later offset with it).
    double periodP50 = 0, periodP99 = 0, periodMax = 0;
};

// Milliseconds of the day of every record of process `name` in the log
// bytes, in file order; a record after midnight counts on from 24:00.
std::vector<double> recordTimes(const std::string& logBytes, const std::string& name);

// Nearest-rank percentile: the smallest value with at least the share p of
// all values at or below it. 0 for no values.
double percentile(std::vector<double> values, double p);

// At least two records give figures; fewer give records only.
PacingFigures pacingFigures(const std::vector<double>& times, double intervalMs);
