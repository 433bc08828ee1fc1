#include "input/input_loop.h"

#include "input/actions.h"
#include "input/regions.h"
#include "input/terminate.h"
#include "os/os.h"
#include "screen/surface.h"
#include "state/monitor_state.h"

namespace {
constexpr int TURN_PAUSE_MS = 80;
// An idle monitor still looks about once a second, should a change of the
// input ever come without a word.
constexpr int IDLE_REST_MS = 1000;
}  // namespace

bool inputTurn() {
    const PointerState pointer = readPointer();
    if (leftAlone(pointer)) {
        dispatchLeftClick(pointer);
    } else if (rightAlone(pointer)) {
        if (inTerminationColumns(pointer.x)) endProcessAtRow(pointer.y);
    } else {
        // No button, another one or several, or the pointer is not ours.
        wheelStep(pointer);
    }
    keyStep();
    os::pauseMs(TURN_PAUSE_MS);
    return monitorState.quitState != QUIT_LOOP_ENDED;
}

void inputLoop() {
    // Between turns that would find nothing to do the thread sleeps until
    // the input changes: the 80 ms rhythm holds while anything happens.
    while (inputTurn()) waitForInput(IDLE_REST_MS);
}

void resetInputState() {
    forgetWheelPosition();
    forgetDragFlag();
}
