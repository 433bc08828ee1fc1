// The shape a log file may have after a run that ended normally or was
// killed at any moment: nothing, a prefix of the header made of whole lines,
// or the whole header followed by whole records (each line with its empty
// line). Never a cut line.
#pragma once

#include <string>
#include <vector>

#include "tests/headless/log_file_check.h"

struct LogShape {
    bool exists = false;
    bool headerComplete = false;
    int headerLines = 0;  // whole header lines present (9 when complete)
    LogFile log;          // the full check, when the header is complete
    std::vector<std::string> problems;
};

LogShape readLogShape(const std::string& path, const std::string& duration, const std::string& interval);

// Every regular file below `folder`, as paths relative to it (sorted).
std::vector<std::string> filesBelow(const std::string& folder);

std::string joinLines(const std::vector<std::string>& items);
