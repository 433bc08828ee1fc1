// corvlog's commands. Each returns the exit status: 0 done, 1 a usage
// error, 2 unusable input (or output that cannot be written).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace corvlog {

constexpr int EXIT_USAGE = 1;
constexpr int EXIT_INPUT = 2;

struct Options {
    std::string command;
    std::vector<std::string> logs;
    std::string output;    // -o; empty: standard output
    char separator = ',';  // --sep (csv)
    bool csv = false;      // --csv (summary)
    bool overlay = false;  // --overlay (plot): sessions from their own start
    int width = 1000;      // --width, --height (plot)
    int height = 640;
    // openmetrics, follow
    std::vector<std::pair<std::string, std::string>> labels;  // --label NAME=VALUE (value UTF-8)
    bool utcOffsetGiven = false;                              // --utc-offset (openmetrics)
    std::int64_t utcOffsetMinutes = 0;
    std::string textfileDir;  // --textfile (follow)
    bool keep = false;        // --keep (follow)
    int waitSeconds = 60;     // --wait (follow)
};

// Reads the command line. False: `error` holds the usage message.
bool parseOptions(int argc, char** argv, Options& options, std::string& error);
extern const char* const USAGE;

int runCsv(const Options& options);
int runJson(const Options& options);
int runSummary(const Options& options);
int runPlot(const Options& options);
int runShow(const Options& options);
int runOpenMetrics(const Options& options);
int runFollow(const Options& options);

}  // namespace corvlog
