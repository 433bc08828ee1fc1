// The monitor's table of running processes, rebuilt from a snapshot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ProcessEntry {
    std::string name;  // executable file name, Windows-1252
    std::int32_t pid = 0;
    std::int32_t cpuPercent = 0;
    std::int32_t ramKB = 0;
};

// 1-based; index 0 exists and is never used. Rows above processCount may hold
// stale entries of an earlier cycle.
extern std::vector<ProcessEntry> processTable;

// When the table was taken, on the clock of process start times
// (os::processStartClock, read right after the snapshot): every process in
// the table had started by then.
extern std::uint64_t processTableTakenAt;

// Refills rows 1..processCount from a process snapshot.
void enumerateProcesses();

// Marks stay with their rows while the table is rebuilt, so a mark may name
// a process that has since moved to another row. A row counts as marked only
// while its mark is the PID it shows: that is when the list draws its cross,
// when a press unmarks it and when a session logs it.
bool rowIsMarked(std::int32_t row);
