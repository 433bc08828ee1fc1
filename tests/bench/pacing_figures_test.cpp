#include "pacing_figures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string header() {
    std::string h;
    for (int i = 0; i < 9; ++i) h += "header line " + std::to_string(i) + "\r\n";
    return h;
}

std::string record(const char* stamp, const std::string& name) {
    std::string padded = name;
    padded.resize(35, ' ');
    return std::string(stamp) + "  " + padded + "  3% CPU              812 KB RAM\r\n\r\n";
}

}  // namespace

TEST(PacingRecords, ReadsTheStampsOfOneProcessOnlyAndCountsOnPastMidnight) {
    const std::string log = header() + record("23:59:59:900", "init") + record("23:59:59:901", "initd") +
                            record("23:59:59:950", "bash") + record("00:00:00:000", "init") +
                            record("00:00:00:100", "init");
    const std::vector<double> t = recordTimes(log, "init");
    ASSERT_EQ(t.size(), 3u);  // "initd" is another process, not a longer stamp of init
    EXPECT_DOUBLE_EQ(t[0], 86399900.0);
    EXPECT_DOUBLE_EQ(t[1], 86400000.0);
    EXPECT_DOUBLE_EQ(t[2], 86400100.0);
}

TEST(PacingRecords, SkipsTheHeaderEvenWhenItLooksLikeARecord) {
    // Nine record-shaped lines without their empty lines: all header.
    std::string log;
    for (int i = 0; i < 9; ++i) {
        const std::string r = record("01:00:00:000", "init");
        log += r.substr(0, r.size() - 2);
    }
    log += record("01:00:00:100", "init");
    EXPECT_EQ(recordTimes(log, "init"), std::vector<double>{3600100.0});
    EXPECT_TRUE(recordTimes(header(), "init").empty());
}

TEST(PacingFigures, NearestRankPercentiles) {
    EXPECT_EQ(percentile({}, 0.5), 0);
    EXPECT_EQ(percentile({7}, 0.99), 7);
    EXPECT_EQ(percentile({4, 1, 3, 2}, 0.50), 2);  // two of four at or below
    EXPECT_EQ(percentile({4, 1, 3, 2}, 0.51), 3);
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i) hundred.push_back(i);
    EXPECT_EQ(percentile(hundred, 0.99), 99);
    EXPECT_EQ(percentile(hundred, 1.0), 100);
}

TEST(PacingFigures, OffsetsAgainstTheFirstPassAndDriftAtTheEnd) {
    // 100 ms schedule from 1000: on time, 1 late, 3 late, 1 early, then 6 late.
    const std::vector<double> t{1000, 1101, 1203, 1299, 1406};
    const PacingFigures f = pacingFigures(t, 100);
    EXPECT_EQ(f.records, 5u);
    EXPECT_EQ(f.p50, 1);
    EXPECT_EQ(f.p99, 6);
    EXPECT_EQ(f.maxOffset, 6);
    EXPECT_DOUBLE_EQ(f.withinOneMs, 3.0 / 5.0);
    EXPECT_EQ(f.drift, 6);
    EXPECT_DOUBLE_EQ(f.meanPeriod, 101.5);
    // Periods 101, 102, 96, 107: errors 1, 2, 4, 7.
    EXPECT_EQ(f.periodP50, 2);
    EXPECT_EQ(f.periodP99, 7);
    EXPECT_EQ(f.periodMax, 7);
}

TEST(PacingFigures, OneOverrunShiftsTheOffsetsButNotThePeriods) {
    // On time, then one pass 30 ms late, and the schedule goes on from there.
    std::vector<double> t{0, 100, 230, 330, 430, 530, 630};
    const PacingFigures f = pacingFigures(t, 100);
    EXPECT_EQ(f.drift, 30);
    EXPECT_EQ(f.p50, 30);
    EXPECT_DOUBLE_EQ(f.withinOneMs, 2.0 / 7.0);
    EXPECT_EQ(f.periodP50, 0);
    EXPECT_EQ(f.periodMax, 30);
}

TEST(PacingFigures, AnEarlyEndIsANegativeDriftAndFewRecordsGiveNoFigures) {
    const PacingFigures early = pacingFigures({0, 99, 198}, 100);
    EXPECT_EQ(early.drift, -2);
    EXPECT_EQ(early.maxOffset, 2);
    const PacingFigures one = pacingFigures({5}, 100);
    EXPECT_EQ(one.records, 1u);
    EXPECT_EQ(one.maxOffset, 0);
    EXPECT_EQ(one.withinOneMs, 0);
}
