// How many passes a log's header plans, by the rule the monitor's log
// session counts them with (that code lies above corvlog's folder): `follow`
// knows from it when a session is over.
#pragma once

#include <cstdint>

namespace corvlog {

// nearest(duration * 1000 / interval + 1), halves to even, including the
// monitor's unwritten first pass; 1 (a header-only log) for an interval that
// is not a positive finite number and for any result not finite or below 1;
// held at 2^31 - 1.
std::int32_t plannedPassCount(double durationSeconds, double intervalMs);

// The interval that paces the passes: the given one when it is a positive
// finite number of milliseconds, else 0 (the passes follow each other at once).
double pacingIntervalMs(double intervalMs);

}  // namespace corvlog
