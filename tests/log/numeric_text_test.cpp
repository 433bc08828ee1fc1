// Reading duration and interval texts as numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "figures/numeric_text.h"

namespace {

const double inf = std::numeric_limits<double>::infinity();

TEST(NumericText, DecimalNumbersFromTheStart) {
    EXPECT_EQ(numericValue("4"), 4.0);
    EXPECT_EQ(numericValue("400"), 400.0);
    EXPECT_EQ(numericValue("0400"), 400.0);
    EXPECT_EQ(numericValue("1.5"), 1.5);
    EXPECT_EQ(numericValue(".5"), 0.5);
    EXPECT_EQ(numericValue("5."), 5.0);
    EXPECT_EQ(numericValue("+3"), 3.0);
    EXPECT_EQ(numericValue("-5"), -5.0);
    EXPECT_EQ(numericValue("12abc"), 12.0);
    EXPECT_EQ(numericValue("1,5"), 1.0);  // a comma is no decimal point, on any locale
    EXPECT_EQ(numericValue("0.1"), 0.1);  // correctly rounded
    EXPECT_EQ(numericValue("123456789012345678901234567890"), 1.2345678901234568e29);
}

TEST(NumericText, LeadingBlanksOnly) {
    EXPECT_EQ(numericValue(" 7"), 7.0);
    EXPECT_EQ(numericValue("\t 7"), 7.0);
    EXPECT_EQ(numericValue("7 8"), 7.0);
    EXPECT_EQ(numericValue("- 7"), 0.0);
}

TEST(NumericText, ExponentWithEOrD) {
    EXPECT_EQ(numericValue("1e3"), 1000.0);
    EXPECT_EQ(numericValue("1E3"), 1000.0);
    EXPECT_EQ(numericValue("1d3"), 1000.0);
    EXPECT_EQ(numericValue("1D3"), 1000.0);
    EXPECT_EQ(numericValue("2.5d-1"), 0.25);
    EXPECT_EQ(numericValue("1e+2"), 100.0);
    // A letter without digits is not an exponent; the number ends before it.
    EXPECT_EQ(numericValue("1e"), 1.0);
    EXPECT_EQ(numericValue("1e+"), 1.0);
    EXPECT_EQ(numericValue("1dx"), 1.0);
    EXPECT_EQ(numericValue("1e0000000000000000000002"), 100.0);
}

TEST(NumericText, OutOfRangeIsInfinityOrZeroNeverNaN) {
    EXPECT_EQ(numericValue("1e400"), inf);
    EXPECT_EQ(numericValue("-1e400"), -inf);
    EXPECT_EQ(numericValue("1e99999999999999999999"), inf);
    EXPECT_EQ(numericValue("1e-400"), 0.0);
    EXPECT_EQ(numericValue("0e999999"), 0.0);
    EXPECT_EQ(numericValue("1.7976931348623157e308"), 1.7976931348623157e308);
    EXPECT_EQ(numericValue("1.8e308"), inf);
    EXPECT_EQ(numericValue("0.0001e312"), 1e308);
    EXPECT_EQ(numericValue(std::string(5000, '9')), inf);
}

TEST(NumericText, TextsThatAreNoNumberAreZero) {
    for (const char* text : {"", "abc", " ", ".", "-", "+", "e5", "nan", "NaN", "inf", "infinity", "0x10"}) {
        const double v = numericValue(text);
        EXPECT_FALSE(std::isnan(v)) << text;
        EXPECT_EQ(v, 0.0) << '"' << text << '"';
    }
    EXPECT_EQ(numericValue("0x10"), 0.0);  // "0" then "x": zero, not sixteen
}

}  // namespace
