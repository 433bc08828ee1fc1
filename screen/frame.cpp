// The static frame: background, both bars, title-bar boxes, border, header,
// footer sentence with its two entry fields, the start button and the empty
// marker boxes of the rows that will hold a process. Later steps draw over
// earlier ones, so the order below is part of the picture.
#include "screen/frame.h"

#include <algorithm>

#include "screen/layout.h"
#include "screen/surface.h"
#include "state/monitor_state.h"

namespace {
constexpr const char* CAPTION = "Corvane  v1.0.1";
constexpr const char* COLUMN_HEADER = "Marker   Prozess                            PID          CPU          RAM";
constexpr const char* FOOTER = "Markierte Prozesse            Sekunden, alle            Millisekunden loggen";
}  // namespace

void drawMarkerBox(int r) {
    const layout::Rect box = layout::markerBox(r);
    fillBox(box, colourWhite);
    drawBox(box, colourBlack);
}

void drawStaticFrame() {
    monitorState.screenHeight = SURFACE_HEIGHT;
    const int h = monitorState.screenHeight;
    const layout::Rect window = layout::border(h);

    openWindow(SURFACE_WIDTH, SURFACE_HEIGHT);
    setWindowTitle("Corvane");

    fillBox(window, colourBackground);

    // Title bar.
    const layout::Rect title = layout::titleBar;
    fillBox(title, colourAccent);
    drawLine(title.left + 1, title.bottom, title.right, title.bottom, colourWhite);

    // Bottom bar for the gauges.
    const layout::Rect gauges = layout::gaugeBar(h).bar;
    fillBox(gauges, colourAccent);
    setPixel(gauges.left + 1, gauges.top + 1, colourWhite);
    setPixel(gauges.right - 1, gauges.top + 1, colourWhite);
    drawLine(gauges.left + 1, gauges.top, gauges.right, gauges.top, colourWhite);

    // Minimise and close boxes.
    drawLine(layout::closeSeparatorX, title.top, layout::closeSeparatorX, title.bottom, colourWhite);
    drawLine(layout::minimiseSeparatorX, title.top, layout::minimiseSeparatorX, title.bottom, colourWhite);
    const layout::Point crossTop = layout::closeCrossTop, crossBottom = layout::closeCrossBottom;
    drawLine(crossTop.x, crossTop.y, crossBottom.x, crossBottom.y, colourWhite);
    drawLine(crossTop.x, crossBottom.y, crossBottom.x, crossTop.y, colourWhite);
    drawLine(layout::minimiseBarFrom.x, layout::minimiseBarFrom.y, layout::minimiseBarTo.x, layout::minimiseBarTo.y,
             colourWhite);

    drawBox(window, colourWhite);

    const layout::Footer footer = layout::footer(h);
    drawText(layout::caption.x, layout::caption.y, CAPTION, colourWhite);
    drawText(layout::columnHeader.x, layout::columnHeader.y, COLUMN_HEADER, colourAccent);
    drawText(footer.sentence.x, footer.sentence.y, FOOTER, colourBlack);

    // The two entry fields start empty.
    for (const layout::Rect field : {footer.durationField.box, footer.intervalField.box}) {
        fillBox(field, colourWhite);
        drawBox(field, colourBlack);
    }

    // Start button with its corners rounded off.
    const layout::Rect button = footer.startButton;
    fillBox(button, colourAccent);
    drawBox(button, colourBlack);
    setPixel(button.right, button.top, colourBackground);
    setPixel(button.right, button.bottom, colourBackground);
    setPixel(button.left, button.top, colourBackground);
    setPixel(button.left, button.bottom, colourBackground);
    drawText(footer.startLabel.x, footer.startLabel.y, "START!", colourWhite);

    // One empty marker box per row that will show a process; start-up has
    // set firstRow to 1, so the table index is also the visible row here.
    const int shownLast = std::min(monitorState.processCount, monitorState.lastRow);
    for (int r = std::max(monitorState.firstRow, 1); r <= std::min(shownLast, static_cast<int>(VISIBLE_ROWS)); ++r)
        drawMarkerBox(r);
}
