// The arithmetic behind corvprobe's figures, free of any system call so that
// each rule (rounding, clamps, the truncating clock division) can be checked
// with exact values. The rounding, saturation and clock rules are the
// monitor's own, taken from figures/rounding.h and kept nowhere else; what is
// the library's alone is the shape of its answers (0 for what cannot be
// measured) and its checked 64-bit time arithmetic.
#pragma once

#include <cstdint>

namespace cvp {

// nearest(part * 100 / whole) for the CPU load and the per-process share:
// 0 when whole is 0, when the product does not fit 64 bits, and when the
// quotient is negative or outside the 32-bit range. No upper limit.
std::int32_t percentOf(std::int64_t part, std::int64_t whole);

// nearest(bytes / 1024), held inside the 32-bit range. Like every rounding
// of the library it does not depend on the floating-point environment: the
// host program that loads us may have changed the rounding mode.
std::int32_t kilobytes(std::uint64_t bytes);

// nearest(totalBytes / 1024 - availableBytes / 1024), each divided first,
// held inside the 32-bit range.
std::int32_t usedKilobytes(std::uint64_t totalBytes, std::uint64_t availableBytes);

// The clock from the counter ticks of a 10 ms window: ticks / 100000 with
// the division truncating, then / 100 as a float (24,031,000 -> 2.4).
float gigahertzFromTicks(std::int32_t ticks);

// a - b and a + b on 64-bit times; false instead of overflowing.
bool difference(std::int64_t a, std::int64_t b, std::int64_t& out);
bool sum(std::int64_t a, std::int64_t b, std::int64_t& out);

}  // namespace cvp
