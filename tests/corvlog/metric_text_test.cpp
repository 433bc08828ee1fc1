// The pieces of corvlog's Prometheus texts: figures in base units, label
// escaping and names, timestamps, and local times made absolute.
#include <gtest/gtest.h>

#include <cmath>

#include "corvlog/metric_text.h"
#include "corvlog/session_length.h"

using namespace corvlog;

namespace {

std::string ratio(std::int32_t percent) {
    std::string s;
    appendPercentRatio(s, percent);
    return s;
}

std::string seconds(std::int64_t ms) {
    std::string s;
    appendSeconds(s, ms);
    return s;
}

}  // namespace

TEST(MetricText, FiguresInBaseUnits) {
    EXPECT_EQ(ratio(0), "0");
    EXPECT_EQ(ratio(5), "0.05");
    EXPECT_EQ(ratio(10), "0.1");
    EXPECT_EQ(ratio(12), "0.12");
    EXPECT_EQ(ratio(100), "1");
    EXPECT_EQ(ratio(1234), "12.34");
    EXPECT_EQ(ratio(-7), "-0.07");
    std::string bytes;
    appendKilobytes(bytes, 2147483647);  // the largest field a record holds, not wrapped
    EXPECT_EQ(bytes, "2199023254528");
    EXPECT_EQ(seconds(1765267518212), "1765267518.212");
    EXPECT_EQ(seconds(5), "0.005");
    EXPECT_EQ(seconds(-1), "-1.999");  // -0.001 s: whole seconds floor, the fraction stays positive
    LogHeader h;
    h.memoryMB = 768;
    h.clockGHz = 2.39;  // 2389999999.9999998 before rounding
    EXPECT_EQ(machineMemoryBytes(h), 805306368);
    EXPECT_EQ(machineClockHertz(h), 2390000000);
}

TEST(MetricText, LabelsEscapedAndChecked) {
    std::string v;
    appendLabelValue(v, "a\\b \"c\"\nd\te");
    EXPECT_EQ(v, "a\\\\b \\\"c\\\"\\nd\te");
    // CP1252 letters become UTF-8 in the process label; the euro sign is 0x80.
    EXPECT_EQ(processLabels("Caf\xE9 \x80.exe", 2, ",host=\"x\""),
              "process=\"Caf\xC3\xA9 \xE2\x82\xAC.exe\",series=\"2\",host=\"x\"");
    EXPECT_EQ(extraLabels({{"instance", "pc \"1\""}, {"job", "a"}}), ",instance=\"pc \\\"1\\\"\",job=\"a\"");
    EXPECT_TRUE(usableLabelName("instance"));
    EXPECT_TRUE(usableLabelName("_x9"));
    EXPECT_FALSE(usableLabelName(""));
    EXPECT_FALSE(usableLabelName("9x"));
    EXPECT_FALSE(usableLabelName("__name__"));
    EXPECT_FALSE(usableLabelName("a-b"));
    EXPECT_FALSE(usableLabelName("process"));
    EXPECT_FALSE(usableLabelName("series"));
    const std::string head = familyHead(CPU_METRIC);
    EXPECT_EQ(head.substr(0, 46), "# HELP corvane_process_cpu_utilization_ratio S");
    EXPECT_NE(head.find("\n# TYPE corvane_process_cpu_utilization_ratio gauge\n"), std::string::npos);
}

TEST(MetricText, UtcOffsets) {
    std::int64_t m = 0;
    EXPECT_TRUE(parseUtcOffset("+01:00", m));
    EXPECT_EQ(m, 60);
    EXPECT_TRUE(parseUtcOffset("-05:30", m));
    EXPECT_EQ(m, -330);
    EXPECT_TRUE(parseUtcOffset("+18:00", m));
    EXPECT_EQ(m, 1080);
    for (const char* bad : {"+18:01", "+1:00", "01:00", "+01:60", "+01-00", "", "+01:00x"})
        EXPECT_FALSE(parseUtcOffset(bad, m)) << bad;
}

TEST(MetricText, LocalTimesMadeAbsolute) {
    LogHeader h;
    h.year = 2026, h.month = 12, h.day = 31;
    LocalClock fixed;
    fixed.fixedOffset = true;
    fixed.offsetMs = 60 * 60'000;  // +01:00
    // 2026-12-31 23:59:59.500 at +01:00, and half a second later (past
    // midnight: the next day, the next year).
    EXPECT_EQ(fixed.unixMs(h, 86'399'500), 1798757999500);
    EXPECT_EQ(fixed.unixMs(h, 86'400'000), 1798758000000);
}

// follow's end of a session: the monitor's pass count, halves to even.
TEST(SessionLength, PlannedPasses) {
    EXPECT_EQ(plannedPassCount(4, 400), 11);
    EXPECT_EQ(plannedPassCount(1, 500), 3);
    EXPECT_EQ(plannedPassCount(1, 400), 4);    // 3.5 to the even 4
    EXPECT_EQ(plannedPassCount(0.5, 200), 4);  // 3.5
    EXPECT_EQ(plannedPassCount(0.7, 200), 4);  // 4.5 to the even 4
    EXPECT_EQ(plannedPassCount(0, 400), 1);    // a header-only log
    EXPECT_EQ(plannedPassCount(-5, 400), 1);
    EXPECT_EQ(plannedPassCount(4, 0), 1);
    EXPECT_EQ(plannedPassCount(4, -1), 1);
    EXPECT_EQ(plannedPassCount(4, std::nan("")), 1);
    EXPECT_EQ(plannedPassCount(1e300, 1), 2147483647);
    EXPECT_EQ(pacingIntervalMs(250), 250);
    EXPECT_EQ(pacingIntervalMs(-1), 0);
}
