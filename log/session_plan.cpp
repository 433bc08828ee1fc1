#include "log/session_plan.h"

#include <cmath>

#include "figures/rounding.h"

double usableIntervalMs(double intervalMs) {
    return (std::isfinite(intervalMs) && intervalMs > 0.0) ? intervalMs : 0.0;
}

std::int32_t passCountFor(double durationSeconds, double intervalMs) {
    if (usableIntervalMs(intervalMs) <= 0.0) return 1;
    const double passes = rounding::nearest(durationSeconds * 1000.0 / intervalMs + 1.0);
    if (!std::isfinite(passes) || passes < 1.0) return 1;
    if (passes >= 2147483647.0) return rounding::INT32_HIGHEST;
    return static_cast<std::int32_t>(passes);
}

std::int64_t pauseLengthMs(double ms) {
    const double length = rounding::nearest(ms);
    if (!(length > 0.0)) return 0;  // also NaN
    if (length >= 2147483647.0) return rounding::INT32_HIGHEST;
    return static_cast<std::int64_t>(length);
}
