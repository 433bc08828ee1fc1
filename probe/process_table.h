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

// Refills rows 1..processCount from a process snapshot.
void enumerateProcesses();
