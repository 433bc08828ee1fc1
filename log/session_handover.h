// The hand-over between the window and a log session.
//
// A session started from the window runs on the input thread, beside the
// sampling loop on the main thread, and both use the process table, the
// per-row arrays and the previous times. The start button hands over with
// runLogSessionBesideLoop: it sets logState to 1, so that the loop, seeing it
// after its cycle, goes into its long pause; then it takes cycleGate, which
// the loop holds for the whole work of each cycle, so a cycle under way ends
// first and no cycle starts until the session has ended, set logState back
// to 2 (noSessionRuns) and let go of the gate. The one thing the two still
// share meanwhile is the entry texts: the session may put in its defaults
// while the loop reads durationText to size its pause, so whoever changes a
// text (the session, the field editor) and the loop reading it hold
// entryTextLock; the input thread reads the texts it alone writes without it.
#pragma once

#include <mutex>

extern std::mutex entryTextLock;
extern std::mutex cycleGate;

// logState := 2, no session runs: the sampling loop's start and the end of
// every session, from the window or headless. Only the hand-over below sets
// it to 1.
void noSessionRuns();

// Starts a log session from the window (on the input thread): logState := 1,
// then the session behind cycleGate.
void runLogSessionBesideLoop();
