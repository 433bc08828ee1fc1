// Where a press lands: the click regions of the window and the list rows.
//
// All bounds are inclusive. The regions of the start button and the two
// entry fields are their drawn rectangles less the one-pixel outline; the
// scroll column is one pixel inside the scroll controls on either side.
#pragma once

#include <cstdint>

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
    const auto within = [](int v, int low, int high) { return v >= low && v <= high; };
    if (within(x, 785, 799) && within(y, 1, 15)) return ClickRegion::CloseBox;
    if (within(x, 769, 782) && within(y, 1, 15)) return ClickRegion::MinimiseBox;
    if (within(x, 641, 779) && within(y, height - 56, height - 26)) return ClickRegion::StartButton;
    if (within(x, 21, 33)) return ClickRegion::MarkerColumn;
    if (within(x, 169, 252) && within(y, height - 49, height - 33)) return ClickRegion::DurationField;
    if (within(x, 377, 460) && within(y, height - 49, height - 33)) return ClickRegion::IntervalField;
    if (within(x, 779, 791) && within(y, 37, 515)) return ClickRegion::ScrollColumn;
    if (within(x, 1, 766) && within(y, 1, 15)) return ClickRegion::TitleBar;
    return ClickRegion::None;
}

// Right presses end a process only over the row texts, not over the marker
// boxes or the scroll bar.
constexpr bool inTerminationColumns(int x) { return x >= 81 && x <= 763; }

// Visible list row r (1-based) answers presses in y 16r+22 .. 16r+33.
constexpr int rowBandTop(int r) { return 16 * r + 22; }
constexpr int rowBandBottom(int r) { return 16 * r + 33; }

// Scroll column parts by y.
constexpr bool inScrollUpArrow(int y) { return y >= 37 && y <= 51; }
constexpr bool inScrollTrack(int y) { return y >= 52 && y <= 500; }
constexpr bool inScrollDownArrow(int y) { return y >= 501 && y <= 515; }
