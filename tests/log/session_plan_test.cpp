// Pass counts and pause lengths for every kind of duration and interval.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "log/session_plan.h"

namespace {

const double inf = std::numeric_limits<double>::infinity();
const double nan = std::nan("");

TEST(SessionPlan, PassCountsIncludeTheUnwrittenFirstPass) {
    EXPECT_EQ(passCountFor(4, 400), 11);
    EXPECT_EQ(passCountFor(1, 400), 4);   // 3.5 to the even 4
    EXPECT_EQ(passCountFor(3, 2000), 2);  // 2.5 to the even 2
    EXPECT_EQ(passCountFor(0, 400), 1);
    EXPECT_EQ(passCountFor(1000, 100000), 11);
    EXPECT_EQ(passCountFor(0.0001, 400), 1);  // 1.00025
}

TEST(SessionPlan, EveryFigureEndsTheSession) {
    // Negative durations, unusable intervals, infinities: one pass.
    EXPECT_EQ(passCountFor(-5, 400), 1);
    EXPECT_EQ(passCountFor(-0.0003, 1), 1);  // nearest(0.7) would be 1 anyway
    EXPECT_EQ(passCountFor(-0.0006, 1), 1);  // nearest(0.4) = 0: no pass would end it
    EXPECT_EQ(passCountFor(4, 0), 1);
    EXPECT_EQ(passCountFor(0, 0), 1);
    EXPECT_EQ(passCountFor(4, -400), 1);
    EXPECT_EQ(passCountFor(-4, -400), 1);  // would be 11 passes without pauses
    EXPECT_EQ(passCountFor(inf, 400), 1);
    EXPECT_EQ(passCountFor(4, inf), 1);
    EXPECT_EQ(passCountFor(4, nan), 1);
    EXPECT_EQ(passCountFor(nan, 400), 1);
    EXPECT_EQ(passCountFor(4, 1e-320), 1);  // the quotient overflows to infinity
    // Huge but finite: held at the 32-bit top, where passIndex still meets it.
    EXPECT_EQ(passCountFor(1e9, 1), 2147483647);
    EXPECT_EQ(passCountFor(2147483.645, 1), 2147483646);
    EXPECT_EQ(passCountFor(2147483.646, 1), 2147483647);
    EXPECT_EQ(passCountFor(1e300, 1e-5), 2147483647);
}

TEST(SessionPlan, UsableInterval) {
    EXPECT_EQ(usableIntervalMs(400), 400);
    EXPECT_EQ(usableIntervalMs(0.25), 0.25);
    EXPECT_EQ(usableIntervalMs(0), 0);
    EXPECT_EQ(usableIntervalMs(-400), 0);
    EXPECT_EQ(usableIntervalMs(inf), 0);
    EXPECT_EQ(usableIntervalMs(nan), 0);
}

TEST(SessionPlan, PausesAreNeverNegativeNorEndless) {
    EXPECT_EQ(pauseLengthMs(400), 400);
    EXPECT_EQ(pauseLengthMs(399.5), 400);
    EXPECT_EQ(pauseLengthMs(400.5), 400);
    EXPECT_EQ(pauseLengthMs(0.5), 0);
    EXPECT_EQ(pauseLengthMs(0), 0);
    EXPECT_EQ(pauseLengthMs(-1), 0);
    EXPECT_EQ(pauseLengthMs(-1e300), 0);
    EXPECT_EQ(pauseLengthMs(nan), 0);
    EXPECT_EQ(pauseLengthMs(1e300), 2147483647);
    EXPECT_EQ(pauseLengthMs(inf), 2147483647);
}

}  // namespace
