// The actions of the input thread, shared by its files. Each runs on the
// input thread; each takes stateLock itself where it needs it, never twice.
#pragma once

#include "input/pointer.h"

// quitState := 2, then the process ends with status 0 at once; the sampling
// loop is not waited for.
[[noreturn]] void endProgram();

// A left press: the first region that holds it acts. A press that ends a
// field edit is dispatched again at once with the pointer state of that edit.
void dispatchLeftClick(PointerState pointer);

// Marker column: toggles the mark of the row under y and draws or wipes its
// cross, then pauses 120 ms.
void toggleMarkerAt(int y);

// Scroll column: the arrows scroll one row; a press on the thumb drags it.
void pressScrollColumn(int y);

// One row per turn however far the wheel turned; only when the list is
// longer than the window.
void wheelStep(const PointerState& pointer);

// Home, End, Page Up, Page Down (Page keys move one row, not one page).
void scrollToTop();
void scrollToEnd();
void scrollUpOneRow();
void scrollDownOneRow();

// Moves the frameless window with the pointer, by the desktop movements in
// the event queue, until a button release comes out of the queue. Events
// queued before the press that started the drag are passed over.
void dragWindow();

// One key of the key queue, then Alt+F4.
void keyStep();

void forgetWheelPosition();
void forgetDragFlag();
