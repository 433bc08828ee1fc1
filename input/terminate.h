// Ending a process from the list: a right press on its row while the oldest
// buffered key is "q", a confirmation box, and an error box on refusal.
#pragma once

// Runs with stateLock held from the key check to the end of the pause that
// follows a Yes, so the list cannot change under the dialog. `y` is the
// pointer's y; the caller has checked the button and the x range.
void endProcessAtRow(int y);
