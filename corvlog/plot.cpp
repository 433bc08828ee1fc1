// plot: every series of the logs thinned into time slots as they stream
// past, then drawn as one SVG chart.
#include "corvlog/chart_bins.h"
#include "corvlog/log_walk.h"
#include "corvlog/svg_chart.h"

namespace corvlog {

constexpr std::size_t MAX_PLOT_SERIES = 200;

int runPlot(const Options& options) {
    std::vector<ChartFile> files;
    std::vector<ChartSeries> series;
    std::vector<std::size_t> byPlace;
    LogReader reader;
    for (std::size_t f = 0; f < options.logs.size(); ++f) {
        reader = LogReader{};
        if (!openLogFile(reader, options.logs[f])) return inputFailed(reader, nullptr);
        files.push_back({shownPath(options.logs[f]), reader.header});
        byPlace.clear();
        LogRecord rec;
        ReadResult result;
        std::int64_t records = 0;
        while ((result = nextRecord(reader, rec)) == ReadResult::record) {
            ++records;
            std::size_t& slot = seriesSlot(byPlace, rec.place);
            if (slot == SIZE_MAX) {
                // Each series keeps its slots (40 KB); more lines than this
                // make no chart a person can read.
                if (series.size() == MAX_PLOT_SERIES) {
                    closeLogFile(reader);
                    report(reader.path + ":" + std::to_string(rec.line) + ": more than " +
                           std::to_string(MAX_PLOT_SERIES) + " series to draw; summary and csv take any number");
                    return EXIT_INPUT;
                }
                slot = series.size();
                ChartSeries s;
                s.file = f;
                s.name = rec.name;
                s.series = rec.series;
                series.push_back(std::move(s));
            }
            addChartSample(series[slot], rec.timeMs - reader.header.startMs, rec.cpuPercent, rec.ramKB);
        }
        closeLogFile(reader);
        if (result == ReadResult::failed) return inputFailed(reader, nullptr);
        finishLog(reader, records);
    }

    ChartLayout layout;
    layout.width = options.width;
    layout.height = options.height;
    layout.overlay = options.overlay;
    const std::string svg = drawChart(files, series, layout);
    Output out;
    if (!startOutput(out, options)) return EXIT_INPUT;
    put(out, svg);
    if (!closeOutput(out, true)) {
        report(options.output + ": cannot write");
        return EXIT_INPUT;
    }
    return 0;
}

}  // namespace corvlog
