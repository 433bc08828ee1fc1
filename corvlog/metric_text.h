// The text of Prometheus' two input formats, shared by `openmetrics`
// (OpenMetrics 1.0 with timestamps, for backfill) and `follow` (the text
// format 0.0.4 of the textfile collectors): metric names, label sets,
// figures in base units and absolute times.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "corvlog/log_lines.h"

namespace corvlog {

constexpr std::string_view CPU_METRIC = "corvane_process_cpu_utilization_ratio";
constexpr std::string_view MEMORY_METRIC = "corvane_process_resident_memory_bytes";
constexpr std::string_view MACHINE_MEMORY_METRIC = "corvane_machine_memory_bytes";
constexpr std::string_view MACHINE_CLOCK_METRIC = "corvane_machine_cpu_clock_hertz";

// "# HELP name ...\n# TYPE name gauge\n" for one of the four families.
std::string familyHead(std::string_view metric);

// A label value with \\, \" and \n escaped (UTF-8 in, UTF-8 out).
void appendLabelValue(std::string& out, std::string_view utf8);

// A label name Prometheus takes: [a-zA-Z_][a-zA-Z0-9_]*, not starting with
// "__" and not one of the labels corvlog sets itself.
bool usableLabelName(std::string_view name);

// `,name="value"` for each extra label, ready to follow the own labels.
std::string extraLabels(const std::vector<std::pair<std::string, std::string>>& labels);

// The process's labels without braces: process="...",series="n" plus `extra`.
// `cp1252Name` is the log's name, converted to UTF-8 here.
std::string processLabels(std::string_view cp1252Name, std::int32_t series, std::string_view extra);

// CPU percent as the exact ratio: 12 -> "0.12", 100 -> "1", 5 -> "0.05".
void appendPercentRatio(std::string& out, std::int32_t percent);
// KB as bytes: KB * 1024.
void appendKilobytes(std::string& out, std::int32_t kilobytes);
void appendInteger(std::string& out, std::int64_t value);
// Unix milliseconds as seconds with three decimals: "1765267518.212".
void appendSeconds(std::string& out, std::int64_t unixMs);

// The header's machine facts in base units.
std::int64_t machineMemoryBytes(const LogHeader& header);
std::int64_t machineClockHertz(const LogHeader& header);

// Local date-times of a log made absolute (Unix milliseconds): with a fixed
// offset from UTC, or with the zone of this machine (including its summer
// time rules) when none is given. The zone is asked once per local minute.
struct LocalClock {
    bool fixedOffset = false;
    std::int64_t offsetMs = 0;                           // local - UTC, when fixed
    std::map<std::int64_t, std::int64_t> minuteOffsets;  // local minute -> offset, this machine's zone
    std::int64_t lastMinute = INT64_MIN, lastOffsetMs = 0;

    // `ms` after midnight of the header's date.
    std::int64_t unixMs(const LogHeader& header, std::int64_t ms);
};

// "+01:00", "-05:30", "+00:00" -> minutes east of UTC. False when not that form
// or beyond ±18:00.
bool parseUtcOffset(std::string_view text, std::int64_t& minutes);

}  // namespace corvlog
