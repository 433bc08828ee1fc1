// Every click region lies on the control drawn for it. The frame and the list
// are drawn into the in-memory window; each region is taken from the
// hit-testing the input thread uses (not from the layout), and the pixels
// inside it must be the control's own colours while the line of pixels just
// outside each side must be the control's edge (its outline, a separator) or
// what surrounds it. A control that moves without its region, or a region
// that moves off its control, fails here by a single pixel.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "input/regions.h"
#include "input_fixture.h"

namespace {

using Colours = std::vector<std::uint32_t>;

struct Box {
    int left = 0, top = 0, right = -1, bottom = -1;
    bool empty() const { return right < left || bottom < top; }
};

// What the pixels around a region must be, side by side; an empty list is
// not checked (the side borders another part of the same control).
struct Ring {
    Colours left, top, right, bottom;
};

std::string hex(std::uint32_t c) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(c));
    return text;
}

std::string list(const Colours& colours) {
    std::string text;
    for (const std::uint32_t c : colours) text += (text.empty() ? "" : ", ") + hex(c);
    return "{" + text + "}";
}

bool oneOf(std::uint32_t c, const Colours& colours) {
    for (const std::uint32_t k : colours)
        if (c == k) return true;
    return false;
}

bool inWindow(int x, int y) { return x >= 0 && x < SURFACE_WIDTH && y >= 0 && y < SURFACE_HEIGHT; }

// The pixels of `box` for which `member` holds must be `inside` colours; the
// ring's sides (corners left out: rounded corners and crossing lines live
// there) must be theirs. Pixels off the window are not checked.
::testing::AssertionResult liesOnControl(const std::string& what, const Box& box,
                                         const std::function<bool(int, int)>& member, const Colours& inside,
                                         const Ring& ring) {
    if (box.empty()) return ::testing::AssertionFailure() << what << ": the region is empty";
    for (int y = box.top; y <= box.bottom; ++y)
        for (int x = box.left; x <= box.right; ++x) {
            if (!member(x, y)) continue;
            const std::uint32_t c = surface::pixel(x, y);
            if (!oneOf(c, inside))
                return ::testing::AssertionFailure()
                       << what << ": pixel (" << x << ", " << y << ") inside the region is " << hex(c)
                       << ", not one of the control's " << list(inside);
        }
    struct Side {
        const char* name;
        const Colours& colours;
        int x1, y1, x2, y2;
    };
    const Side sides[] = {
        {"left of", ring.left, box.left - 1, box.top, box.left - 1, box.bottom},
        {"above", ring.top, box.left, box.top - 1, box.right, box.top - 1},
        {"right of", ring.right, box.right + 1, box.top, box.right + 1, box.bottom},
        {"below", ring.bottom, box.left, box.bottom + 1, box.right, box.bottom + 1},
    };
    for (const Side& side : sides) {
        if (side.colours.empty()) continue;
        for (int y = side.y1; y <= side.y2; ++y)
            for (int x = side.x1; x <= side.x2; ++x) {
                if (!inWindow(x, y)) continue;
                const std::uint32_t c = surface::pixel(x, y);
                if (!oneOf(c, side.colours))
                    return ::testing::AssertionFailure()
                           << what << ": pixel (" << x << ", " << y << ") " << side.name << " the region is " << hex(c)
                           << ", not the control's edge " << list(side.colours);
            }
    }
    return ::testing::AssertionSuccess();
}

class RegionPixels : public inputtest::InputTest {
  protected:
    // The bounding box of every pixel of the window that a left press there
    // would act on as `region`.
    static Box boundsOf(ClickRegion region) {
        Box b{SURFACE_WIDTH, SURFACE_HEIGHT, -1, -1};
        for (int y = 0; y < SURFACE_HEIGHT; ++y)
            for (int x = 0; x < SURFACE_WIDTH; ++x)
                if (leftClickRegion(x, y, H) == region) {
                    b.left = std::min(b.left, x);
                    b.top = std::min(b.top, y);
                    b.right = std::max(b.right, x);
                    b.bottom = std::max(b.bottom, y);
                }
        return b;
    }

    static ::testing::AssertionResult regionOnControl(const char* what, ClickRegion region, const Colours& inside,
                                                      const Ring& ring) {
        return liesOnControl(
            what, boundsOf(region), [region](int x, int y) { return leftClickRegion(x, y, H) == region; }, inside,
            ring);
    }

    // The title-bar boxes, the footer's fields and its button.
    static void checkFixedControls() {
        const Colours white{colourWhite}, black{colourBlack}, accent{colourAccent};
        const Colours bar{colourAccent, colourWhite};
        // The close box: right of its separator, between the border and the
        // bar's bottom line; the window's edge on its right.
        EXPECT_TRUE(regionOnControl("close box", ClickRegion::CloseBox, bar, {white, white, {}, white}));
        // The minimise box ends one accent column short of the close box's
        // separator, the drag area one short of the minimise box's.
        EXPECT_TRUE(regionOnControl("minimise box", ClickRegion::MinimiseBox, bar, {white, white, accent, white}));
        EXPECT_TRUE(regionOnControl("title bar", ClickRegion::TitleBar, bar, {white, white, accent, white}));
        // Inside the outline: the fields are empty, the button shows its label.
        EXPECT_TRUE(regionOnControl("duration field", ClickRegion::DurationField, white, {black, black, black, black}));
        EXPECT_TRUE(regionOnControl("interval field", ClickRegion::IntervalField, white, {black, black, black, black}));
        EXPECT_TRUE(regionOnControl("start button", ClickRegion::StartButton, bar, {black, black, black, black}));
    }

    // The marker column meets each row that shows a process in its band:
    // there it must be the inside of that row's empty marker box.
    static void checkMarkerBoxes(int rows) {
        const Box column = boundsOf(ClickRegion::MarkerColumn);
        const Colours white{colourWhite}, black{colourBlack};
        for (int r = 1; r <= rows; ++r) {
            const Box band{column.left, rowBandTop(r), column.right, rowBandBottom(r)};
            const std::string what = "marker box of row " + std::to_string(r);
            EXPECT_TRUE(liesOnControl(
                what, band, [](int x, int y) { return leftClickRegion(x, y, H) == ClickRegion::MarkerColumn; }, white,
                {black, black, black, black}));
        }
    }

    // The scroll column over the two arrow buttons and the track, whose
    // colours follow the state: an arrow that can scroll is accent with white
    // ink, one that cannot is background with black ink.
    static void checkScrollColumn(bool upActive, bool downActive, bool track) {
        const Box column = boundsOf(ClickRegion::ScrollColumn);
        ASSERT_FALSE(column.empty());
        const Colours around{colourBackground};
        const auto ink = [](bool active) { return Colours{active ? colourWhite : colourBlack}; };
        const auto button = [](bool active) {
            return active ? Colours{colourAccent, colourWhite} : Colours{colourBackground, colourBlack};
        };
        const auto part = [&](bool (*in)(int)) {
            Box b{column.left, SURFACE_HEIGHT, column.right, -1};
            for (int y = column.top; y <= column.bottom; ++y)
                if (in(y)) {
                    b.top = std::min(b.top, y);
                    b.bottom = std::max(b.bottom, y);
                }
            return b;
        };
        const auto member = [](int x, int y) { return leftClickRegion(x, y, H) == ClickRegion::ScrollColumn; };
        const Box up = part(inScrollUpArrow), middle = part(inScrollTrack), down = part(inScrollDownArrow);
        // The column is nothing but its three parts, one under the other.
        EXPECT_EQ(up.top, column.top);
        EXPECT_EQ(middle.top, up.bottom + 1);
        EXPECT_EQ(down.top, middle.bottom + 1);
        EXPECT_EQ(down.bottom, column.bottom);
        EXPECT_TRUE(liesOnControl("scroll column, up arrow", up, member, button(upActive),
                                  {ink(upActive), around, ink(upActive), {}}));
        const Colours trackColours =
            track ? Colours{colourWhite, colourAccent, colourBackground} : Colours{colourBackground};
        // The track and the thumb fill the bar's whole width.
        const Colours trackEdge = track ? Colours{colourWhite, colourAccent} : Colours{colourBackground};
        EXPECT_TRUE(
            liesOnControl("scroll column, track", middle, member, trackColours, {trackEdge, {}, trackEdge, {}}));
        EXPECT_TRUE(liesOnControl("scroll column, down arrow", down, member, button(downActive),
                                  {ink(downActive), {}, ink(downActive), around}));
    }
};

TEST_F(RegionPixels, ShortListHasNoTrackAndBoxesOnlyWhereProcessesAre) {
    openWith(12);
    checkFixedControls();
    checkMarkerBoxes(12);
    checkScrollColumn(false, false, false);
}

TEST_F(RegionPixels, LongListAtTheTop) {
    openWith(40);
    checkFixedControls();
    checkMarkerBoxes(VISIBLE_ROWS);
    checkScrollColumn(false, true, true);
}

TEST_F(RegionPixels, LongListAtTheEnd) {
    openWith(40);
    monitorState.firstRow = 40 - VISIBLE_ROWS + 1;
    monitorState.lastRow = 40;
    redrawList();
    checkFixedControls();
    checkMarkerBoxes(VISIBLE_ROWS);
    checkScrollColumn(true, false, true);
}

}  // namespace
