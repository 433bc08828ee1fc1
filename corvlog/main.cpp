// corvlog: reads Corvane's logs back as CSV, JSON lines, a summary per
// process, an SVG chart, the log itself in the terminal's encoding, or
// Prometheus text (for backfill, or kept current for a textfile collector).
#include <cstdio>
#include <string>

#include "corvlog/commands.h"
#include "corvlog/output_text.h"

int main(int argc, char** argv) {
    using namespace corvlog;
    const std::string first = argc >= 2 ? argv[1] : "";
    if (first == "--help" || first == "-h") {
        std::fputs(USAGE, stdout);
        return 0;
    }
    if (first == "--version" || first == "-V") {
        std::fputs("corvlog " CORV_VERSION "\n", stdout);
        return 0;
    }
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        report(error);
        std::fputs(USAGE, stderr);
        return EXIT_USAGE;
    }
    // A log is never written over: not even when -o names it another way.
    std::string why;
    if (!options.output.empty() && outputIsALog(options.output, options.logs, why)) {
        report("-o " + shownPath(options.output) + " " + why + ": corvlog never writes over its input");
        return EXIT_USAGE;
    }
    if (options.command == "csv") return runCsv(options);
    if (options.command == "json") return runJson(options);
    if (options.command == "summary") return runSummary(options);
    if (options.command == "plot") return runPlot(options);
    if (options.command == "openmetrics") return runOpenMetrics(options);
    if (options.command == "follow") return runFollow(options);
    return runShow(options);
}
