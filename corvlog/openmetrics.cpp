// openmetrics: every record as OpenMetrics 1.0 samples with timestamps, for
// `promtool tsdb create-blocks-from openmetrics`. The format wants each
// family together and each series' points together in time order, while a
// log interleaves them pass by pass: the points are held (16 bytes per
// record) and written family by family.
#include <algorithm>
#include <filesystem>
#include <map>
#include <utility>
#include <vector>

#include "corvlog/log_walk.h"
#include "corvlog/metric_text.h"

namespace corvlog {

namespace {

struct Point {
    std::int64_t unixMs;
    std::int32_t cpuPercent;
    std::int32_t ramKB;
};

struct MachinePoint {
    std::int64_t unixMs;
    std::int64_t memoryBytes;
    std::int64_t clockHertz;
};

struct Series {
    std::string labels;  // within the braces
    std::vector<Point> points;
    bool ordered = true;
};

// Prometheus holds one value per series and millisecond, and promtool
// refuses a whole file that gives two. Points are put in time order (logs
// may be named in any order) and of points that share a millisecond the
// first read is kept. Returns how many were dropped.
template <typename P>
std::size_t orderPoints(std::vector<P>& points, bool ordered) {
    if (!ordered)
        std::stable_sort(points.begin(), points.end(), [](const P& a, const P& b) { return a.unixMs < b.unixMs; });
    const auto last =
        std::unique(points.begin(), points.end(), [](const P& a, const P& b) { return a.unixMs == b.unixMs; });
    const auto dropped = static_cast<std::size_t>(points.end() - last);
    points.erase(last, points.end());
    return dropped;
}

// The smallest record a log holds: time, two blanks, the name padded to 35,
// "  0% CPU", the working set in 17, " KB RAM", CR LF and the empty line.
constexpr std::uint64_t SMALLEST_RECORD_BYTES = 12 + 2 + 35 + 3 + 5 + 17 + 7 + 4;

void flushInto(Output& out, std::string& text) {
    if (text.size() >= (1 << 16)) {
        // Straight to the file: the text is large and already whole lines.
        if (!out.pending.empty())
            put(out, text);
        else if (std::fwrite(text.data(), 1, text.size(), out.file) != text.size())
            out.failed = true;
        text.clear();
    }
}

}  // namespace

int runOpenMetrics(const Options& options) {
    Output out;
    LocalClock clock;
    clock.fixedOffset = options.utcOffsetGiven;
    clock.offsetMs = options.utcOffsetMinutes * 60'000;
    const std::string extra = extraLabels(options.labels);

    std::vector<Series> series;
    std::map<std::pair<std::string, std::int32_t>, std::size_t> seriesByName;
    std::vector<MachinePoint> machine;
    bool machineOrdered = true;
    LogReader reader;
    for (const std::string& path : options.logs) {
        reader = LogReader{};
        if (!openLogFile(reader, path)) return inputFailed(reader, nullptr);
        const std::int64_t memoryBytes = machineMemoryBytes(reader.header);
        const std::int64_t clockHertz = machineClockHertz(reader.header);
        // A file's size bounds its records: each series gets its room at once.
        std::error_code ec;
        const std::uintmax_t bytes = path == "-" ? 0 : std::filesystem::file_size(path, ec);
        const std::uint64_t mostRecords = ec ? 0 : bytes / SMALLEST_RECORD_BYTES + 1;
        std::vector<std::size_t> byPlace;
        LogRecord rec;
        ReadResult result;
        std::int64_t records = 0;
        while ((result = nextRecord(reader, rec)) == ReadResult::record) {
            ++records;
            std::size_t& slot = seriesSlot(byPlace, rec.place);
            if (slot == SIZE_MAX) {
                const auto [at, added] = seriesByName.try_emplace({rec.name, rec.series}, series.size());
                if (added) series.push_back(Series{processLabels(rec.name, rec.series, extra), {}, true});
                slot = at->second;
                std::vector<Point>& points = series[slot].points;
                if (mostRecords > 0 && reader.passLength > 0)
                    points.reserve(points.size() + static_cast<std::size_t>(mostRecords / reader.passLength + 1));
            }
            const std::int64_t unixMs = clock.unixMs(reader.header, rec.timeMs);
            Series& s = series[slot];
            if (!s.points.empty() && s.points.back().unixMs > unixMs) s.ordered = false;
            s.points.push_back(Point{unixMs, rec.cpuPercent, rec.ramKB});
            if (rec.place == 0) {
                if (!machine.empty() && machine.back().unixMs > unixMs) machineOrdered = false;
                machine.push_back(MachinePoint{unixMs, memoryBytes, clockHertz});
            }
        }
        closeLogFile(reader);
        if (result == ReadResult::failed) return inputFailed(reader, nullptr);
        finishLog(reader, records);
    }

    std::size_t dropped = 0;
    for (Series& s : series) dropped += orderPoints(s.points, s.ordered);
    orderPoints(machine, machineOrdered);
    if (dropped > 0) {
        report(std::to_string(dropped) +
               " records left out: a series had two records in one millisecond (the first is kept)");
    }

    if (!startOutput(out, options)) return EXIT_INPUT;
    std::string text;
    for (const std::string_view metric : {CPU_METRIC, MEMORY_METRIC}) {
        text += familyHead(metric);
        for (const Series& s : series) {
            for (const Point& p : s.points) {
                text += metric;
                text += '{';
                text += s.labels;
                text += "} ";
                if (metric == CPU_METRIC)
                    appendPercentRatio(text, p.cpuPercent);
                else
                    appendKilobytes(text, p.ramKB);
                text += ' ';
                appendSeconds(text, p.unixMs);
                text += '\n';
                flushInto(out, text);
            }
        }
    }
    const std::string machineLabels = extra.empty() ? std::string() : "{" + extra.substr(1) + "}";
    for (const std::string_view metric : {MACHINE_MEMORY_METRIC, MACHINE_CLOCK_METRIC}) {
        text += familyHead(metric);
        for (const MachinePoint& p : machine) {
            text += metric;
            text += machineLabels;
            text += ' ';
            appendInteger(text, metric == MACHINE_MEMORY_METRIC ? p.memoryBytes : p.clockHertz);
            text += ' ';
            appendSeconds(text, p.unixMs);
            text += '\n';
            flushInto(out, text);
        }
    }
    text += "# EOF\n";
    put(out, text);
    if (!closeOutput(out, true)) {
        report((options.output.empty() ? std::string("standard output") : options.output) + ": cannot write");
        return EXIT_INPUT;
    }
    return 0;
}

}  // namespace corvlog
