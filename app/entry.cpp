#include "app/entry.h"

#include "app/windowed.h"
#include "log/log_session.h"
#include "os/os.h"
#include "probe/process_table.h"
#include "state/monitor_state.h"

std::string lowerAscii(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string withTxtSuffix(const std::string& name) {
    if (name.empty()) return name;
    if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".txt") == 0) return name;
    return name + ".txt";
}

std::string pidText(std::int32_t pid) {
    std::string digits = std::to_string(pid);
    if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
    return digits;
}

std::string nameStem(const std::string& name) {
    const std::size_t suffix = os::executableSuffixLength;
    if (name.size() <= suffix) return std::string();
    return lowerAscii(name.substr(0, name.size() - suffix));
}

void selectMarkedRows() {
    MonitorState& s = monitorState;
    resizeRowArrays(s.processCount);
    for (std::int32_t i = 1; i <= s.processCount; ++i) {
        const ProcessEntry& row = processTable[static_cast<std::size_t>(i)];
        const std::string pid = pidText(row.pid);
        const std::string stem = nameStem(row.name);
        const bool byPid = s.markSpec.find(pid) != std::string::npos;
        const bool byName = !stem.empty() && s.markSpec.find(stem) != std::string::npos;
        if (byPid || byName) markRow(i);
    }
}

void startUp(const std::vector<std::string>& args) {
    auto arg = [&](std::size_t position) { return position < args.size() ? args[position] : std::string(); };
    os::initCommonControls();

    MonitorState& s = monitorState;
    s.markSpec = lowerAscii(arg(1));
    s.durationArg = arg(2);
    s.intervalArg = arg(3);
    s.logFileName = withTxtSuffix(arg(4));
    s.firstRow = 1;
    s.lastRow = VISIBLE_ROWS;
    enumerateProcesses();
}

std::string usageText(const std::string& program) {
    std::string text = "usage: " + program + " [PROCESSES [SECONDS [MILLISECONDS [LOGFILE]]]]\n";
    text += "       " + program + " --help | --version\n";
    text +=
        "Without arguments the window opens. PROCESSES (PIDs padded to four digits and names, as in\n"
        "1234,bash) are logged headlessly every MILLISECONDS (400) for SECONDS (4) to LOGFILE\n"
        "(\".txt\" appended; default \"Log DD-MM-YYYY hhmmss.txt\"), then the program ends.\n"
        "Exit status: 0 done, 1 the log could not be written or a usage error.\n";
    return text;
}

bool answerOption(const std::vector<std::string>& args) {
    if (args.size() < 2 || args[1].empty() || args[1][0] != '-' || !os::commandLineHasOptions()) return false;
    const std::string& option = args[1];
    std::string program = args[0];
    const std::size_t slash = program.find_last_of("/\\");
    if (slash != std::string::npos) program.erase(0, slash + 1);
    if (program.empty()) program = "corvane";
    if (option == "--help" || option == "-h") {
        os::tellUser(usageText(program));
        os::exitProcess(0);
    }
    if (option == "--version" || option == "-V") {
        os::tellUser(program + " " CORV_VERSION "\n");
        os::exitProcess(0);
    }
    os::tellFailure(program + ": unknown option \"" + option + "\" (" + program + " --help shows the usage)");
    os::exitProcess(1);
}

void runEntry(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.emplace_back(argv[i] ? argv[i] : "");
    // Before anything else: an option starts no window and writes no log.
    answerOption(args);
    startUp(args);

    MonitorState& s = monitorState;
    if (!s.markSpec.empty()) {
        selectMarkedRows();
        s.durationText = s.durationArg;
        s.intervalText = s.intervalArg;
        // A log that could not be created or written is no success.
        const LogOutcome outcome = runLogSession();
        if (!outcome.written) {
            os::tellFailure("Corvane: the log file \"" + outcome.fileName +
                            "\" could not be written: " + outcome.failure);
        }
        os::exitProcess(outcome.written ? 0 : 1);
    }
    runWindowedMode();
}
