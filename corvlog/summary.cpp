// summary: per series, its samples, time span, CPU and working-set figures,
// the working set's growth per hour and whether the process ended.
#include <algorithm>
#include <functional>

#include "corvlog/calendar.h"
#include "corvlog/cp1252.h"
#include "corvlog/log_walk.h"
#include "corvlog/series_stats.h"
#include "os/terminal_text.h"

namespace corvlog {

// What summary keeps: the figures of every series, at most this many bytes
// (a series takes about 250 bytes, and 8 KB more with shares up to 999 %; a
// crafted log can reach it with many series of many different shares).
constexpr std::size_t MAX_SUMMARY_BYTES = 64 << 20;

namespace {

struct Row {
    std::vector<std::string> cells;
};

const std::vector<std::string> COLUMNS = {
    "file",     "process", "series",  "samples",    "first",       "last",       "cpu_min",
    "cpu_mean", "cpu_p95", "cpu_max", "ram_min_kb", "ram_mean_kb", "ram_max_kb", "ram_growth_kb_per_h",
    "ended"};
const std::vector<std::string> TABLE_HEADINGS = {"file",       "process",  "#",    "samples", "first",
                                                 "last",       "CPU% min", "mean", "p95",     "max",
                                                 "RAM KB min", "mean",     "max",  "KB/h",    "ended"};

Row rowOf(const SeriesStats& s, const LogHeader& h, const std::string& file) {
    Row row;
    double growth = 0;
    std::int64_t endedAt = 0;
    const bool hasGrowth = ramGrowthPerHour(s, growth);
    const bool isEnded = ended(s, endedAt);
    row.cells = {file,
                 cp1252ToUtf8(s.name),
                 std::to_string(s.series),
                 std::to_string(s.samples),
                 recordTime(h, s.firstMs),
                 recordTime(h, s.lastMs),
                 std::to_string(s.cpuMin),
                 tenths(s.cpuSum, s.living),
                 std::to_string(cpuP95(s)),
                 std::to_string(s.cpuMax),
                 std::to_string(s.ramMin),
                 std::to_string(nearestRatio(s.ramSum, s.living)),
                 std::to_string(s.ramMax),
                 hasGrowth ? std::to_string(nearestInteger(growth)) : std::string(),
                 isEnded ? recordTime(h, endedAt) : std::string()};
    return row;
}

// The memory a series' figures take (the counts of its CPU shares grow
// with the shares it saw).
constexpr std::size_t SHARE_NODE_BYTES = 64;  // one entry of cpuOther, with the allocator's share
std::size_t tableBytes(const SeriesStats& s) {
    return sizeof(SeriesStats) + s.name.capacity() + s.cpuCounts.capacity() * sizeof(std::uint64_t) +
           s.cpuOther.size() * SHARE_NODE_BYTES;
}

// The rows are made twice (for the widths, then to write them) rather than
// kept: a row's texts take more than the series' figures.
using RowOf = std::function<Row(std::size_t)>;

void writeTable(Output& out, std::size_t count, const RowOf& rowAt, bool withFile, bool terminal) {
    const std::size_t first = withFile ? 0 : 1;
    std::vector<std::size_t> width(COLUMNS.size(), 0);
    for (std::size_t c = first; c < COLUMNS.size(); ++c) width[c] = utf8Length(TABLE_HEADINGS[c]);
    for (std::size_t i = 0; i < count; ++i) {
        const Row r = rowAt(i);
        for (std::size_t c = first; c < COLUMNS.size(); ++c) {
            const std::string& cell = r.cells[c].empty() ? "-" : r.cells[c];
            width[c] = std::max(width[c], utf8Length(cell));
        }
    }
    const auto line = [&](const std::vector<std::string>& cells) {
        std::string text;
        for (std::size_t c = first; c < COLUMNS.size(); ++c) {
            const std::string& cell = cells[c].empty() ? "-" : cells[c];
            const std::string pad(width[c] - utf8Length(cell), ' ');
            const bool left = c <= 1 || c == COLUMNS.size() - 1;
            if (c > first) text += "  ";
            text += left ? cell + pad : pad + cell;
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        put(out, terminal ? os::toTerminalText(text + "\n") : text + "\n");
    };
    line(TABLE_HEADINGS);
    for (std::size_t i = 0; i < count; ++i) line(rowAt(i).cells);
}

}  // namespace

int runSummary(const Options& options) {
    Output out;
    if (!startOutput(out, options)) return EXIT_INPUT;
    std::vector<SeriesStats> series;
    std::vector<LogHeader> headers;
    std::vector<std::string> files;
    std::vector<std::size_t> byPlace;  // this file's series by their place in a pass
    std::size_t tables = 0;            // the bytes the series' figures take
    LogReader reader;
    for (std::size_t f = 0; f < options.logs.size(); ++f) {
        reader = LogReader{};
        if (!openLogFile(reader, options.logs[f])) return inputFailed(reader, &out);
        headers.push_back(reader.header);
        files.push_back(shownPath(options.logs[f]));
        byPlace.clear();
        LogRecord rec;
        ReadResult result;
        std::int64_t records = 0;
        while ((result = nextRecord(reader, rec)) == ReadResult::record) {
            ++records;
            std::size_t& slot = seriesSlot(byPlace, rec.place);
            const bool fresh = slot == SIZE_MAX;
            if (fresh) {
                slot = series.size();
                SeriesStats s;
                s.file = f;
                s.name = rec.name;
                s.series = rec.series;
                series.push_back(std::move(s));
            }
            SeriesStats& s = series[slot];
            const std::size_t before = fresh ? 0 : tableBytes(s);
            addSample(s, rec.timeMs, rec.cpuPercent, rec.ramKB);
            tables += tableBytes(s) - before;
            if (tables > MAX_SUMMARY_BYTES) {
                reader.error = reader.path + ":" + std::to_string(rec.line) + ": the figures of " +
                               std::to_string(series.size()) + " series take more than " +
                               std::to_string(MAX_SUMMARY_BYTES >> 20) +
                               " MB, summary's limit; csv and json take any number";
                closeLogFile(reader);
                return inputFailed(reader, &out);
            }
            if (s.tooManyShares) {
                reader.error = reader.path + ":" + std::to_string(rec.line) + ": more than " +
                               std::to_string(MAX_OTHER_SHARES) + " different CPU shares outside 0-" +
                               std::to_string(COUNTED_SHARES - 1) + " %, not a Corvane log";
                closeLogFile(reader);
                return inputFailed(reader, &out);
            }
        }
        closeLogFile(reader);
        if (result == ReadResult::failed) return inputFailed(reader, &out);
        finishLog(reader, records);
    }

    const RowOf rowAt = [&](std::size_t i) { return rowOf(series[i], headers[series[i].file], files[series[i].file]); };
    if (options.csv) {
        std::string head;
        for (std::size_t c = 0; c < COLUMNS.size(); ++c) head += (c ? "," : "") + COLUMNS[c];
        put(out, head + "\r\n");
        for (std::size_t i = 0; i < series.size(); ++i) {
            const Row r = rowAt(i);
            std::string text;
            for (std::size_t c = 0; c < r.cells.size(); ++c) text += (c ? "," : "") + csvField(r.cells[c], ',');
            put(out, text + "\r\n");
        }
    } else {
        writeTable(out, series.size(), rowAt, options.logs.size() > 1, options.output.empty());
    }
    if (!closeOutput(out, true)) {
        report((options.output.empty() ? std::string("standard output") : options.output) + ": cannot write");
        return EXIT_INPUT;
    }
    return 0;
}

}  // namespace corvlog
