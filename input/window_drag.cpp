// Moving the frameless window by its title bar. The event queue's movements
// are desktop deltas, so they stay right while the window moves under the
// pointer. This is the only reader of the queue, so it also holds what
// happened since the last drag: presses, moves and releases of thumb drags
// and clicks. Those are no part of this drag; only what follows the press
// that started it moves the window.
#include <deque>

#include "input/actions.h"
#include "os/os.h"
#include "screen/surface.h"

namespace {
constexpr int DRAG_PAUSE_MS = 5;
constexpr int LEFT_BUTTON = 1;
bool dragFlag = false;

// Empties the queue and keeps the newest left press with what followed it.
// The left button is held, so that press is the one that started this drag;
// when none is left in the queue, more events followed it than the queue
// holds, and all that is left came after it.
std::deque<SurfaceEvent> eventsOfThisDrag() {
    std::deque<SurfaceEvent> ours;
    bool pressFound = false;
    SurfaceEvent event;
    while (pollEvent(event)) {
        if (event.kind == EVENT_BUTTON_DOWN && event.x == LEFT_BUTTON) {
            ours.clear();
            pressFound = true;
        }
        ours.push_back(event);
    }
    if (!pressFound) dragFlag = true;
    return ours;
}
}  // namespace

void dragWindow() {
    dragFlag = false;
    std::deque<SurfaceEvent> waiting = eventsOfThisDrag();
    for (;;) {
        SurfaceEvent event;
        if (!waiting.empty()) {
            event = waiting.front();
            waiting.pop_front();
        } else if (!pollEvent(event)) {
            os::pauseMs(DRAG_PAUSE_MS);
            continue;
        }
        if (event.kind == EVENT_BUTTON_DOWN) {
            dragFlag = true;
        } else if (event.kind == EVENT_BUTTON_UP) {
            dragFlag = false;
            return;
        } else if (event.kind == EVENT_MOUSE_MOVE && dragFlag) {
            int wx = 0, wy = 0;
            getWindowPosition(wx, wy);
            setWindowPosition(wx + event.dx, wy + event.dy);
        }
        os::pauseMs(DRAG_PAUSE_MS);
    }
}

void forgetDragFlag() { dragFlag = false; }
