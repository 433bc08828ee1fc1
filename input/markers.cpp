// Marking a process for logging with a press on its marker box.
#include "input/actions.h"
#include "input/regions.h"
#include "input/state_lock_guard.h"
#include "os/os.h"
#include "screen/layout.h"
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
            if (y < rowBandTop(r) || y > rowBandBottom(r)) continue;
            const int i = s.firstRow + r - 1;
            if (i < 1) continue;
            const auto index = static_cast<std::size_t>(i);
            if (index >= markedPid.size() || index >= processTable.size()) continue;
            // The cross is drawn at once, line by line, without a screen batch.
            // A mark that is not the row's PID shows no cross: the press marks.
            if (!rowIsMarked(i)) {
                markRow(i);
                const layout::Rect box = layout::markerBox(r);
                drawLine(box.left, box.top, box.right, box.bottom, colourBlack);
                drawLine(box.right, box.top, box.left, box.bottom, colourBlack);
            } else {
                // One pixel inside the box: its black outline stays.
                unmarkRow(i);
                const layout::Rect inside = layout::markerBox(r).inset(1);
                drawLine(inside.left, inside.top, inside.right, inside.bottom, colourWhite);
                drawLine(inside.right, inside.top, inside.left, inside.bottom, colourWhite);
            }
        }
    }
    os::pauseMs(TOGGLE_PAUSE_MS);
}
