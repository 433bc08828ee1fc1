// csv and json: every record as a row or a JSON object, streamed.
#include <cmath>

#include "corvlog/calendar.h"
#include "corvlog/cp1252.h"
#include "corvlog/log_walk.h"

namespace corvlog {

namespace {

enum class Format { csv, json };

std::string headerObject(const LogHeader& h, const std::string& file) {
    return "{\"type\":\"header\",\"file\":" + jsonString(file) +
           ",\"date\":\"" + isoDate(h.year, h.month, h.day) + "\",\"start\":\"" +
           isoDateTime(h.year, h.month, h.day, h.startMs).substr(0, 19) +
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
    std::int64_t total = 0;
    LogReader reader;
    std::string line, name;
    for (const std::string& path : options.logs) {
        reader = LogReader{};
        if (!openLogFile(reader, path)) return inputFailed(reader, &out);
        const std::string file = shownPath(path);
        const std::string fileField = format == Format::csv ? csvField(file, options.separator) : jsonString(file);
        if (format == Format::json) put(out, headerObject(reader.header, file));
        LogRecord rec;
        ReadResult result;
        std::int64_t records = 0;
        std::string lastName = "\x01";
        while ((result = nextRecord(reader, rec)) == ReadResult::record) {
            ++records;
            if (rec.name != lastName) {  // one conversion per change of name
                lastName = rec.name;
                const std::string utf8 = cp1252ToUtf8(rec.name);
                name = format == Format::csv ? csvField(utf8, options.separator) : jsonString(utf8);
            }
            const std::string time = recordTime(reader.header, rec.timeMs);
            if (format == Format::csv) {
                line = time;
                line += sep + name + sep + std::to_string(rec.series) + sep + std::to_string(rec.cpuPercent) + sep +
                        std::to_string(rec.ramKB) + sep + fileField + "\r\n";
            } else {
                line = "{\"type\":\"record\",\"time\":\"" + time + "\",\"process\":" + name +
                       ",\"series\":" + std::to_string(rec.series) + ",\"cpu_percent\":" +
                       std::to_string(rec.cpuPercent) + ",\"ram_kb\":" + std::to_string(rec.ramKB) +
                       ",\"file\":" + fileField + "}\n";
            }
            put(out, line);
        }
        closeLogFile(reader);
        if (result == ReadResult::failed) return inputFailed(reader, &out);
        finishLog(reader, records);
        total += records;
    }
    if (total == 0) return nothingToRead(reader, &out);
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
