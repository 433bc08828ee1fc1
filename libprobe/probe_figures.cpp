#include "libprobe/probe_figures.h"

#include "figures/rounding.h"

namespace cvp {

std::int32_t percentOf(std::int64_t part, std::int64_t whole) {
    if (whole == 0) return 0;
    std::int64_t scaled = 0;
    if (__builtin_mul_overflow(part, std::int64_t{100}, &scaled)) return 0;
    // Negative and unrepresentable quotients come out as 0.
    return rounding::sharePercent(scaled, whole);
}

std::int32_t kilobytes(std::uint64_t bytes) { return rounding::nearestSaturated(static_cast<double>(bytes) / 1024.0); }

std::int32_t usedKilobytes(std::uint64_t totalBytes, std::uint64_t availableBytes) {
    return rounding::nearestSaturated(static_cast<double>(totalBytes) / 1024.0 -
                                      static_cast<double>(availableBytes) / 1024.0);
}

float gigahertzFromTicks(std::int32_t ticks) { return rounding::gigahertzFromTicks(ticks); }

bool difference(std::int64_t a, std::int64_t b, std::int64_t& out) { return !__builtin_sub_overflow(a, b, &out); }

bool sum(std::int64_t a, std::int64_t b, std::int64_t& out) { return !__builtin_add_overflow(a, b, &out); }

}  // namespace cvp
