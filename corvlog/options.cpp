#include <cstdlib>
#include <cstring>

#include "corvlog/commands.h"
#include "corvlog/cp1252.h"
#include "corvlog/metric_text.h"
#include "os/terminal_text.h"

namespace corvlog {

const char* const USAGE =
    "usage: corvlog csv LOG... [-o FILE] [--sep C]\n"
    "       corvlog json LOG... [-o FILE]\n"
    "       corvlog summary LOG... [--csv] [-o FILE]\n"
    "       corvlog plot LOG... -o CHART.svg [--overlay] [--width N] [--height N]\n"
    "       corvlog show LOG\n"
    "       corvlog openmetrics LOG... [-o FILE] [--label NAME=VALUE]... [--utc-offset +HH:MM]\n"
    "       corvlog follow LOG --textfile DIR [--label NAME=VALUE]... [--keep] [--wait SECONDS]\n"
    "       corvlog --help | --version\n"
    "LOG may be - for standard input. -o never names a LOG; it is replaced only when the run succeeds.\n"
    "Exit status: 0 done, 1 usage error, 2 unusable input.\n";

namespace {

// A CSV separator must not occur in a field that is written unquoted: the
// headings (letters and "_"), the times ("2026-12-09T05:25:18.212") and the
// figures (digits, "-"). Names and paths are quoted when they hold it; a
// quote or a line end cannot separate, and a byte above 127 would break the
// UTF-8 text.
bool usableSeparator(const char* text) {
    if (std::strlen(text) != 1) return false;
    const auto c = static_cast<unsigned char>(text[0]);
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool digit = c >= '0' && c <= '9';
    return !letter && !digit && c < 0x80 && !std::strchr("-:._\"\r\n", c);
}

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
        o.command != "show" && o.command != "openmetrics" && o.command != "follow") {
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
        } else if ((a == "-o" || a == "--output") && o.command != "show" && o.command != "follow") {
            if (!hasValue || argv[i + 1][0] == '\0') {
                error = a + " needs a file name";
                return false;
            }
            o.output = argv[++i];
        } else if (a == "--sep" && o.command == "csv") {
            if (!hasValue || !usableSeparator(argv[i + 1])) {
                error =
                    "--sep needs one character that no field holds unquoted: not a letter, a digit, \"-\", \":\", "
                    "\".\", \"_\", a quote, a line end or a byte above 127";
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
        } else if (a == "--label" && (o.command == "openmetrics" || o.command == "follow")) {
            const std::string given = hasValue ? argv[i + 1] : "";
            const std::size_t equals = given.find('=');
            if (equals == std::string::npos || !usableLabelName(std::string_view(given).substr(0, equals))) {
                error = "--label needs NAME=VALUE, NAME of letters, digits and _ (not process, series or __...)";
                return false;
            }
            const std::string name = given.substr(0, equals);
            for (const auto& label : o.labels) {
                if (label.first == name) {
                    error = "--label " + name + " given twice";
                    return false;
                }
            }
            o.labels.emplace_back(name, validUtf8(os::argumentToUtf8(given.substr(equals + 1))));
            ++i;
        } else if (a == "--utc-offset" && o.command == "openmetrics") {
            if (!hasValue || !parseUtcOffset(argv[i + 1], o.utcOffsetMinutes)) {
                error = "--utc-offset needs +HH:MM or -HH:MM (at most 18:00)";
                return false;
            }
            o.utcOffsetGiven = true;
            ++i;
        } else if (a == "--textfile" && o.command == "follow") {
            if (!hasValue || argv[i + 1][0] == '\0') {
                error = "--textfile needs a folder";
                return false;
            }
            o.textfileDir = argv[++i];
        } else if (a == "--keep" && o.command == "follow") {
            o.keep = true;
        } else if (a == "--wait" && o.command == "follow") {
            if (!hasValue || !number(argv[i + 1], 0, 86400, o.waitSeconds)) {
                error = "--wait needs a number of seconds (0-86400)";
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
    if ((o.command == "show" || o.command == "follow") && o.logs.size() != 1) {
        error = o.command + " takes one log";
        return false;
    }
    if (o.command == "follow" && (o.textfileDir.empty() || o.logs[0] == "-")) {
        error = o.textfileDir.empty() ? "follow needs --textfile DIR" : "follow reads a log file, not standard input";
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
