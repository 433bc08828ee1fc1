#include "corvlog/session_length.h"

#include <cmath>

#include "figures/rounding.h"

namespace corvlog {

double pacingIntervalMs(double intervalMs) { return std::isfinite(intervalMs) && intervalMs > 0.0 ? intervalMs : 0.0; }

std::int32_t plannedPassCount(double durationSeconds, double intervalMs) {
    if (pacingIntervalMs(intervalMs) <= 0.0) return 1;
    const double passes = rounding::nearest(durationSeconds * 1000.0 / intervalMs + 1.0);
    if (!std::isfinite(passes) || passes < 1.0) return 1;
    if (passes >= 2147483647.0) return rounding::INT32_HIGHEST;
    return static_cast<std::int32_t>(passes);
}

}  // namespace corvlog
