#include "input/input_loop.h"

#include "app/monitor_state.h"
#include "input/actions.h"
#include "input/regions.h"
#include "input/terminate.h"
#include "os/os.h"

namespace {
constexpr int TURN_PAUSE_MS = 80;
}

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
    while (inputTurn()) {
    }
}

void resetInputState() {
    forgetWheelPosition();
    forgetDragFlag();
}
