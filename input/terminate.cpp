#include "input/terminate.h"

#include <string>

#include "app/monitor_state.h"
#include "input/regions.h"
#include "input/state_lock_guard.h"
#include "os/os.h"
#include "probe/process_table.h"
#include "screen/surface.h"

namespace {

constexpr unsigned BOX_YES_NO_QUESTION = 0x24;
constexpr unsigned BOX_ERROR = 0x10;
constexpr int ANSWER_YES = 6;
constexpr int PAUSE_AFTER_YES_MS = 500;

void askAndEnd(const ProcessEntry& entry) {
    const std::string question = "Soll  \"" + entry.name + "\"" + "  wirklich beendet werden?";
    if (os::messageBox(question, "Prozess beenden", BOX_YES_NO_QUESTION) != ANSWER_YES) return;
    if (!os::terminateProcess(entry.pid)) {
        os::messageBox("Zugriff vom System verweigert.", "Beenden des Prozesses nicht m\xF6glich", BOX_ERROR);
    }
    os::pauseMs(PAUSE_AFTER_YES_MS);
}

}  // namespace

void endProcessAtRow(int y) {
    StateLockGuard guard;
    const MonitorState& s = monitorState;
    int rows = s.lastRow - s.firstRow + 1;
    if (rows > VISIBLE_ROWS) rows = VISIBLE_ROWS;
    for (int r = 1; r <= rows; ++r) {
        if (y < rowBandTop(r) || y > rowBandBottom(r)) continue;
        // Only the oldest buffered key counts, and it is used up either way.
        if (readKey() != "q") continue;
        const int i = s.firstRow + r - 1;
        if (i < 1 || static_cast<std::size_t>(i) >= processTable.size()) continue;
        askAndEnd(processTable[static_cast<std::size_t>(i)]);
    }
}
