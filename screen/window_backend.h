// What the portable surface core needs from a window realisation (Win32, X11,
// in-memory for tests, none), and what a realisation may call back into the
// core. Exactly one realisation is linked into each binary.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "screen/surface.h"

namespace backend {

// Opens the window (its own message thread), centred on the primary screen,
// shown and brought to the foreground. False when no window can be had.
bool open(int width, int height);
void setTitle(std::string_view title);  // already cut to 127 bytes
void getPosition(int& x, int& y);
void setPosition(int x, int y);
// Lines wait to be copied to the window (the first change since the last
// copy, or a batch end). Called with the core's drawing lock held: it must
// neither draw nor block. A realisation that refreshes on a timer anyway
// ignores it.
void picturePending();

}  // namespace backend

// Calls for realisations (and tests) into the core. All are thread-safe.
namespace surface {

bool isOpen();

// Copies the lines changed since the last copy into `dest` (width*height
// 0x00RRGGBB pixels) unless a batch is open; returns the lowest and highest
// changed line through first/last, or false when nothing was copied.
bool takeChangedLines(std::uint32_t* dest, int& first, int& last);

// For a realisation that keeps what its window shows in `shown` (width*height
// 0x00RRGGBB pixels) and fills it only through this call: of the lines
// drawn since the last copy, copies only those whose pixels differ from
// `shown` and flags them in `differs` (all others false); after opening or
// markAllChanged every line is compared. False when no line differs or a
// batch is open; the changed marks are used up either way unless a batch is
// open.
bool takeDifferingLines(std::uint32_t* shown, std::array<bool, SURFACE_HEIGHT>& differs);

// For a realisation whose window image is the framebuffer itself (see
// framebuffer()), so that it keeps no picture of its own: unless a batch is
// open, calls `send` for each run of lines drawn since the last copy (every
// line after opening or markAllChanged), with the drawing lock held so that
// the picture cannot change under it, then clears the marks. Lines that only
// a batch end marked are left out: nothing wrote them since they were sent.
// False when a batch is open (the marks stay) or nothing was drawn.
using LineRunSender = void (*)(void* context, int first, int count);
bool sendDrawnLines(LineRunSender send, void* context);
// Calls `show` with the drawing lock held unless a batch is open (to repaint
// exposed parts of the window from the framebuffer); false when one is.
bool showPicture(void (*show)(void* context), void* context);
// The framebuffer, width*height 0x00RRGGBB pixels, for such a realisation's
// window image. Read it only inside sendDrawnLines or showPicture.
const std::uint32_t* framebuffer();

// Reads one framebuffer pixel (0x00RRGGBB); 0 outside the area.
std::uint32_t pixel(int x, int y);
// Marks every line as changed (after a repaint request, for example).
void markAllChanged();

void pushEvent(const SurfaceEvent& event);
void pushKey(std::string_view code);  // one byte, or 0xFF + scan code

// Pointer tracking. `desktopX/Y` is the pointer's position on the desktop,
// `x/y` in the drawing area. Queues a kind-4 event only when the desktop
// position changed and the window is active.
void mouseMoved(int x, int y, int desktopX, int desktopY);
void mouseButton(int button, bool down);   // 1 left, 2 right, 4 middle; queues kind 5 or 6
void mouseWheel(int delta);                // +1 or -1 per notch (by sign); queues kind 8
void pointerLeft();                        // pointer outside the drawing area
void setActive(bool active);               // clears the held-key table
void setKeyHeld(int scanCode, bool held);  // 0..127, honoured only while active
void closeRequested();                     // 0xFF 0x6B key and a kind-13 event

// Puts the surface back to "closed, nothing drawn" (tests).
void reset();

}  // namespace surface
