// Windowed mode: start-up with the first frame, then the sampling loop.
#pragma once

#include <cstdint>

// Never returns: the program ends from the loop's shutdown or the input thread.
[[noreturn]] void runWindowedMode();

// Start-up up to and including the first complete frame (before the pause);
// from here on, what is sampled is shown in the window.
void drawFirstFrame();

// The sampling loop proper (after the first frame has been shown).
[[noreturn]] void runSamplingLoop();

// One cycle of the loop without its pauses: enumeration, the visible-row
// window rules, gauges and the per-process pass.
void runSamplingCycle();

// The pauses after a cycle: 800 ms, and while a session runs its duration +
// 400 ms more, cut short by a key press or by the end of the session.
void pauseAfterCycle();

// A pause of ms milliseconds in 50 ms steps that a key press, or the end of
// the log session (logState no longer 1), ends early.
void keyInterruptiblePause(std::int64_t ms);

// Blanks screen row s (1..30) of the list: its text line and marker box.
void blankScreenRow(int s);
