// The headless selection: an arbitrary first argument matched against an
// arbitrary process table, through the program's own start-up.
//
// Input: the first argument, then processes (PID, name, each arbitrary bytes
// including NUL and upper case) until the input ends.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/entry.h"
#include "fuzz/fuzz_input.h"
#include "probe/process_table.h"
#include "state/monitor_state.h"
#include "tests/fake/fake_os.h"

namespace {

char lowered(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

// Plain byte-by-byte search; an empty needle never counts.
bool occursIn(const std::string& needle, const std::string& hay) {
    if (needle.empty() || needle.size() > hay.size()) return false;
    for (std::size_t at = 0; at + needle.size() <= hay.size(); ++at) {
        std::size_t k = 0;
        while (k < needle.size() && hay[at + k] == needle[k]) ++k;
        if (k == needle.size()) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    fakeos::reset();
    resetMonitorState();

    const std::string argument = in.text(64);
    std::vector<fakeos::Process> processes;
    while (!in.done() && processes.size() < 300) {
        fakeos::Process p;
        // PIDs are never negative on either system; small ones test the padding.
        p.pid = in.edgyInt(0, 99999) & 0x7FFFFFFF;
        p.name = in.text(40);
        processes.push_back(p);
    }
    fakeos::state().processes = processes;

    startUp({"Corvane", argument, "", "", ""});
    selectMarkedRows();

    const MonitorState& s = monitorState;
    std::string selection;
    for (char c : argument) selection.push_back(lowered(c));
    FUZZ_CHECK(s.markSpec == selection);
    FUZZ_CHECK(s.processCount == static_cast<std::int32_t>(processes.size()));
    FUZZ_CHECK(markedPid.size() >= processes.size() + 1);
    FUZZ_CHECK(processes.empty() || processTable.size() >= processes.size() + 1);

    for (std::size_t i = 1; i <= processes.size(); ++i) {
        const fakeos::Process& p = processes[i - 1];
        // The table keeps a name up to its first NUL, as the system hands it over.
        const std::string name = p.name.substr(0, p.name.find('\0'));
        FUZZ_CHECK(processTable[i].pid == p.pid);
        FUZZ_CHECK(processTable[i].name == name);

        char digits[16];
        std::snprintf(digits, sizeof digits, "%04d", p.pid);
        std::string stem;
        if (name.size() > 4) {
            for (std::size_t k = 0; k + 4 < name.size(); ++k) stem.push_back(lowered(name[k]));
        }
        const bool selected = occursIn(digits, selection) || occursIn(stem, selection);
        FUZZ_CHECK(markedPid[i] == (selected ? p.pid : 0));
    }
    FUZZ_CHECK(markedPid[0] == 0);
    return 0;
}
