// Processor cycles counted over a busy-waited window of 10 ms, for the CPU
// clock of the monitor and of the library. Built on the seam's clocks only.
#pragma once

#include <cstdint>

#include "os/os.h"

namespace os {

struct CycleWindow {
    std::uint32_t before = 0;  // low 32 bits of the time-stamp counter
    std::uint32_t after = 0;
};

// The counter, then a deadline 10 ms on, a busy wait past it (a sleep would
// let the processor clock down or run others), the counter again. The figure
// takes the window to be exactly 10 ms; a thread that is preempted inside it
// counts the cycles of a longer one (a 3 GHz processor read 14.55 GHz on a
// loaded machine): a pause before the deadline is read moves the deadline
// on. A window whose deadline was passed more than 10.5 ms after the clock
// read before its first counter read is measured again, up to five times in
// all; the last one stands.
inline CycleWindow countCyclesOverTenMilliseconds() {
    CycleWindow window;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const double opened = secondsClock();
        window.before = cycleCounterLow();
        const double deadline = secondsClock() + 0.01;
        double now = deadline;
        do {
            now = secondsClock();
        } while (!(now > deadline));
        window.after = cycleCounterLow();
        if (now - opened <= 0.0105) break;
    }
    return window;
}

}  // namespace os
