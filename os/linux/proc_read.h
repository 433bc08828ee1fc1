// Small helpers for reading /proc files in one piece.
#pragma once

#include <cstdint>
#include <string>

namespace linuxproc {

struct StatFields {
    std::string comm;
    std::uint64_t utimeTicks = 0;
    std::uint64_t stimeTicks = 0;
    std::uint64_t rssPages = 0;
};

// Reads a whole small file (up to 64 KiB) with one open/read/close.
bool readSmallFile(const char* path, std::string& out);

// Parses /proc/<pid>/stat; false when the process is gone or unreadable.
bool readStat(int pid, StatFields& out);
bool parseStat(const char* text, std::size_t length, StatFields& out);

std::int64_t ticksTo100ns(std::uint64_t ticks);
std::uint64_t pageSize();

}  // namespace linuxproc
