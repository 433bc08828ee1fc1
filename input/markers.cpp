// Marking a process for logging with a press on its marker box.
#include "input/actions.h"
#include "input/regions.h"
#include "input/state_lock_guard.h"
#include "os/os.h"
#include "screen/surface.h"
#include "state/monitor_state.h"

namespace {
constexpr int TOGGLE_PAUSE_MS = 120;
}

void toggleMarkerAt(int y) {
    {
        StateLockGuard guard;
        const MonitorState& s = monitorState;
        int rows = s.lastRow - s.firstRow + 1;
        if (rows > VISIBLE_ROWS) rows = VISIBLE_ROWS;
        for (int r = 1; r <= rows; ++r) {
            const int top = rowBandTop(r);
            if (y < top || y > rowBandBottom(r)) continue;
            const int i = s.firstRow + r - 1;
            if (i < 1) continue;
            const auto index = static_cast<std::size_t>(i);
            if (index >= markedPid.size() || index >= processTable.size()) continue;
            // The cross is drawn at once, line by line, without a screen batch.
            // A mark that is not the row's PID shows no cross: the press marks.
            if (!rowIsMarked(i)) {
                markedPid[index] = processTable[index].pid;
                drawLine(20, top - 1, 34, top + 12, colourBlack);
                drawLine(34, top - 1, 20, top + 12, colourBlack);
            } else {
                // One pixel inside the box: its black outline stays.
                markedPid[index] = 0;
                drawLine(21, top, 33, top + 11, colourWhite);
                drawLine(33, top, 21, top + 11, colourWhite);
            }
        }
    }
    os::pauseMs(TOGGLE_PAUSE_MS);
}
