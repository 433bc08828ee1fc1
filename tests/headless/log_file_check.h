// Reading back a log file the program wrote and checking it against the
// format: CR LF lines, the nine header lines, records with their empty lines.
#pragma once

#include <string>
#include <vector>

struct LogRecord {
    std::string time;  // hh:mm:ss:mmm
    std::string name;  // without the padding
    long cpuPercent = -1;
    long ramKB = -1;
};

struct LogFile {
    bool exists = false;
    std::vector<std::string> header;  // the nine header lines
    std::vector<LogRecord> records;
    std::vector<std::string> problems;  // every way the bytes break the format
};

// Reads and checks `path`. `duration` and `interval` are the texts the
// header must show.
LogFile readLogFile(const std::string& path, const std::string& duration, const std::string& interval);

// Records of one process name.
int countRecords(const LogFile& log, const std::string& name);
