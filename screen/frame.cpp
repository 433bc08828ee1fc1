// The static frame: background, both bars, title-bar boxes, border, header,
// footer sentence with its two entry fields, the start button and the empty
// marker boxes of the rows that will hold a process. Later steps draw over
// earlier ones, so the order below is part of the picture.
#include "screen/frame.h"

#include <algorithm>

#include "screen/surface.h"
#include "state/monitor_state.h"

namespace {
constexpr const char* CAPTION = "Corvane  v1.0.1";
constexpr const char* COLUMN_HEADER =
    "Marker   Prozess                            PID          CPU          RAM";
constexpr const char* FOOTER =
    "Markierte Prozesse            Sekunden, alle            Millisekunden loggen";
}  // namespace

void drawMarkerBox(int r) {
    const int top = 16 * r + 21;
    fillBox(20, top, 34, top + 13, colourWhite);
    drawBox(20, top, 34, top + 13, colourBlack);
}

void drawStaticFrame() {
    monitorState.screenHeight = SURFACE_HEIGHT;
    const int h = monitorState.screenHeight;

    openWindow(SURFACE_WIDTH, SURFACE_HEIGHT);
    setWindowTitle("Corvane");

    fillBox(0, 0, 800, h, colourBackground);

    // Title bar.
    fillBox(0, 0, 800, 16, colourAccent);
    drawLine(1, 16, 799, 16, colourWhite);

    // Bottom bar for the gauges.
    fillBox(0, h, 800, h - 16, colourAccent);
    setPixel(1, h - 15, colourWhite);
    setPixel(798, h - 15, colourWhite);
    drawLine(1, h - 16, 799, h - 16, colourWhite);

    // Minimise and close boxes.
    drawLine(784, 0, 784, 16, colourWhite);
    drawLine(768, 0, 768, 16, colourWhite);
    drawLine(797, 3, 786, 13, colourWhite);
    drawLine(797, 13, 786, 3, colourWhite);
    drawLine(770, 8, 782, 8, colourWhite);

    drawBox(0, 0, 799, h - 1, colourWhite);

    drawText(8, 5, CAPTION, colourWhite);
    drawText(8, 24, COLUMN_HEADER, colourAccent);
    drawText(20, h - 45, FOOTER, colourBlack);

    // The two entry fields start empty.
    fillBox(168, h - 50, 253, h - 32, colourWhite);
    drawBox(168, h - 50, 253, h - 32, colourBlack);
    fillBox(376, h - 50, 461, h - 32, colourWhite);
    drawBox(376, h - 50, 461, h - 32, colourBlack);

    // Start button with its corners rounded off.
    fillBox(640, h - 57, 780, h - 25, colourAccent);
    drawBox(640, h - 57, 780, h - 25, colourBlack);
    setPixel(780, h - 57, colourBackground);
    setPixel(780, h - 25, colourBackground);
    setPixel(640, h - 57, colourBackground);
    setPixel(640, h - 25, colourBackground);
    drawText(688, h - 45, "START!", colourWhite);

    // One empty marker box per row that will show a process; start-up has
    // set firstRow to 1, so the table index is also the visible row here.
    const int shownLast = std::min(monitorState.processCount, monitorState.lastRow);
    for (int r = std::max(monitorState.firstRow, 1); r <= std::min(shownLast, static_cast<int>(VISIBLE_ROWS)); ++r)
        drawMarkerBox(r);
}
