// Where the X11 window opens: centred on the primary monitor. The monitors
// come from the RandR extension, whose library is opened at run time (like
// Xlib itself), so the program needs nothing beyond the C library and Xlib;
// without it, or on a server without RandR, the whole screen is the one
// monitor. Picking the place is a pure function, tested without a display.
#pragma once

#include <vector>

typedef struct _XDisplay Display;

namespace x11monitor {

struct Area {
    int x = 0, y = 0, width = 0, height = 0;
    bool primary = false;
};

struct Place {
    int x = 0, y = 0;
};

// The window's top-left corner: centred on the primary monitor, else on the
// first one, else (no monitor with an area) on the whole screen. A window
// larger than its monitor keeps its top-left corner, and so its title bar,
// on that monitor.
Place centredPlace(const std::vector<Area>& monitors, int screenWidth, int screenHeight, int windowWidth,
                   int windowHeight);

// The screen's monitors as the server reports them, or none when it cannot
// (no RandR library, an extension older than 1.5, no RandR on the server).
std::vector<Area> monitors(Display* display, unsigned long root);

}  // namespace x11monitor
