#include "corvlog/svg_chart.h"

#include <algorithm>
#include <cmath>

#include "corvlog/calendar.h"
#include "corvlog/cp1252.h"
#include "corvlog/output_text.h"
#include "figures/rounding.h"

namespace corvlog {

namespace {

constexpr const char* PALETTE[] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e", "#9467bd",
                                   "#8c564b", "#e377c2", "#17becf", "#bcbd22", "#7f7f7f"};
constexpr int LEFT = 72, RIGHT = 24, LINE = 16;

std::string num(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", rounding::nearest(v * 10) / 10);
    std::string s = text;
    if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
    return s == "-0" ? "0" : s;
}

std::string figureText(double v) {
    if (v == std::floor(v) && std::fabs(v) < 1e15) return std::to_string(static_cast<long long>(v));
    return num(v);
}

// Steps of the time axis, ms.
constexpr std::int64_t TIME_STEPS[] = {1,        2,        5,        10,        20,       50,      100,     200,
                                       500,      1000,     2000,     5000,      10000,    15000,   30000,   60000,
                                       120000,   300000,   600000,   900000,    1800000,  3600000, 7200000, 10800000,
                                       21600000, 43200000, 86400000, 172800000, 604800000};

std::string timeLabel(std::int64_t ms, std::int64_t step, bool elapsed) {
    std::string text;
    if (elapsed) {
        const std::int64_t h = ms / 3600000, m = ms / 60000 % 60, s = ms / 1000 % 60;
        text = "+" + (h > 0 ? std::to_string(h) + ":" : std::string()) + (h > 0 && m < 10 ? "0" : "") +
               std::to_string(m) + ":" + (s < 10 ? "0" : "") + std::to_string(s);
    } else {
        text = clockTime(ms).substr(0, step >= 60000 ? 5 : 8);
    }
    if (step < 1000) text += "." + clockTime(ms).substr(9, 3);
    return text;
}

struct Panel {
    const char* id;
    const char* title;
    int top = 0, height = 0;
    double maximum = 1;
};

}  // namespace

double niceTop(double highest, double floor) {
    if (!(highest > floor)) return floor;
    const double magnitude = std::pow(10.0, std::floor(std::log10(highest)));
    for (const double f : {1.0, 2.0, 5.0, 10.0}) {
        if (f * magnitude >= highest) return f * magnitude;
    }
    return 10 * magnitude;
}

std::string xmlText(const std::string& utf8) {
    std::string out;
    for (const char c : utf8) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out.push_back(static_cast<unsigned char>(c) < 0x20 && c != '\t' ? '?' : c);
        }
    }
    return out;
}

std::string drawChart(const std::vector<ChartFile>& files, const std::vector<ChartSeries>& series,
                      const ChartLayout& layout) {
    const int plotLeft = LEFT, plotWidth = layout.width - LEFT - RIGHT;
    const std::size_t captionLines = std::min<std::size_t>(files.size(), 6) + (files.size() > 6 ? 1 : 0);
    const int captionHeight = 28 + LINE * static_cast<int>(captionLines);
    const int panelsHeight = layout.height - captionHeight - 40;
    Panel cpu{"cpu", "CPU %", captionHeight + 8, (panelsHeight - 24) / 2};
    Panel ram{"ram", "RAM MB", cpu.top + cpu.height + 24, (panelsHeight - 24) / 2};

    // Time axis: absolute local time, or each session from its own start.
    const auto origin = [&](std::size_t file) -> std::int64_t {
        if (layout.overlay) return 0;
        const LogHeader& h = files[file].header;
        return daysFromCivil(h.year, h.month, h.day) * MS_PER_DAY + h.startMs;
    };
    std::int64_t from = INT64_MAX, to = INT64_MIN;
    double cpuHigh = 0, ramHigh = 0;
    for (const ChartSeries& s : series) {
        from = std::min(from, origin(s.file) + s.firstMs);
        to = std::max(to, origin(s.file) + s.lastMs);
        for (const ChartBin& b : s.bins) {
            if (!b.used) continue;
            cpuHigh = std::max(cpuHigh, static_cast<double>(b.cpuMax));
            ramHigh = std::max(ramHigh, b.ramMax / 1024.0);
        }
    }
    if (series.empty()) {
        // Logs without records: their sessions' time, empty.
        from = to = 0;
        double seconds = 1;
        for (std::size_t f = 0; f < files.size(); ++f) {
            from = f == 0 ? origin(f) : std::min(from, origin(f));
            const double d = files[f].header.durationSeconds;
            if (std::isfinite(d) && d > seconds) seconds = std::min(d, 7 * 86400.0);
        }
        to = from + static_cast<std::int64_t>(seconds * 1000);
    }
    if (to <= from) to = from + 1000;
    cpu.maximum = niceTop(cpuHigh, 100);
    ram.maximum = niceTop(ramHigh, 1);
    const auto xOf = [&](std::int64_t t) {
        return plotLeft + static_cast<double>(t - from) / static_cast<double>(to - from) * plotWidth;
    };

    const int columnsPerLegendRow = std::max(1, plotWidth / 300);
    const auto perLegendRow = static_cast<std::size_t>(columnsPerLegendRow);  // at least 1
    const int legendRows = static_cast<int>((series.size() + perLegendRow - 1) / perLegendRow);
    const int totalHeight = layout.height + LINE * legendRows + 8;

    std::string svg;
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(layout.width) + "\" height=\"" +
           std::to_string(totalHeight) + "\" viewBox=\"0 0 " + std::to_string(layout.width) + " " +
           std::to_string(totalHeight) + "\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"12\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    svg += "<text x=\"" + std::to_string(plotLeft) + "\" y=\"20\" font-size=\"15\" font-weight=\"bold\">Corvane log" +
           std::string(files.size() > 1 ? "s" : "") + (layout.overlay ? " (from each session's start)" : "") +
           "</text>\n";
    for (std::size_t f = 0; f < files.size() && f < 6; ++f) {
        const LogHeader& h = files[f].header;
        const std::string caption = isoDate(h.year, h.month, h.day) + " " + clockTime(h.startMs).substr(0, 8) + ", " +
                                    cp1252ToUtf8(h.durationText) + " s every " + cp1252ToUtf8(h.intervalText) +
                                    " ms, CPU clock " + cp1252ToUtf8(h.clockText) + " GHz, " +
                                    std::to_string(h.memoryMB) + " MB memory \u2014 " + files[f].path;
        svg += "<text class=\"caption\" x=\"" + std::to_string(plotLeft) + "\" y=\"" +
               std::to_string(20 + LINE * static_cast<int>(f + 1)) + "\" fill=\"#333333\">" + xmlText(caption) +
               "</text>\n";
    }
    if (files.size() > 6) {
        svg += "<text x=\"" + std::to_string(plotLeft) + "\" y=\"" + std::to_string(20 + LINE * 7) +
               "\" fill=\"#333333\">and " + std::to_string(files.size() - 6) + " more logs</text>\n";
    }

    // Time ticks: the smallest step that gives at most eight.
    std::int64_t step = TIME_STEPS[sizeof TIME_STEPS / sizeof TIME_STEPS[0] - 1];
    for (const std::int64_t s : TIME_STEPS) {
        if ((to - from) / s <= 8) {
            step = s;
            break;
        }
    }

    for (Panel* p : {&cpu, &ram}) {
        const std::string top = std::to_string(p->top), h = std::to_string(p->height);
        svg += "<g id=\"" + std::string(p->id) + "-panel\" data-top=\"" + figureText(p->maximum) + "\">\n";
        svg += "<rect id=\"" + std::string(p->id) + "-area\" x=\"" + std::to_string(plotLeft) + "\" y=\"" + top +
               "\" width=\"" + std::to_string(plotWidth) + "\" height=\"" + h +
               "\" fill=\"#fbfbfd\" stroke=\"#999999\" stroke-width=\"1\"/>\n";
        svg += "<text x=\"14\" y=\"" + std::to_string(p->top + p->height / 2) + "\" transform=\"rotate(-90 14 " +
               std::to_string(p->top + p->height / 2) + ")\" text-anchor=\"middle\">" + p->title + "</text>\n";
        // 1, 5 and 10 times a power of ten in five steps, 2 in four.
        const double lead = p->maximum / std::pow(10.0, std::floor(std::log10(p->maximum)));
        const int steps = std::fabs(lead - 2) < 1e-9 ? 4 : 5;
        for (int i = 0; i <= steps; ++i) {
            const double value = p->maximum * i / steps;
            const double y = p->top + p->height * (1 - static_cast<double>(i) / steps);
            svg += "<line x1=\"" + std::to_string(plotLeft) + "\" x2=\"" + std::to_string(plotLeft + plotWidth) +
                   "\" y1=\"" + num(y) + "\" y2=\"" + num(y) + "\" stroke=\"#e0e0e0\" stroke-width=\"1\"/>\n";
            svg += "<text x=\"" + std::to_string(plotLeft - 6) + "\" y=\"" + num(y + 4) + "\" text-anchor=\"end\">" +
                   figureText(value) + "</text>\n";
        }
        for (std::int64_t t = (from + step - 1) / step * step; t <= to; t += step) {
            const double x = xOf(t);
            svg += "<line x1=\"" + num(x) + "\" x2=\"" + num(x) + "\" y1=\"" + top + "\" y2=\"" +
                   std::to_string(p->top + p->height) + "\" stroke=\"#eeeeee\" stroke-width=\"1\"/>\n";
            if (p == &ram) {
                // A label at the right edge ends there rather than past the picture.
                const char* anchor = x > plotLeft + plotWidth - 40 ? "end" : "middle";
                svg += "<text x=\"" + num(x) + "\" y=\"" + std::to_string(p->top + p->height + 16) +
                       "\" text-anchor=\"" + anchor + "\">" +
                       timeLabel(layout.overlay ? t : t % MS_PER_DAY, step, layout.overlay) + "</text>\n";
            }
        }
        // One line per series: each pixel column's lowest and highest value.
        for (std::size_t i = 0; i < series.size(); ++i) {
            const ChartSeries& s = series[i];
            std::vector<double> low(static_cast<std::size_t>(plotWidth) + 1, 0), high(low.size(), 0);
            std::vector<bool> used(low.size(), false);
            for (std::size_t b = 0; b < s.bins.size(); ++b) {
                const ChartBin& bin = s.bins[b];
                if (!bin.used) continue;
                const std::int64_t t =
                    origin(s.file) + std::max<std::int64_t>(static_cast<std::int64_t>(b) * s.widthMs, s.firstMs);
                const auto column = static_cast<std::size_t>(std::clamp(xOf(t) - plotLeft, 0.0, double(plotWidth)));
                const double lo = p == &cpu ? bin.cpuMin : bin.ramMin / 1024.0;
                const double hi = p == &cpu ? bin.cpuMax : bin.ramMax / 1024.0;
                if (!used[column]) low[column] = lo, high[column] = hi, used[column] = true;
                low[column] = std::min(low[column], lo), high[column] = std::max(high[column], hi);
            }
            std::string points;
            double lastY = -1;
            const auto yOf = [&](double v) {
                return p->top + p->height * (1 - std::clamp(v, 0.0, p->maximum) / p->maximum);
            };
            for (std::size_t c = 0; c < used.size(); ++c) {
                if (!used[c]) continue;
                const std::string x = num(plotLeft + static_cast<double>(c));
                const double yLow = yOf(low[c]), yHigh = yOf(high[c]);
                // Enter each column at the end nearer to where the line is.
                const bool lowFirst = lastY < 0 || std::fabs(yLow - lastY) <= std::fabs(yHigh - lastY);
                const double first = lowFirst ? yLow : yHigh, second = lowFirst ? yHigh : yLow;
                points += x + "," + num(first) + " ";
                if (second != first) points += x + "," + num(second) + " ";
                lastY = second;
            }
            if (!points.empty()) points.pop_back();
            const char* colour = PALETTE[i % 10];
            const std::string dash = i >= 10 ? " stroke-dasharray=\"6 3\"" : "";
            svg += "<polyline class=\"series\" data-series=\"" + std::to_string(i) + "\" fill=\"none\" stroke=\"" +
                   colour + "\" stroke-width=\"1.5\" stroke-linejoin=\"round\"" + dash + " points=\"" + points +
                   "\"/>\n";
        }
        if (series.empty() && p == &cpu) {
            svg += "<text class=\"empty\" x=\"" + std::to_string(plotLeft + plotWidth / 2) + "\" y=\"" +
                   std::to_string(p->top + p->height / 2) + "\" text-anchor=\"middle\" fill=\"#666666\">" +
                   (files.size() > 1 ? "no records in these logs" : "no records in this log") + "</text>\n";
        }
        svg += "</g>\n";
    }

    // Legend.
    const int legendTop = layout.height + 4;
    const int columnWidth = plotWidth / columnsPerLegendRow;
    for (std::size_t i = 0; i < series.size(); ++i) {
        const ChartSeries& s = series[i];
        const int x = plotLeft + static_cast<int>(i % perLegendRow) * columnWidth;
        const int y = legendTop + static_cast<int>(i / perLegendRow) * LINE;
        std::string label = cp1252ToUtf8(s.name);
        if (s.series > 1) label += " #" + std::to_string(s.series);
        if (files.size() > 1) label += " \u2014 " + files[s.file].path;
        const std::string dash = i >= 10 ? " stroke-dasharray=\"6 3\"" : "";
        svg += "<line x1=\"" + std::to_string(x) + "\" x2=\"" + std::to_string(x + 20) + "\" y1=\"" +
               std::to_string(y - 4) + "\" y2=\"" + std::to_string(y - 4) + "\" stroke=\"" + PALETTE[i % 10] +
               "\" stroke-width=\"3\"" + dash + "/>\n";
        svg += "<text class=\"legend\" x=\"" + std::to_string(x + 26) + "\" y=\"" + std::to_string(y) + "\">" +
               xmlText(label) + "</text>\n";
    }
    svg += "</svg>\n";
    return svg;
}

}  // namespace corvlog
