// A pass of a headless session: the system's times and the marked processes
// only. Nothing else is on show, and the log depends on nothing else, so a
// pass costs the same on a machine of 70 processes as on one of 2,000.
#pragma once

#include "log/log_writer.h"
#include "log/session_pins.h"

// Samples the system's times, then each pinned row in table order; given a
// writer, each row is written right after its own sample.
void sampleMarkedPass(SessionPins& pins, LogWriter* writer);
