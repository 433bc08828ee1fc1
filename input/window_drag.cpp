// Moving the frameless window by its title bar. The event queue's movements
// are desktop deltas, so they stay right while the window moves under the
// pointer. This is the only reader of the queue: events that waited since
// the last drag are replayed first, oldest first.
#include "input/actions.h"
#include "os/os.h"
#include "screen/surface.h"

namespace {
constexpr int DRAG_PAUSE_MS = 5;
bool dragFlag = false;
}  // namespace

void dragWindow() {
    for (;;) {
        SurfaceEvent event;
        if (!pollEvent(event)) {
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
