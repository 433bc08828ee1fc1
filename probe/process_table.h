// Rebuilding the monitor's table of running processes (processTable, kept
// with the shared state) from a process snapshot.
#pragma once

#include "state/monitor_state.h"

// Refills rows 1..processCount from a process snapshot and sets
// processTableTakenAt.
void enumerateProcesses();
