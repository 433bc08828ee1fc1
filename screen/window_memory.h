// Test controls of the in-memory window realisation (corv_window_memory).
#pragma once

#include <string>

namespace memorywindow {

// Makes the next openWindow calls fail (no window can be had) until cleared.
void setOpenFails(bool fails);
// The title last handed to the window, and how many times one was set.
std::string title();
int titleCount();
// Puts the controls back to their start (opens succeed, no title).
void resetControls();

}  // namespace memorywindow
