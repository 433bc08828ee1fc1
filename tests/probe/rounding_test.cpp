// The rounding rules every figure goes through.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

#include "figures/rounding.h"

namespace {

using rounding::INT32_HIGHEST;
using rounding::INT32_LOWEST;

TEST(Rounding, NearestTiesToEven) {
    EXPECT_EQ(rounding::nearest(2.5), 2.0);
    EXPECT_EQ(rounding::nearest(3.5), 4.0);
    EXPECT_EQ(rounding::nearest(0.5), 0.0);
    EXPECT_EQ(rounding::nearest(1.5), 2.0);
    EXPECT_EQ(rounding::nearest(-2.5), -2.0);
    EXPECT_EQ(rounding::nearest(-3.5), -4.0);
    EXPECT_EQ(rounding::nearest(-0.4), 0.0);
    EXPECT_EQ(rounding::nearest(2.5000001), 3.0);
    EXPECT_EQ(rounding::nearest(2.4999999), 2.0);
    // The largest double below 0.5: adding 0.5 and flooring would give 1.
    EXPECT_EQ(rounding::nearest(0.49999999999999994), 0.0);
    // Beyond 2^52 every double is whole already.
    EXPECT_EQ(rounding::nearest(4503599627370497.0), 4503599627370497.0);
    EXPECT_TRUE(std::isnan(rounding::nearest(std::nan(""))));
    EXPECT_EQ(rounding::nearest(std::numeric_limits<double>::infinity()), std::numeric_limits<double>::infinity());
}

// The library runs inside host programs that may have set another rounding
// mode; the monitor's figures must not depend on it either.
TEST(Rounding, HalvesGoToEvenInEveryRoundingMode) {
    const int before = std::fegetround();
    for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        // volatile: the values are computed at run time, under the mode.
        volatile double half = 0.5;
        for (const double whole : {0.0, 1.0, 2.0, 3.0, -1.0, -2.0, -3.0, 2147483646.0, -2147483649.0}) {
            const double x = whole + half;
            const double even = std::fmod(whole, 2.0) == 0.0 ? whole : whole + 1.0;
            EXPECT_EQ(rounding::nearest(x), even) << "mode " << mode << ", " << x;
        }
        EXPECT_EQ(rounding::nearestInt32(2.5), 2) << "mode " << mode;
        EXPECT_EQ(rounding::nearestInt32(-3.5), -4) << "mode " << mode;
        EXPECT_EQ(rounding::nearestSaturated(1024.5), 1024) << "mode " << mode;
        EXPECT_EQ(rounding::nearestSaturated(2047.9999990463257), 2048) << "mode " << mode;
        EXPECT_EQ(rounding::sharePercent(1350, 100), 14) << "mode " << mode;
        EXPECT_EQ(rounding::sharePercent(1250, 100), 12) << "mode " << mode;
    }
    std::fesetround(before);
}

TEST(Rounding, Int32ConversionReportsTheUnrepresentable) {
    const struct {
        double x;
        std::int32_t n;
    } cases[] = {{0.5, 0},
                 {1.5, 2},
                 {2.5, 2},
                 {3.5, 4},
                 {-0.5, 0},
                 {-1.5, -2},
                 {-2.5, -2},
                 {2.4999999, 2},
                 {2.5000001, 3},
                 {2147483646.5, 2147483646},
                 {2147483647.0, 2147483647},
                 {-2147483647.5, INT32_LOWEST},  // -2^31 is even
                 {-2147483648.0, INT32_LOWEST}};
    for (const auto& c : cases) EXPECT_EQ(rounding::nearestInt32(c.x), c.n) << c.x;
    EXPECT_EQ(rounding::nearestInt32(12.5), 12);
    EXPECT_EQ(rounding::nearestInt32(13.5), 14);
    EXPECT_EQ(rounding::nearestInt32(-7.5), -8);
    EXPECT_EQ(rounding::nearestInt32(2147483647.4), INT32_HIGHEST);
    EXPECT_EQ(rounding::nearestInt32(2147483647.5), INT32_LOWEST);   // rounds to 2^31
    EXPECT_EQ(rounding::nearestInt32(-2147483648.5), INT32_LOWEST);  // -2^31 itself, even
    EXPECT_EQ(rounding::nearestInt32(-2147483648.0), INT32_LOWEST);
    EXPECT_EQ(rounding::nearestInt32(-2147483647.0), -2147483647);
    EXPECT_EQ(rounding::nearestInt32(1e300), INT32_LOWEST);
    EXPECT_EQ(rounding::nearestInt32(std::nan("")), INT32_LOWEST);
    EXPECT_EQ(rounding::nearestInt32(std::numeric_limits<double>::infinity()), INT32_LOWEST);
    EXPECT_EQ(rounding::nearestInt32(-std::numeric_limits<double>::infinity()), INT32_LOWEST);
}

TEST(Rounding, SaturatedConversionHoldsTheRange) {
    EXPECT_EQ(rounding::nearestSaturated(2047.9999990463257), 2048);
    EXPECT_EQ(rounding::nearestSaturated(2.5), 2);
    EXPECT_EQ(rounding::nearestSaturated(1e30), INT32_HIGHEST);
    EXPECT_EQ(rounding::nearestSaturated(-1e30), INT32_LOWEST);
    EXPECT_EQ(rounding::nearestSaturated(std::nan("")), 0);
    // At the edges of the 32-bit range: the halves next to them go to even,
    // and whatever rounds past an edge stays at it.
    EXPECT_EQ(rounding::nearestSaturated(2147483646.5), 2147483646);
    EXPECT_EQ(rounding::nearestSaturated(2147483647.0), INT32_HIGHEST);
    EXPECT_EQ(rounding::nearestSaturated(2147483647.4), INT32_HIGHEST);
    EXPECT_EQ(rounding::nearestSaturated(2147483647.5), INT32_HIGHEST);  // rounds to 2^31
    EXPECT_EQ(rounding::nearestSaturated(2147483648.0), INT32_HIGHEST);
    EXPECT_EQ(rounding::nearestSaturated(-2147483646.5), -2147483646);
    EXPECT_EQ(rounding::nearestSaturated(-2147483647.5), INT32_LOWEST);
    EXPECT_EQ(rounding::nearestSaturated(-2147483648.0), INT32_LOWEST);
    EXPECT_EQ(rounding::nearestSaturated(-2147483648.5), INT32_LOWEST);
    EXPECT_EQ(rounding::nearestSaturated(-2147483649.0), INT32_LOWEST);
    EXPECT_EQ(rounding::nearestSaturated(-1e300), INT32_LOWEST);
    EXPECT_EQ(rounding::nearestSaturated(std::numeric_limits<double>::infinity()), INT32_HIGHEST);
    EXPECT_EQ(rounding::nearestSaturated(-std::numeric_limits<double>::infinity()), INT32_LOWEST);
}

TEST(Rounding, SharePercentClampsAtZeroWithoutUpperBound) {
    EXPECT_EQ(rounding::sharePercent(600 * 100, 1200), 50);
    EXPECT_EQ(rounding::sharePercent(1250, 100), 12);
    EXPECT_EQ(rounding::sharePercent(1350, 100), 14);
    EXPECT_EQ(rounding::sharePercent(40000, 1200), 33);
    EXPECT_EQ(rounding::sharePercent(240000, 1200), 200);
    EXPECT_EQ(rounding::sharePercent(-500, 1200), 0);
    // Division by zero: infinite or undefined quotients are unrepresentable.
    EXPECT_EQ(rounding::sharePercent(0, 0), 0);
    EXPECT_EQ(rounding::sharePercent(100, 0), 0);
    EXPECT_EQ(rounding::sharePercent(-100, 0), 0);
    // A quotient beyond the 32-bit range is not saturated upwards: it reads
    // as the most negative value and is clamped to 0.
    EXPECT_EQ(rounding::sharePercent(std::int64_t{1} << 40, 1), 0);
    EXPECT_EQ(rounding::sharePercent(214748364700LL, 100), 2147483647);
}

}  // namespace
