// show: the log itself, its Windows-1252 text in the terminal's encoding,
// each line ended as the platform ends lines.
#include "corvlog/cp1252.h"
#include "corvlog/log_walk.h"
#include "os/terminal_text.h"

namespace corvlog {

int runShow(const Options& options) {
    Output out;
    if (!startOutput(out, options)) return EXIT_INPUT;
    LogReader reader;
    // The header is checked as every command checks it; the rest is shown
    // as it stands, a cut last line included.
    if (!openLogFile(reader, options.logs[0])) return inputFailed(reader, &out);
    std::string text;
    const auto showLine = [&](std::string_view line) {
        text.clear();
        appendCp1252AsUtf8(text, line);
        text += os::terminalLineEnd;
        put(out, os::toTerminalText(text));
    };
    for (const std::string& line : reader.headerLines) showLine(line);
    std::string_view line;
    bool whole = false;
    while (nextLine(reader, line, whole)) showLine(line);
    closeLogFile(reader);
    if (!reader.error.empty()) return inputFailed(reader, &out);
    if (!closeOutput(out, true)) {
        report("standard output: cannot write");
        return EXIT_INPUT;
    }
    return 0;
}

}  // namespace corvlog
