// Writing corvlog's results: the output file (or standard output) and the
// small formatting rules of CSV, JSON and figures.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "corvlog/log_reader.h"

namespace corvlog {

// The output of a run. A file named by -o is written as a new file beside
// it and renamed over it only when the run succeeded, so a failed run leaves
// whatever was at that path as it was; a device or pipe (/dev/null, NUL) is
// written in place.
struct Output {
    std::FILE* file = nullptr;
    std::string path;       // empty: standard output
    std::string target;     // the file the output replaces (symbolic links followed)
    std::string temporary;  // the file written, beside `target`; empty: written in place
    std::string pending;
    bool failed = false;

    Output() = default;
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    ~Output();  // a run that never closed its output leaves the target as it was
};

// Empty `path`: standard output (in binary mode). False: `error`.
bool openOutput(Output& out, const std::string& path, std::string& error);
void put(Output& out, std::string_view text);
// Writes what is pending and closes. `keep` true puts the output in the
// target's place; `keep` false (a failed run) removes it and leaves the
// target untouched. False when writing or renaming failed.
bool closeOutput(Output& out, bool keep);

// Whether the output path names the same file (by identity: device and
// inode, volume and file index) as one of the logs, or as the file that
// standard input reads when a log is "-" (or may be: a disk file whose
// identity the system does not give, as under Wine). `why` says so: "is
// the log Log.txt".
bool outputIsALog(const std::string& output, const std::vector<std::string>& logs, std::string& why);

// RFC 4180: quoted (quotes doubled) when the text holds the separator, a
// quote, a CR or an LF.
std::string csvField(std::string_view text, char separator);
// A JSON string literal of UTF-8 text.
std::string jsonString(std::string_view text);
// The shortest decimal that reads back as `value`; "null" when not finite.
std::string jsonNumber(double value);

// numerator / denominator (denominator > 0) rounded to the nearest integer,
// halves to even, exactly.
std::int64_t nearestRatio(std::int64_t numerator, std::int64_t denominator);
// The same to one decimal place: "12.3", "-0.5".
std::string tenths(std::int64_t numerator, std::int64_t denominator);
// The nearest integer of a double, halves to even.
std::int64_t nearestInteger(double value);

// The record's local date-time with milliseconds.
std::string recordTime(const LogHeader& header, std::int64_t ms);

// Messages. "corvlog: <text>" on standard error.
void report(const std::string& text);

// The path of a log as the outputs name it (UTF-8).
std::string shownPath(const std::string& path);

}  // namespace corvlog
