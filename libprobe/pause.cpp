// cvsleep: plain pauses and pauses that a key in the console ends early.
#include "libprobe/corvprobe.h"
#include "os/os.h"

namespace {

constexpr std::int32_t WATCH_STEP_MS = 50;
constexpr std::int32_t WATCHED_FROM_MS = 100;

// One look at the console: takes every key event waiting there, so that a
// burst of keys (auto-repeat, a paste) ends this pause and not the next few
// as well. Bounded, in case input keeps arriving faster than we read it.
bool keyArrived() {
    if (!os::consoleKeyEvent()) return false;
    for (int drained = 0; drained < 4096 && os::consoleKeyEvent(); ++drained) {}
    return true;
}

void watchedPause(std::int32_t ms) {
    if (ms == -1) {
        while (!keyArrived()) os::pauseMs(WATCH_STEP_MS);
        return;
    }
    if (ms < 0) return;
    if (ms < WATCHED_FROM_MS) {
        os::pauseMs(ms);
        return;
    }
    std::int32_t remaining = ms;
    while (remaining > WATCH_STEP_MS) {
        if (keyArrived()) return;
        os::pauseMs(WATCH_STEP_MS);
        remaining -= WATCH_STEP_MS;
    }
    os::pauseMs(remaining);
}

}  // namespace

extern "C" {

CVP_API int32_t CVP_CALL cvsleep(int32_t ms, int32_t kind) {
    if (kind == 0) {
        watchedPause(ms);
    } else if (kind == 1) {
        // The system pause counts unsigned: a negative length would wait for
        // weeks, or for ever. It means no pause.
        if (ms > 0) os::pauseMs(ms);
    }
    return 1;
}

}  // extern "C"
