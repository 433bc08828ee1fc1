#include "libprobe/probe_figures.h"

#include <cmath>
#include <limits>

namespace cvp {

namespace {

constexpr double int32Low = -2147483648.0;
constexpr double int32High = 2147483647.0;

// Ties to even by hand; floor and the subtraction below are exact.
double roundHalfEven(double x) {
    const double below = std::floor(x);
    const double fraction = x - below;
    if (fraction > 0.5) return below + 1.0;
    if (fraction < 0.5) return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

}  // namespace

bool nearestInt32(double x, std::int32_t& out) {
    out = 0;
    if (!std::isfinite(x)) return false;
    const double r = roundHalfEven(x);
    if (r < int32Low || r > int32High) return false;
    out = static_cast<std::int32_t>(r);
    return true;
}

std::int32_t nearestSaturated(double x) {
    if (std::isnan(x)) return 0;
    if (x >= int32High) return std::numeric_limits<std::int32_t>::max();
    if (x <= int32Low) return std::numeric_limits<std::int32_t>::min();
    std::int32_t out = 0;
    nearestInt32(x, out);
    return out;
}

std::int32_t percentOf(std::int64_t part, std::int64_t whole) {
    if (whole == 0) return 0;
    std::int64_t scaled = 0;
    if (__builtin_mul_overflow(part, std::int64_t{100}, &scaled)) return 0;
    const double quotient = static_cast<double>(scaled) / static_cast<double>(whole);
    if (quotient < 0.0) return 0;
    std::int32_t share = 0;
    if (!nearestInt32(quotient, share)) return 0;
    return share;
}

std::int32_t kilobytes(std::uint64_t bytes) {
    return nearestSaturated(static_cast<double>(bytes) / 1024.0);
}

std::int32_t usedKilobytes(std::uint64_t totalBytes, std::uint64_t availableBytes) {
    return nearestSaturated(static_cast<double>(totalBytes) / 1024.0 -
                            static_cast<double>(availableBytes) / 1024.0);
}

float gigahertzFromTicks(std::int32_t ticks) {
    const std::int32_t q = ticks / 100000;  // truncates toward zero, as the figure must
    // q and 100 are exact floats, so one correctly rounded division gives the
    // float nearest to q / 100. On 32-bit x86 the x87 divides at its full
    // precision and the result would leave in ST(0) unrounded: the store to
    // memory rounds it to the float that callers are promised.
    volatile float ghz = static_cast<float>(q) / 100.0f;
    return ghz;
}

bool difference(std::int64_t a, std::int64_t b, std::int64_t& out) {
    return !__builtin_sub_overflow(a, b, &out);
}

bool sum(std::int64_t a, std::int64_t b, std::int64_t& out) {
    return !__builtin_add_overflow(a, b, &out);
}

}  // namespace cvp
