// How long a log session runs and how long it pauses, decided from the
// numeric values of its duration and interval texts. Every text yields a
// session that ends by itself: the figures are never allowed to become an
// endless session or an endless pause.
#pragma once

#include <cstdint>
#include <string_view>

// The key that ends a session at the end of a pass.
constexpr std::string_view STOP_KEY = " ";

// The interval that paces the passes: the given one when it is a positive
// finite number of milliseconds, else 0 (the passes follow each other at once).
double usableIntervalMs(double intervalMs);

// nearest(duration * 1000 / interval + 1), the number of passes including the
// unwritten first one. An interval that is not usable, and any figure that
// is not finite or below 1, give one pass (a header-only file); figures
// beyond the 32-bit range are held at its top.
std::int32_t passCountFor(double durationSeconds, double intervalMs);

// A pause of nearest(ms) milliseconds, never negative (a pass that outran its
// interval starts the next one at once) and at most 2^31 - 1.
std::int64_t pauseLengthMs(double ms);
