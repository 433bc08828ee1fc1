// The figures corvlog computes and how it writes them: summary statistics,
// the chart's thinning, rounding, CSV and JSON texts, code page 1252.
#include <gtest/gtest.h>

#include "corvlog/calendar.h"
#include "corvlog/chart_bins.h"
#include "corvlog/cp1252.h"
#include "corvlog/output_text.h"
#include "corvlog/series_stats.h"
#include "corvlog/svg_chart.h"

using namespace corvlog;

TEST(Summary, ExactPercentileMeanAndGrowth) {
    SeriesStats s;
    // Shares 1..100 once each: the 95th smallest is 95.
    for (int i = 1; i <= 100; ++i) addSample(s, i * 1000LL, i, 1000 + i);
    EXPECT_EQ(cpuP95(s), 95);
    EXPECT_EQ(s.cpuMin, 1);
    EXPECT_EQ(s.cpuMax, 100);
    EXPECT_EQ(tenths(s.cpuSum, s.living), "50.5");
    EXPECT_EQ(nearestRatio(s.ramSum, s.living), 1050);  // 1050.5 to the even 1050
    double growth = 0;
    ASSERT_TRUE(ramGrowthPerHour(s, growth));
    EXPECT_EQ(nearestInteger(growth), 3600);  // 1 KB a second
    std::int64_t at = 0;
    EXPECT_FALSE(ended(s, at));

    // 18 zeros and one 100: rank ceil(0.95 * 19) = 19 is the 100; one zero
    // more and rank ceil(0.95 * 20) = 19 is a 0.
    SeriesStats spike;
    for (int i = 0; i < 18; ++i) addSample(spike, i, 0, 5);
    addSample(spike, 18, 100, 5);
    EXPECT_EQ(cpuP95(spike), 100);
    addSample(spike, 19, 0, 5);
    EXPECT_EQ(cpuP95(spike), 0);
    EXPECT_FALSE(ramGrowthPerHour(SeriesStats{}, growth));

    // Shares outside the counted range still count exactly.
    SeriesStats odd;
    for (int i = 0; i < 10; ++i) addSample(odd, i, i < 9 ? -5 : 5000, 1);
    EXPECT_EQ(cpuP95(odd), 5000);
    EXPECT_EQ(odd.cpuMin, -5);
}

TEST(Summary, AnEndedProcessAndAPauseAtZero) {
    SeriesStats s;
    addSample(s, 0, 10, 500);
    addSample(s, 1000, 20, 700);
    // 0 % and 0 KB in the middle: the process was not measured, it counts.
    addSample(s, 2000, 0, 0);
    addSample(s, 3000, 30, 900);
    std::int64_t at = 0;
    EXPECT_FALSE(ended(s, at));
    EXPECT_EQ(s.living, 4);
    EXPECT_EQ(s.ramMin, 0);
    // At the end: it ended; those records do not count in its figures.
    addSample(s, 4000, 0, 0);
    addSample(s, 5000, 0, 0);
    ASSERT_TRUE(ended(s, at));
    EXPECT_EQ(at, 4000);
    EXPECT_EQ(s.samples, 6);
    EXPECT_EQ(s.living, 4);
    EXPECT_EQ(tenths(s.cpuSum, s.living), "15.0");
    EXPECT_EQ(s.lastMs, 5000);
    // Never had a working set (protected): its zeros are its figures.
    SeriesStats never;
    addSample(never, 0, 0, 0);
    addSample(never, 1, 0, 0);
    EXPECT_FALSE(ended(never, at));
    EXPECT_EQ(never.living, 2);
}

TEST(Chart, ThinningKeepsEverySpike) {
    ChartSeries s;
    // 10 hours at 200 ms: 180000 samples into at most 2048 slots.
    for (std::int64_t i = 0; i < 180'000; ++i) {
        const std::int32_t cpu = i == 123'457 ? 97 : (i == 54'321 ? -3 : 1);
        addChartSample(s, i * 200, cpu, static_cast<std::int32_t>(1000 + i % 7));
    }
    EXPECT_LE(s.bins.size(), MAX_BINS);
    EXPECT_GE(s.bins.size(), MAX_BINS / 2);
    int spikes = 0, dips = 0, used = 0;
    for (const ChartBin& b : s.bins) {
        used += b.used ? 1 : 0;
        spikes += b.cpuMax == 97 ? 1 : 0;
        dips += b.cpuMin == -3 ? 1 : 0;
        if (b.used) {
            EXPECT_EQ(b.ramMin, 1000);
            EXPECT_EQ(b.ramMax, 1006);
        }
    }
    EXPECT_EQ(spikes, 1);
    EXPECT_EQ(dips, 1);
    EXPECT_EQ(used, static_cast<int>(s.bins.size()));
    EXPECT_EQ(s.bins[static_cast<std::size_t>(123'457 * 200 / s.widthMs)].cpuMax, 97);
    EXPECT_EQ(s.lastMs, 179'999 * 200LL);
}

TEST(Chart, AxisTopsAndXmlText) {
    EXPECT_EQ(niceTop(0, 100), 100);
    EXPECT_EQ(niceTop(100, 100), 100);
    EXPECT_EQ(niceTop(101, 100), 200);
    EXPECT_EQ(niceTop(3.9, 1), 5);
    EXPECT_EQ(niceTop(501, 1), 1000);
    EXPECT_EQ(xmlText("a<b & \"c\">\x01"), "a&lt;b &amp; &quot;c&quot;&gt;?");
}

TEST(Text, RoundingHalvesToEven) {
    EXPECT_EQ(nearestRatio(5, 2), 2);
    EXPECT_EQ(nearestRatio(7, 2), 4);
    EXPECT_EQ(nearestRatio(-5, 2), -2);
    EXPECT_EQ(nearestRatio(-7, 2), -4);
    EXPECT_EQ(nearestRatio(10, 3), 3);
    EXPECT_EQ(nearestRatio(11, 3), 4);
    EXPECT_EQ(tenths(1, 4), "0.2");     // 0.25
    EXPECT_EQ(tenths(3, 4), "0.8");     // 0.75
    EXPECT_EQ(tenths(-1, 20), "0.0");   // -0.05
    EXPECT_EQ(tenths(-3, 20), "-0.2");  // -0.15
    EXPECT_EQ(tenths(2, 3), "0.7");
    EXPECT_EQ(nearestInteger(2.5), 2);
    EXPECT_EQ(nearestInteger(3.5), 4);
}

TEST(Text, CsvJsonAndCodePage) {
    EXPECT_EQ(csvField("plain", ','), "plain");
    EXPECT_EQ(csvField("a,b", ','), "\"a,b\"");
    EXPECT_EQ(csvField("a,b", ';'), "a,b");
    EXPECT_EQ(csvField("say \"hi\"", ','), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csvField("two\nlines", ','), "\"two\nlines\"");
    EXPECT_EQ(jsonString("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\n\\u0001\"");
    EXPECT_EQ(jsonNumber(2.39), "2.39");
    EXPECT_EQ(jsonNumber(400), "400");
    EXPECT_EQ(jsonNumber(1.0 / 0.0), "null");
    EXPECT_EQ(cp1252ToUtf8("Verf\xFCgbarer \x80 \x81 \x9F"), "Verf\xC3\xBCgbarer \xE2\x82\xAC \xC2\x81 \xC5\xB8");
    EXPECT_EQ(validUtf8("ok \xC3\xBC \xFC \xE2\x82"), "ok \xC3\xBC \xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(utf8Length("B\xC3\xA4r"), 3u);
}

TEST(Text, DatesAcrossMonthsAndYears) {
    EXPECT_EQ(isoDateTime(2026, 12, 31, 86'400'000 + 212), "2027-01-01T00:00:00.212");
    EXPECT_EQ(isoDateTime(2028, 2, 28, 86'400'000 + 5), "2028-02-29T00:00:00.005");
    EXPECT_EQ(isoDateTime(2026, 12, 9, ((5 * 60 + 25) * 60 + 18) * 1000LL + 212), "2026-12-09T05:25:18.212");
    EXPECT_EQ(daysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(daysInMonth(2100, 2), 28);
    EXPECT_EQ(daysInMonth(2000, 2), 29);
}
