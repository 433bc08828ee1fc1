// The log file writer: byte-exact text in zones of 14 columns, CR LF line
// ends, Windows-1252 bytes written unchanged.
//
// Text is gathered in memory and reaches the file in whole pieces: the
// header at once, each record (its line and the empty line after it) with
// one write. The file is unbuffered, so a log cut short by a crash or a kill
// holds the header and whole records only.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

constexpr std::int32_t ZONE_WIDTH = 14;
constexpr std::int32_t NAME_WIDTH = 35;

struct LogWriter {
    std::FILE* file = nullptr;  // null when the file could not be opened
    std::int32_t column = 0;    // bytes since the last CR or LF
    std::string pending;        // text not yet handed to the file
};

// Creates or truncates `path` for binary writing. A file that cannot be
// opened leaves writer.file null: everything written is then dropped.
void openLog(LogWriter& writer, const std::string& path);
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
