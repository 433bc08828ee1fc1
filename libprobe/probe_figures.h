// The arithmetic behind corvprobe's figures, free of any system call so that
// each rule (rounding, clamps, the truncating clock division) can be checked
// with exact values. The rounding, saturation and clock rules are the
// monitor's own (figures/rounding.h); what is the library's alone is the
// shape of its answers (0 for what cannot be measured) and its checked
// 64-bit time arithmetic.
#pragma once

#include <cstdint>

namespace cvp {

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4), computed without the
// floating-point environment: the host program that loads us may have changed
// the rounding mode. False when x is not finite or does not fit 32 bits.
bool nearestInt32(double x, std::int32_t& out);

// As nearestInt32, but a value past either end of the 32-bit range gives that
// end (and NaN gives 0), for figures that are sizes rather than shares.
std::int32_t nearestSaturated(double x);

// nearest(part * 100 / whole) for the CPU load and the per-process share:
// 0 when whole is 0, when the product does not fit 64 bits, and when the
// quotient is negative or outside the 32-bit range. No upper limit.
std::int32_t percentOf(std::int64_t part, std::int64_t whole);

// nearest(bytes / 1024).
std::int32_t kilobytes(std::uint64_t bytes);

// nearest(totalBytes / 1024 - availableBytes / 1024), each divided first.
std::int32_t usedKilobytes(std::uint64_t totalBytes, std::uint64_t availableBytes);

// The clock from the counter ticks of a 10 ms window: ticks / 100000 with
// the division truncating, then / 100 as a float (24,031,000 -> 2.4).
float gigahertzFromTicks(std::int32_t ticks);

// a - b and a + b on 64-bit times; false instead of overflowing.
bool difference(std::int64_t a, std::int64_t b, std::int64_t& out);
bool sum(std::int64_t a, std::int64_t b, std::int64_t& out);

}  // namespace cvp
