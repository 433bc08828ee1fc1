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
