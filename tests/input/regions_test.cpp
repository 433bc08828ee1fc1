// The click regions at their edges and where they overlap: the order decides.
#include <gtest/gtest.h>

#include "input/regions.h"

namespace {

constexpr int H = 584;

struct Point {
    int x, y;
    ClickRegion region;
};

TEST(Regions, EdgesAndOverlapsOfTheLeftClickRegions) {
    const Point points[] = {
        // Close and minimise boxes, and the separator columns between them.
        {785, 1, ClickRegion::CloseBox},
        {799, 15, ClickRegion::CloseBox},
        {785, 16, ClickRegion::None},
        {785, 0, ClickRegion::None},
        {784, 8, ClickRegion::None},
        {783, 8, ClickRegion::None},
        {769, 1, ClickRegion::MinimiseBox},
        {782, 15, ClickRegion::MinimiseBox},
        {768, 8, ClickRegion::None},
        {767, 8, ClickRegion::None},
        // Title bar, except where the marker column crosses it.
        {1, 1, ClickRegion::TitleBar},
        {766, 15, ClickRegion::TitleBar},
        {0, 8, ClickRegion::None},
        {400, 16, ClickRegion::None},
        {20, 8, ClickRegion::TitleBar},
        {21, 8, ClickRegion::MarkerColumn},
        {33, 15, ClickRegion::MarkerColumn},
        {34, 8, ClickRegion::TitleBar},
        // The marker column runs the whole height, footer included.
        {21, 0, ClickRegion::MarkerColumn},
        {33, 583, ClickRegion::MarkerColumn},
        // Start button, less its outline; the scroll column does not reach it.
        {641, H - 56, ClickRegion::StartButton},
        {779, H - 26, ClickRegion::StartButton},
        {640, H - 40, ClickRegion::None},
        {780, H - 40, ClickRegion::None},
        {700, H - 57, ClickRegion::None},
        {700, H - 25, ClickRegion::None},
        // Entry fields, less their outline.
        {169, H - 49, ClickRegion::DurationField},
        {252, H - 33, ClickRegion::DurationField},
        {168, H - 40, ClickRegion::None},
        {253, H - 40, ClickRegion::None},
        {200, H - 50, ClickRegion::None},
        {200, H - 32, ClickRegion::None},
        {377, H - 49, ClickRegion::IntervalField},
        {460, H - 33, ClickRegion::IntervalField},
        {376, H - 40, ClickRegion::None},
        {461, H - 40, ClickRegion::None},
        // Scroll column: one pixel inside the controls, over their height.
        {779, 37, ClickRegion::ScrollColumn},
        {791, 515, ClickRegion::ScrollColumn},
        {778, 100, ClickRegion::None},
        {792, 100, ClickRegion::None},
        {785, 36, ClickRegion::None},
        {785, 516, ClickRegion::None},
        // The list itself and the footer text answer no left press.
        {400, 300, ClickRegion::None},
        {100, H - 40, ClickRegion::None},
        {-1, -1, ClickRegion::None},
    };
    for (const Point& p : points) {
        EXPECT_EQ(leftClickRegion(p.x, p.y, H), p.region) << "at (" << p.x << ", " << p.y << ")";
    }
}

TEST(Regions, FooterRegionsFollowTheHeight) {
    // A shorter area moves the footer up with it; nothing is fixed at 584.
    EXPECT_EQ(leftClickRegion(700, 400 - 56, 400), ClickRegion::StartButton);
    EXPECT_EQ(leftClickRegion(200, 400 - 40, 400), ClickRegion::DurationField);
    EXPECT_EQ(leftClickRegion(400, 400 - 40, 400), ClickRegion::IntervalField);
    EXPECT_EQ(leftClickRegion(700, 528, 400), ClickRegion::None);
}

TEST(Regions, RowBandsAndTerminationColumns) {
    EXPECT_EQ(rowBandTop(1), 38);
    EXPECT_EQ(rowBandBottom(1), 49);
    EXPECT_EQ(rowBandTop(30), 502);
    EXPECT_EQ(rowBandBottom(30), 513);
    // Four pixels between two bands answer no row.
    EXPECT_EQ(rowBandTop(2) - rowBandBottom(1), 5);
    EXPECT_FALSE(inTerminationColumns(80));
    EXPECT_TRUE(inTerminationColumns(81));
    EXPECT_TRUE(inTerminationColumns(763));
    EXPECT_FALSE(inTerminationColumns(764));
}

}  // namespace
