#include <cstdlib>
#include <cstring>

#include "corvlog/commands.h"

namespace corvlog {

const char* const USAGE =
    "usage: corvlog csv LOG... [-o FILE] [--sep C]\n"
    "       corvlog json LOG... [-o FILE]\n"
    "       corvlog summary LOG... [--csv] [-o FILE]\n"
    "       corvlog plot LOG... -o CHART.svg [--overlay] [--width N] [--height N]\n"
    "       corvlog show LOG\n"
    "LOG may be - for standard input. Exit status: 0 done, 1 usage error, 2 unusable input.\n";

namespace {

bool number(const char* text, int low, int high, int& value) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < low || v > high) return false;
    value = static_cast<int>(v);
    return true;
}

}  // namespace

bool parseOptions(int argc, char** argv, Options& o, std::string& error) {
    if (argc < 2) {
        error = "no command";
        return false;
    }
    o.command = argv[1];
    if (o.command != "csv" && o.command != "json" && o.command != "summary" && o.command != "plot" &&
        o.command != "show") {
        error = "unknown command \"" + o.command + "\"";
        return false;
    }
    bool optionsEnded = false;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (optionsEnded || a == "-" || a.empty() || a[0] != '-') {
            o.logs.push_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if ((a == "-o" || a == "--output") && o.command != "show") {
            if (!hasValue || argv[i + 1][0] == '\0') {
                error = a + " needs a file name";
                return false;
            }
            o.output = argv[++i];
        } else if (a == "--sep" && o.command == "csv") {
            if (!hasValue || std::strlen(argv[i + 1]) != 1 || std::strchr("\"\r\n", argv[i + 1][0])) {
                error = "--sep needs one character other than a quote or a line end";
                return false;
            }
            o.separator = argv[++i][0];
        } else if (a == "--csv" && o.command == "summary") {
            o.csv = true;
        } else if (a == "--overlay" && o.command == "plot") {
            o.overlay = true;
        } else if ((a == "--width" || a == "--height") && o.command == "plot") {
            if (!hasValue ||
                !number(argv[i + 1], a == "--width" ? 400 : 300, 10000, a == "--width" ? o.width : o.height)) {
                error = a + " needs a number of pixels (width 400-10000, height 300-10000)";
                return false;
            }
            ++i;
        } else {
            error = "unknown option \"" + a + "\" for " + o.command;
            return false;
        }
    }
    if (o.logs.empty()) {
        error = "no log named";
        return false;
    }
    if (o.command == "show" && o.logs.size() != 1) {
        error = "show takes one log";
        return false;
    }
    if (o.command == "plot" && o.output.empty()) {
        error = "plot needs -o CHART.svg";
        return false;
    }
    int stdinCount = 0;
    for (const std::string& l : o.logs) stdinCount += l == "-" ? 1 : 0;
    if (stdinCount > 1) {
        error = "standard input (-) can be read once only";
        return false;
    }
    return true;
}

}  // namespace corvlog
