// csv and json: every record as a row or a JSON object, streamed.
#include <charconv>
#include <cmath>
#include <vector>

#include "corvlog/calendar.h"
#include "corvlog/cp1252.h"
#include "corvlog/log_walk.h"

namespace corvlog {

namespace {

void appendNumber(std::string& out, std::int64_t value) {
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

// "hh:mm:ss.mmm" of a time within its day.
void appendClockTime(std::string& out, std::int64_t ms) {
    const std::int64_t parts[4] = {ms / 3'600'000, ms / 60'000 % 60, ms / 1000 % 60, ms % 1000};
    char text[12] = {};
    text[0] = static_cast<char>('0' + parts[0] / 10), text[1] = static_cast<char>('0' + parts[0] % 10);
    text[2] = ':';
    text[3] = static_cast<char>('0' + parts[1] / 10), text[4] = static_cast<char>('0' + parts[1] % 10);
    text[5] = ':';
    text[6] = static_cast<char>('0' + parts[2] / 10), text[7] = static_cast<char>('0' + parts[2] % 10);
    text[8] = '.';
    text[9] = static_cast<char>('0' + parts[3] / 100), text[10] = static_cast<char>('0' + parts[3] / 10 % 10);
    text[11] = static_cast<char>('0' + parts[3] % 10);
    out.append(text, 12);
}

enum class Format { csv, json };

std::string headerObject(const LogHeader& h, const std::string& file) {
    return "{\"type\":\"header\",\"file\":" + jsonString(file) + ",\"date\":\"" + isoDate(h.year, h.month, h.day) +
           "\",\"start\":\"" + isoDateTime(h.year, h.month, h.day, h.startMs).substr(0, 19) +
           "\",\"duration_s\":" + jsonNumber(h.durationSeconds) +
           ",\"duration_text\":" + jsonString(cp1252ToUtf8(h.durationText)) +
           ",\"interval_ms\":" + jsonNumber(h.intervalMs) +
           ",\"interval_text\":" + jsonString(cp1252ToUtf8(h.intervalText)) +
           ",\"cpu_clock_ghz\":" + jsonNumber(h.clockGHz) + ",\"total_memory_mb\":" + std::to_string(h.memoryMB) +
           "}\n";
}

int convert(const Options& options, Format format) {
    Output out;
    if (!startOutput(out, options)) return EXIT_INPUT;
    const std::string sep(1, options.separator);
    if (format == Format::csv) {
        put(out, "time" + sep + "process" + sep + "series" + sep + "cpu_percent" + sep + "ram_kb" + sep + "file\r\n");
    }
    LogReader reader;
    std::string line;
    for (const std::string& path : options.logs) {
        reader = LogReader{};
        if (!openLogFile(reader, path)) return inputFailed(reader, &out);
        const std::string file = shownPath(path);
        const std::string fileField = format == Format::csv ? csvField(file, options.separator) : jsonString(file);
        if (format == Format::json) put(out, headerObject(reader.header, file));
        LogRecord rec;
        ReadResult result;
        std::int64_t records = 0;
        // A pass repeats its names: each place's field is made once; the
        // date part of the time once a day.
        std::vector<std::string> names;
        std::int64_t day = -1;
        std::string datePart;
        while ((result = nextRecord(reader, rec)) == ReadResult::record) {
            ++records;
            const auto place = static_cast<std::size_t>(rec.place);
            if (place >= names.size()) names.resize(place + 1);
            if (names[place].empty()) {
                const std::string utf8 = cp1252ToUtf8(rec.name);
                names[place] = format == Format::csv ? csvField(utf8, options.separator) : jsonString(utf8);
            }
            if (rec.timeMs / MS_PER_DAY != day) {
                day = rec.timeMs / MS_PER_DAY;
                datePart = recordTime(reader.header, day * MS_PER_DAY).substr(0, 11);  // "2026-12-09T"
            }
            line.clear();
            if (format == Format::json) line += "{\"type\":\"record\",\"time\":\"";
            line += datePart;
            appendClockTime(line, rec.timeMs % MS_PER_DAY);
            if (format == Format::csv) {
                line += sep;
                line += names[place];
                line += sep;
                appendNumber(line, rec.series);
                line += sep;
                appendNumber(line, rec.cpuPercent);
                line += sep;
                appendNumber(line, rec.ramKB);
                line += sep;
                line += fileField;
                line += "\r\n";
            } else {
                line += "\",\"process\":";
                line += names[place];
                line += ",\"series\":";
                appendNumber(line, rec.series);
                line += ",\"cpu_percent\":";
                appendNumber(line, rec.cpuPercent);
                line += ",\"ram_kb\":";
                appendNumber(line, rec.ramKB);
                line += ",\"file\":";
                line += fileField;
                line += "}\n";
            }
            put(out, line);
        }
        closeLogFile(reader);
        if (result == ReadResult::failed) return inputFailed(reader, &out);
        finishLog(reader, records);
    }
    if (!closeOutput(out, true)) {
        report((options.output.empty() ? std::string("standard output") : options.output) + ": cannot write");
        return EXIT_INPUT;
    }
    return 0;
}

}  // namespace

int runCsv(const Options& options) { return convert(options, Format::csv); }
int runJson(const Options& options) { return convert(options, Format::json); }

}  // namespace corvlog
