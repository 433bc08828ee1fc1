// The gauge texts in the bottom bar and the clock's number format.
#include <gtest/gtest.h>

#include "figures/clock_text.h"
#include "screen/frame.h"
#include "screen/gauges.h"
#include "screen_test_util.h"

using namespace screentest;

namespace {

struct Gauges : ::testing::Test {
    void SetUp() override {
        freshSurface();
        drawStaticFrame();
    }
    void TearDown() override { freshSurface(); }
};

constexpr int Y = 572;

}  // namespace

TEST(ClockText, SevenSignificantDigitsWithoutATrailingPoint) {
    EXPECT_EQ(clockText(3.0f), "3");
    EXPECT_EQ(clockText(3.39f), "3.39");
    EXPECT_EQ(clockText(2.9f), "2.9");
    EXPECT_EQ(clockText(0.0f), "0");
    EXPECT_EQ(clockText(12.34f), "12.34");
    EXPECT_EQ(clockText(4.1f), "4.1");  // widened float 4.0999999 rounds back at 7 digits
    EXPECT_EQ(clockText(1234567.0f), "1234567");
    EXPECT_EQ(clockText(12345678.0f), "1.234568e+07");
}

TEST_F(Gauges, CpuLoadAndClockTexts) {
    drawCpuGauge(100, 3.39f);
    EXPECT_TRUE(textAt(8, Y, "CPU-Auslastung: 100%", colourWhite, colourAccent));
    EXPECT_EQ(countOther(168, Y, 189, Y + 7, colourAccent), 0);  // 20 cells end at 167
    EXPECT_TRUE(textAt(190, Y, "CPU-Takt: 3.39 GHz", colourWhite, colourAccent));

    drawCpuGauge(7, 3.0f);
    EXPECT_TRUE(textAt(8, Y, "CPU-Auslastung: 7%", colourWhite, colourAccent));
    EXPECT_TRUE(textAt(190, Y, "CPU-Takt: 3 GHz", colourWhite, colourAccent));
    // No trace of the longer texts before: the 45-cell erase ran first.
    EXPECT_EQ(countOther(152, Y, 189, Y + 7, colourAccent), 0);
    EXPECT_EQ(countOther(310, Y, 367, Y + 7, colourAccent), 0);
    // The erase stops at 367 and leaves the bar's other rows alone.
    EXPECT_EQ(countOther(8, 569, 367, 571, colourAccent), 0);
    EXPECT_EQ(countOther(8, Y + 8, 367, 582, colourAccent), 0);

    drawCpuGauge(-2147483647 - 1, 0.0f);
    // The longest load text runs on under the clock text (x 190 on).
    EXPECT_TRUE(textAt(8, Y, "CPU-Auslastung: -21474", colourWhite, colourAccent));
}

TEST_F(Gauges, TheCpuGaugeIsOneBatch) {
    std::vector<std::uint32_t> dest(800 * 584);
    int first = 0, last = 0;
    lockScreen();
    drawCpuGauge(50, 2.5f);
    EXPECT_FALSE(surface::takeChangedLines(dest.data(), first, last));  // the outer batch still holds
    unlockScreen();
    EXPECT_TRUE(surface::takeChangedLines(dest.data(), first, last));
}

TEST_F(Gauges, MemoryTexts) {
    drawMemoryGauge(100, 16384);
    EXPECT_TRUE(textAt(380, Y, "Gesamtspeicher: 16384 MB", colourWhite, colourAccent));
    EXPECT_EQ(countOther(572, Y, 606, Y + 7, colourAccent), 0);  // 24 cells end at 571
    // "Speicherauslastung: 100%" fills exactly the 24 erased cells, x 607..798.
    EXPECT_TRUE(textAt(607, Y, "Speicherauslastung: 100%", colourWhite, colourAccent));
    EXPECT_EQ(countOther(799, 569, 799, 583, colourWhite), 0);  // the border stays

    drawMemoryGauge(9, 16384);
    EXPECT_TRUE(textAt(607, Y, "Speicherauslastung: 9%", colourWhite, colourAccent));
    EXPECT_EQ(countOther(783, Y, 798, Y + 7, colourAccent), 0);

    // The load is unsigned; a text too long for the bar is clipped at the edge.
    drawMemoryGauge(4294967295u, -1);
    EXPECT_TRUE(textAt(607, Y, "Speicherauslastung: 4294", colourWhite, colourAccent));
}

TEST(GaugesHeadless, DrawNothingWithoutAWindow) {
    freshSurface();
    drawCpuGauge(100, 3.39f);
    drawMemoryGauge(100, 16384);
    EXPECT_EQ(countOther(0, 0, 799, 583, 0), 0);
}
