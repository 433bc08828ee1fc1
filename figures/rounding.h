// The figure rules: conversions of floating-point figures to integers and
// the clock's truncation, the one place of them for the monitor (probe/,
// log/, screen/, app/), the metrics library (libprobe/) and corvlog. Only
// code lives here, no state: the library and the program each keep their
// own figures.
//
// Every such conversion rounds to the nearest integer with halves to even,
// independent of the processor's current rounding mode (floor, the
// subtraction and fmod below are exact), so a host program that loaded the
// library and changed the rounding mode gets the same figures. A share whose
// quotient cannot be represented (division by zero, NaN, out of the 32-bit
// range) becomes the most negative 32-bit value first, the way the
// processor's own conversion reports it, and is then clamped at 0 by the
// callers that show a share.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace rounding {

constexpr std::int32_t INT32_LOWEST = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t INT32_HIGHEST = std::numeric_limits<std::int32_t>::max();

// Nearest integer as a double, halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
// NaN and infinities come back unchanged.
inline double nearest(double x) {
    if (!std::isfinite(x)) return x;
    const double below = std::floor(x);
    const double fraction = x - below;  // exact for every finite double
    if (fraction > 0.5) return below + 1.0;
    if (fraction < 0.5) return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

// Whether a (rounded) value is a signed 32-bit value: false for NaN,
// infinities and everything outside the range.
inline bool fitsInt32(double r) { return r >= -2147483648.0 && r <= 2147483647.0; }

// nearest(x) as a signed 32-bit value; NaN, infinities and results outside
// the 32-bit range give INT32_LOWEST.
inline std::int32_t nearestInt32(double x) {
    const double r = nearest(x);
    if (!fitsInt32(r)) return INT32_LOWEST;
    return static_cast<std::int32_t>(r);
}

// nearest(x) held inside the 32-bit range; NaN gives 0. For figures that can
// only be too large on an unusual machine (memory sizes), never meaningless.
inline std::int32_t nearestSaturated(double x) {
    if (std::isnan(x)) return 0;
    const double r = nearest(x);
    if (r <= -2147483648.0) return INT32_LOWEST;
    if (r >= 2147483647.0) return INT32_HIGHEST;
    return static_cast<std::int32_t>(r);
}

// The percentage figure of a CPU share: part / whole in floating point,
// rounded by nearestInt32, negative results (including the unrepresentable
// ones) clamped to 0. There is no upper bound.
inline std::int32_t sharePercent(std::int64_t part, std::int64_t whole) {
    const std::int32_t value = nearestInt32(static_cast<double>(part) / static_cast<double>(whole));
    return value < 0 ? 0 : value;
}

// The CPU clock from the counter ticks of a 10 ms window: ticks / 100000
// with the division truncating toward zero (whole hundredths of a GHz, never
// rounded up), then / 100 as the float nearest that figure (24,031,000 ->
// 2.4, 339,999,999 -> 33.99).
inline float gigahertzFromTicks(std::int32_t ticks) {
    const std::int32_t hundredths = ticks / 100000;
    // hundredths and 100 are exact floats, so one correctly rounded division
    // gives the float nearest to hundredths / 100. On 32-bit x86 the x87
    // divides at its full precision and the result would leave in ST(0)
    // unrounded: the store to memory rounds it to the float promised.
    volatile float ghz = static_cast<float>(hundredths) / 100.0f;
    return ghz;
}

}  // namespace rounding
