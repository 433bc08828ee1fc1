// Windowed mode: start-up with the first frame, then the sampling loop.
#pragma once

// Never returns: the program ends from the loop's shutdown or the input thread.
[[noreturn]] void runWindowedMode();

// The sampling loop proper (after the first frame has been shown).
[[noreturn]] void runSamplingLoop();
