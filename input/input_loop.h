// The input thread: polls the pointer and the keys about every 80 ms and
// turns what it finds into actions. Everything the user triggers in the
// window runs here, a whole log session included.
#pragma once

// Started once on its own thread, after stateLock exists and logState is 2.
// Returns only when it reads quitState 1; otherwise the program ends from
// inside it (close box, Escape, Alt+F4).
void inputLoop();

// One turn of the loop, its 80 ms pause included: pointer, then one key,
// then Alt+F4. False when the loop must return (quitState is 1).
bool inputTurn();

// Forgets what the thread keeps between turns (the wheel position seen last,
// the drag flag), as at the thread's start.
void resetInputState();
