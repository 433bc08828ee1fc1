// Scrolling the list: arrows, thumb drag, wheel and the navigation keys.
// Every single step happens under stateLock with its redraw.
#include "input/actions.h"
#include "input/regions.h"
#include "input/state_lock_guard.h"
#include "os/os.h"
#include "screen/layout.h"
#include "screen/list_view.h"
#include "state/monitor_state.h"

namespace {

constexpr int DRAG_PAUSE_MS = 5;

int wheelSeenLast = 0;

// The caller holds stateLock.
void stepUp() {
    MonitorState& s = monitorState;
    if (s.firstRow <= 1) return;
    s.firstRow -= 1;
    s.lastRow -= 1;
    redrawList();
}

void stepDown() {
    MonitorState& s = monitorState;
    if (s.lastRow >= s.processCount) return;
    s.firstRow += 1;
    s.lastRow += 1;
    redrawList();
}

// The anchor follows the pointer at each row moved, so however far the
// pointer went between two passes, the list moves one row per pass.
void dragThumb(int startY) {
    const MonitorState& s = monitorState;
    int anchor = startY;
    PointerState p;
    do {
        p = readPointer();
        if (!p.ok) return;
        {
            StateLockGuard guard;
            if (s.processCount > 0) {
                const double step = layout::thumbSpan / s.processCount;
                if (p.y >= anchor + step && s.lastRow < s.processCount) {
                    stepDown();
                    anchor = p.y;
                } else if (p.y <= anchor - step && s.firstRow > 1) {
                    stepUp();
                    anchor = p.y;
                }
            }
        }
        os::pauseMs(DRAG_PAUSE_MS);
    } while (p.buttons == 1);
}

}  // namespace

void scrollUpOneRow() {
    StateLockGuard guard;
    stepUp();
}

void scrollDownOneRow() {
    StateLockGuard guard;
    stepDown();
}

void scrollToTop() {
    StateLockGuard guard;
    MonitorState& s = monitorState;
    s.firstRow = 1;
    s.lastRow = s.processCount < VISIBLE_ROWS ? s.processCount : VISIBLE_ROWS;
    redrawList();
}

void scrollToEnd() {
    StateLockGuard guard;
    MonitorState& s = monitorState;
    s.firstRow = s.processCount >= VISIBLE_ROWS ? s.processCount - (VISIBLE_ROWS - 1) : 1;
    s.lastRow = s.processCount;
    redrawList();
}

void pressScrollColumn(int y) {
    if (inScrollUpArrow(y)) {
        scrollUpOneRow();
    } else if (inScrollDownArrow(y)) {
        scrollDownOneRow();
    } else if (inScrollTrack(y)) {
        bool onThumb;
        {
            StateLockGuard guard;
            const MonitorState& s = monitorState;
            onThumb = y >= s.thumbTop && y <= s.thumbTop + s.thumbLength;
        }
        if (onThumb) dragThumb(y);
    }
}

void wheelStep(const PointerState& p) {
    if (p.wheel == wheelSeenLast || p.x == -1 || p.y == -1) return;
    StateLockGuard guard;
    const MonitorState& s = monitorState;
    const bool longList = s.processCount > VISIBLE_ROWS;
    if (p.wheel > wheelSeenLast) {
        if (longList) stepUp();
    } else if (longList) {
        stepDown();
    }
    wheelSeenLast = p.wheel;
}

void forgetWheelPosition() { wheelSeenLast = 0; }
