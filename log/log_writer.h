// The log file writer: byte-exact text in zones of 14 columns, CR LF line
// ends, Windows-1252 bytes written unchanged.
//
// Text is gathered in memory and reaches the file in whole pieces: the
// header at once, each record (its line and the empty line after it) with
// one write. The file is unbuffered, so a log cut short by a crash or a kill
// between two writes holds the header and whole records only. A kill amid a
// write can still cut that one piece: the system copies a write into the
// file page by page and stops at a fatal signal between pages (Linux checks
// before each page), so a record whose write spans a 4096-byte boundary of
// the file may end at that boundary. Such a file ends mid-line at a multiple
// of the page size; everything before its last record is whole.
//
// Every call's result is checked. The first failure (the file cannot be
// created, a write or the close fails) is kept with the system's reason; a
// write that failed part-way is cut off again, so the file keeps what it held
// before, and nothing more is written to it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

constexpr std::int32_t ZONE_WIDTH = 14;
constexpr std::int32_t NAME_WIDTH = 35;

struct LogWriter {
    std::FILE* file = nullptr;    // null when the file could not be opened, or after a failure
    std::int32_t column = 0;      // bytes since the last CR or LF
    std::string pending;          // text not yet handed to the file
    std::uint64_t committed = 0;  // bytes the file holds: header and whole records
    bool failed = false;          // the file could not be created or written
    int failure = 0;              // the system's error number of the first failure
};

// Creates or truncates `path` for binary writing. A file that cannot be
// opened leaves writer.file null and the writer failed: everything written
// is then dropped.
void openLog(LogWriter& writer, const std::string& path);
// Marks the writer failed for `error` (an errno value), unless it failed
// before, and drops the file; what it holds is kept.
void failLog(LogWriter& writer, int error);
// The system's text for the writer's failure.
std::string logFailureText(const LogWriter& writer);
// Writes what is pending and closes the file.
void closeLog(LogWriter& writer);
// Hands the pending text to the file in one write.
void commitLog(LogWriter& writer);
// commitLog, then flushes the file to the system.
void flushLog(LogWriter& writer);

void writeText(LogWriter& writer, std::string_view text);
void padToZone(LogWriter& writer);
void endLine(LogWriter& writer);

// (width - length) spaces, then the text; never cut.
std::string rightAlign(std::string_view text, std::int32_t width);
// The text, then spaces up to `width`; never cut.
std::string padRight(std::string_view text, std::int32_t width);

// The nine header lines, with the current local date and time.
void writeLogHeader(LogWriter& writer);
// One record of processTable row `row` and the empty line after it, with the
// current local time. A row the table does not have writes nothing.
void writeSampleRecord(LogWriter& writer, std::int32_t row);
