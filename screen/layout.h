// The window's geometry in one place: where the frame, the list, the scroll
// bar, the footer and the gauges are drawn, and where a press acts on them.
// Drawing and hit-testing both take their coordinates from here, so that a
// control cannot move away from the region that answers for it (the input
// tests check the pixels under every region).
//
// Rectangles are inclusive on all four sides. The footer and the gauge bar
// hang from the bottom edge of the drawing area: they are functions of its
// height (screenHeight), everything else is fixed.
#pragma once

namespace layout {

struct Point {
    int x, y;
};

struct Rect {
    int left, top, right, bottom;

    constexpr bool contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
    // Less `d` pixels on every side: the inside of an outlined box; or on
    // the left and right only.
    constexpr Rect inset(int d) const { return {left + d, top + d, right - d, bottom - d}; }
    constexpr Rect insetX(int d) const { return {left + d, top, right - d, bottom}; }
};

// --- the window -------------------------------------------------------------

constexpr int windowRight = 799;
// The one-pixel border all round (white; red while a session logs).
constexpr Rect border(int height) { return {0, 0, windowRight, height - 1}; }

// --- title bar -------------------------------------------------------------

// The accent bar and, on its bottom row, a white line from x 1.
constexpr Rect titleBar{0, 0, windowRight, 16};
constexpr Point caption{8, 5};
// Minimise and close boxes: a white separator line on the left of each, the
// minimise bar and the close box's cross.
constexpr int minimiseSeparatorX = 768;
constexpr int closeSeparatorX = 784;
constexpr Point minimiseBarFrom{770, 8}, minimiseBarTo{782, 8};
constexpr Point closeCrossTop{797, 3}, closeCrossBottom{786, 13};  // and mirrored
// Where presses act: inside the bar's outer lines; the minimise box stops a
// pixel short of the close box's separator, and the drag area short of its own.
constexpr Rect closeBoxPress{closeSeparatorX + 1, 1, windowRight, 15};
constexpr Rect minimiseBoxPress{minimiseSeparatorX + 1, 1, 782, 15};
constexpr Rect titleDragPress{1, 1, 766, 15};

// --- the process list --------------------------------------------------------

constexpr Point columnHeader{8, 24};
// Visible row r (1..30) sits rowPitch * r below row 0.
constexpr int rowPitch = 16;
// The first glyph row of row r's texts.
constexpr int rowTextY(int r) { return rowPitch * r + 25; }
// Row r's marker box: white inside, black outline, the cross corner to corner.
constexpr Rect markerBox(int r) { return {20, rowTextY(r) - 4, 34, rowTextY(r) + 9}; }
// Where a row's texts start, where its numbers end (right-aligned, the unit
// after), and the note shown for a process without a working set.
constexpr int rowNameX = 80;
constexpr int pidEndX = 382;
constexpr int cpuEndX = 480;
constexpr int ramEndX = 576;
constexpr int protectedNoteX = 628;
// The erasing run under a row's texts, in glyphs: up to x 775.
constexpr int rowEraserGlyphs = 87;
// Everything of row r: marker box and text line, as far as the eraser reaches.
constexpr Rect rowArea(int r) {
    return {markerBox(r).left, markerBox(r).top, rowNameX + 8 * rowEraserGlyphs - 1, markerBox(r).bottom};
}
// A left press in the marker column (the whole height of the window) marks
// the row whose band it lands in; column and bands are the marker boxes less
// their outline. Right presses end a process only over the row texts, not
// over the marker boxes or the scroll bar.
constexpr int markerColumnLeft = markerBox(1).left + 1;
constexpr int markerColumnRight = markerBox(1).right - 1;
constexpr int rowBandTop(int r) { return markerBox(r).top + 1; }
constexpr int rowBandBottom(int r) { return markerBox(r).bottom - 1; }
constexpr int terminationLeft = 81;
constexpr int terminationRight = 763;

// --- the scroll bar ----------------------------------------------------------

// Two arrow buttons (outlined, an arrow of two lines from the base corners to
// the tip) with the track between them.
constexpr Rect scrollUpArrow{778, 37, 792, 51};
constexpr Rect scrollTrack{778, 52, 792, 500};
constexpr Rect scrollDownArrow{778, 501, 792, 515};
constexpr Rect scrollBar{scrollUpArrow.left, scrollUpArrow.top, scrollDownArrow.right, scrollDownArrow.bottom};
constexpr int scrollUpTipY = 39, scrollUpBaseY = 49;
constexpr int scrollDownTipY = 513, scrollDownBaseY = 503;
constexpr int scrollArrowTipX = 785;
// The track length the thumb's size and place are reckoned in.
constexpr double thumbSpan = 450.0;
// The three grip lines across the thumb's middle.
constexpr int gripLeft = 781, gripRight = 789, gripGap = 3;
// Presses act one pixel inside the bar on either side, over its full height.
constexpr Rect scrollColumnPress = scrollBar.insetX(1);

// --- the footer --------------------------------------------------------------

struct EntryFieldPlace {
    Rect box;    // white, black outline (yellow while it takes keys)
    Point text;  // first glyph cell of the digits
};

struct Footer {
    Point sentence;  // "Markierte Prozesse ... loggen"
    EntryFieldPlace durationField;
    EntryFieldPlace intervalField;
    Rect startButton;  // accent, black outline, its corners rounded off
    Point startLabel;  // "START!" / "LOGGE!"
};

// Every text of the footer shares one glyph row.
constexpr Footer footer(int height) {
    const int textY = height - 45;
    return {
        {20, textY},
        {{168, height - 50, 253, height - 32}, {180, textY}},
        {{376, height - 50, 461, height - 32}, {388, textY}},
        {640, height - 57, 780, height - 25},
        {688, textY},
    };
}

// Presses act on the boxes less their outline.
constexpr Rect pressArea(const EntryFieldPlace& field) { return field.box.inset(1); }
constexpr Rect startButtonPress(int height) { return footer(height).startButton.inset(1); }

// --- the gauge bar -----------------------------------------------------------

struct GaugeBar {
    Rect bar;          // accent; white line along its top row from x 1
    int baseline;      // glyph row of the gauge texts
    int cpuLoadX;      // "CPU-Auslastung: n%", erased 45 glyphs wide
    int cpuClockX;     // "CPU-Takt: n GHz"
    int totalMemoryX;  // "Gesamtspeicher: n MB"
    int memoryLoadX;   // "Speicherauslastung: n%", erased 24 glyphs wide
};

constexpr GaugeBar gaugeBar(int height) {
    return {{0, height - 16, windowRight, height - 1}, height - 12, 8, 190, 380, 607};
}

}  // namespace layout
