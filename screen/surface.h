// The drawing surface: one fixed-size window with a 32-bit framebuffer that
// keeps its picture, drawing primitives with an 8x8 code page 437 font, an
// event queue, a key queue and pointer/keyboard/window-position queries.
//
// Every operation may be called from any program thread. Before openWindow,
// or when the window could not be opened, drawing does nothing and the
// queries report nothing: headless mode relies on that.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "screen/layout.h"

constexpr std::uint32_t colourBackground = 0xE2E4EB;
constexpr std::uint32_t colourAccent = 0x0000FF;
constexpr std::uint32_t colourWhite = 0xFFFFFF;
constexpr std::uint32_t colourBlack = 0x000000;
constexpr std::uint32_t colourFocus = 0xFFFF00;
constexpr std::uint32_t colourLogging = 0xEE0000;

constexpr unsigned char glyphFullBlock = 0xDB;

constexpr int SURFACE_WIDTH = 800;
constexpr int SURFACE_HEIGHT = 584;

// Event kinds as the program compares them.
enum SurfaceEventKind : std::int32_t {
    EVENT_KEY_DOWN = 1,
    EVENT_KEY_UP = 2,
    EVENT_KEY_REPEAT = 3,
    EVENT_MOUSE_MOVE = 4,
    EVENT_BUTTON_DOWN = 5,
    EVENT_BUTTON_UP = 6,
    EVENT_DOUBLE_CLICK = 7,
    EVENT_WHEEL = 8,
    EVENT_POINTER_ENTER = 9,
    EVENT_POINTER_LEAVE = 10,
    EVENT_ACTIVATED = 11,
    EVENT_DEACTIVATED = 12,
    EVENT_CLOSE_REQUEST = 13,
    EVENT_HWHEEL = 14,
};

struct SurfaceEvent {
    std::int32_t kind = 0;
    std::int32_t x = 0;  // pointer x, or the button for button events
    std::int32_t y = 0;
    std::int32_t dx = 0;  // desktop-coordinate movement since the last move
    std::int32_t dy = 0;
};

bool openWindow(int width, int height);
void setWindowTitle(std::string_view text);
void lockScreen();
void unlockScreen();

// Fractional coordinates are rounded half away from zero (74.5 -> 75).
void drawText(double x, double y, std::string_view text, std::uint32_t colour);
void drawLine(double x1, double y1, double x2, double y2, std::uint32_t colour);
void drawBox(double x1, double y1, double x2, double y2, std::uint32_t colour);
void fillBox(double x1, double y1, double x2, double y2, std::uint32_t colour);
void setPixel(double x, double y, std::uint32_t colour);
// The same for a rectangle of the window's layout.
inline void drawBox(const layout::Rect& r, std::uint32_t colour) { drawBox(r.left, r.top, r.right, r.bottom, colour); }
inline void fillBox(const layout::Rect& r, std::uint32_t colour) { fillBox(r.left, r.top, r.right, r.bottom, colour); }

bool pollEvent(SurfaceEvent& event);
bool getMouse(int& x, int& y, int& wheel, int& buttons);
void getWindowPosition(int& x, int& y);
void setWindowPosition(int x, int y);
std::string readKey();
bool keyPressedSinceCheck();
bool isKeyDown(int scanCode);

// The input thread's rest after a turn. It returns once the input changed
// since the previous rest, at once while a button or key is held or a key
// waits in the queue, and at the latest after maxMs: a turn in any other
// state would find nothing to do, so an idle monitor need not wake for it.
void waitForInput(int maxMs);
// Ends the rest under way (or the next one) at once: the loop's shutdown.
void wakeInputWaiter();
