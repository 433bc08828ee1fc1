// Where a press lands: the click regions of the window and the list rows,
// taken from the window's layout.
//
// All bounds are inclusive. The regions of the start button and the two
// entry fields are their drawn rectangles less the one-pixel outline; the
// scroll column is one pixel inside the scroll controls on either side.
#pragma once

#include <cstdint>

#include "screen/layout.h"

enum class ClickRegion {
    None,
    CloseBox,
    MinimiseBox,
    StartButton,
    MarkerColumn,
    DurationField,
    IntervalField,
    ScrollColumn,
    TitleBar,
};

// The region a left press at (x, y) acts on, tested in the order the window
// has always used: the first that contains the point wins. `height` is the
// drawing area's height (screenHeight).
constexpr ClickRegion leftClickRegion(int x, int y, int height) {
    const layout::Footer footer = layout::footer(height);
    if (layout::closeBoxPress.contains(x, y)) return ClickRegion::CloseBox;
    if (layout::minimiseBoxPress.contains(x, y)) return ClickRegion::MinimiseBox;
    if (layout::startButtonPress(height).contains(x, y)) return ClickRegion::StartButton;
    if (x >= layout::markerColumnLeft && x <= layout::markerColumnRight) return ClickRegion::MarkerColumn;
    if (layout::pressArea(footer.durationField).contains(x, y)) return ClickRegion::DurationField;
    if (layout::pressArea(footer.intervalField).contains(x, y)) return ClickRegion::IntervalField;
    if (layout::scrollColumnPress.contains(x, y)) return ClickRegion::ScrollColumn;
    if (layout::titleDragPress.contains(x, y)) return ClickRegion::TitleBar;
    return ClickRegion::None;
}

// Right presses end a process only over the row texts, not over the marker
// boxes or the scroll bar.
constexpr bool inTerminationColumns(int x) { return x >= layout::terminationLeft && x <= layout::terminationRight; }

// Visible list row r (1-based) answers presses in y 16r+22 .. 16r+33.
constexpr int rowBandTop(int r) { return layout::rowBandTop(r); }
constexpr int rowBandBottom(int r) { return layout::rowBandBottom(r); }

// Scroll column parts by y.
constexpr bool inScrollUpArrow(int y) { return y >= layout::scrollUpArrow.top && y <= layout::scrollUpArrow.bottom; }
constexpr bool inScrollTrack(int y) { return y >= layout::scrollTrack.top && y <= layout::scrollTrack.bottom; }
constexpr bool inScrollDownArrow(int y) {
    return y >= layout::scrollDownArrow.top && y <= layout::scrollDownArrow.bottom;
}
