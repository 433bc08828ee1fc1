// Writing corvlog's results: the output file (or standard output) and the
// small formatting rules of CSV, JSON and figures.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "corvlog/log_reader.h"

namespace corvlog {

struct Output {
    std::FILE* file = nullptr;
    std::string path;  // empty: standard output
    std::string pending;
    bool failed = false;
};

// Empty `path`: standard output (in binary mode). False: `error`.
bool openOutput(Output& out, const std::string& path, std::string& error);
void put(Output& out, std::string_view text);
// Writes what is pending and closes. `keep` false removes a file named by
// -o, so a failed run leaves no half output. False when writing failed.
bool closeOutput(Output& out, bool keep);

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
