// The two kinds of line in a Corvane log, taken apart: the nine header lines
// and one record line. Pure functions over bytes (Windows-1252, without the
// line end), shared by the reader, its tests and the fuzz target.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvlog {

constexpr std::int64_t MS_PER_DAY = 86'400'000;
constexpr std::size_t HEADER_LINES = 9;

struct LogHeader {
    int year = 0, month = 0, day = 0;  // the date the session started
    std::int64_t startMs = 0;          // its time of day (whole seconds), ms after midnight
    std::string durationText;          // as written, without the alignment
    std::string intervalText;
    double durationSeconds = 0;  // their values, read as the monitor reads them
    double intervalMs = 0;
    std::string clockText;  // "2.39"
    double clockGHz = 0;
    std::int64_t memoryMB = 0;
};

// Checks header line `number` (1..9) and takes its facts into `header`.
// On failure `why` says what is wrong, in a few words.
bool parseHeaderLine(std::size_t number, std::string_view line, LogHeader& header, std::string& why);

struct RecordLine {
    std::int64_t timeOfDayMs = 0;  // hh:mm:ss:mmm
    std::string_view name;         // without its padding; points into the line
    std::int32_t cpuPercent = 0;
    std::int32_t ramKB = 0;
};

// Takes one record line apart, from its right end: " KB RAM", the working
// set right-aligned in at least 17 columns, "% CPU", the CPU share
// right-aligned in at least 3, and before that the name padded to at least
// 35 columns behind the time stamp and two spaces. Names may hold blanks,
// digits and "% CPU" themselves.
bool parseRecordLine(std::string_view line, RecordLine& record, std::string& why);

// A text fit for a one-line message: at most `limit` bytes, controls shown
// as '?', Windows-1252 converted to UTF-8.
std::string messageText(std::string_view bytes, std::size_t limit = 40);

}  // namespace corvlog
