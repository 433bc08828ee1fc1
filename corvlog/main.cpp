// corvlog: reads Corvane's logs back as CSV, JSON lines, a summary per
// process, an SVG chart, the log itself in the terminal's encoding, or
// Prometheus text (for backfill, or kept current for a textfile collector).
#include <cstdio>
#include <string>

#include "corvlog/commands.h"
#include "corvlog/output_text.h"

int main(int argc, char** argv) {
    using namespace corvlog;
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::fputs(USAGE, stdout);
        return 0;
    }
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        report(error);
        std::fputs(USAGE, stderr);
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
