// Wires measuring to drawing: what the probes sample and what a log session
// goes through is shown in the window.
#pragma once

// Points the probes' and the sessions' reports at the screen, and a
// session's stop key at the window's key queue. Done by the windowed
// start-up before anything is sampled; a headless run never does it.
void showMeasuringOnScreen();
