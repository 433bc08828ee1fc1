// The write counts of watched rectangles, and the refresh copy that sends
// only lines whose pixels differ from what the window shows.
#include <gtest/gtest.h>

#include <array>
#include <thread>
#include <vector>

#include "screen/write_watch.h"
#include "screen_test_util.h"

using namespace screentest;

namespace {

// One rectangle for all tests of this file: x 100..199, y 200..249.
int box() {
    static const int id = writewatch::watch(199, 249, 100, 200);  // corners in any order
    return id;
}

}  // namespace

TEST_F(OpenSurface, WritesCountWhenTheirBoundsTouchTheRectangle) {
    const int id = box();
    ASSERT_GE(id, 0);
    std::uint64_t n = writewatch::writes(id);
    auto counted = [&] {
        const std::uint64_t now = writewatch::writes(id);
        const bool changed = now != n;
        n = now;
        return changed;
    };
    setPixel(199, 249, colourWhite);
    EXPECT_TRUE(counted());
    setPixel(200, 249, colourWhite);
    EXPECT_FALSE(counted());
    fillBox(0, 0, 99, 583, colourWhite);  // ends one column left of it
    EXPECT_FALSE(counted());
    fillBox(150, 190, 160, 200, colourWhite);
    EXPECT_TRUE(counted());
    drawText(92, 230, "ab", colourWhite);  // the second glyph reaches x 100
    EXPECT_TRUE(counted());
    drawText(84, 230, "ab", colourWhite);
    EXPECT_FALSE(counted());
    drawLine(0, 0, 799, 583, colourWhite);  // the diagonal passes through it
    EXPECT_TRUE(counted());
    // An outline around it touches none of its pixels: not counted.
    drawBox(99, 199, 200, 250, colourWhite);
    EXPECT_FALSE(counted());
    drawBox(99, 199, 150, 250, colourWhite);
    EXPECT_TRUE(counted());
    // Clipped away entirely: nothing written, nothing counted.
    fillBox(900, 200, 1000, 220, colourWhite);
    drawText(150, -20, "x", colourWhite);
    EXPECT_FALSE(counted());
    // A new picture counts for every rectangle.
    surface::reset();
    EXPECT_TRUE(counted());
    ASSERT_TRUE(openWindow(SURFACE_WIDTH, SURFACE_HEIGHT));
    EXPECT_TRUE(counted());
}

TEST_F(OpenSurface, DrawingForARectangleCountsOnlyAgainstTheOthers) {
    const int id = box();
    const int other = writewatch::watch(150, 240, 400, 260);
    ASSERT_GE(other, 0);
    const std::uint64_t mine = writewatch::writes(id), theirs = writewatch::writes(other);
    {
        writewatch::DrawingFor own(id);
        fillBox(100, 200, 199, 249, colourWhite);
        // Another thread drawing meanwhile is counted.
        std::thread([] { setPixel(120, 220, colourBlack); }).join();
    }
    EXPECT_EQ(writewatch::writes(id), mine + 1);
    EXPECT_EQ(writewatch::writes(other), theirs + 1);
    setPixel(120, 220, colourBlack);  // after the guard: counted again
    EXPECT_EQ(writewatch::writes(id), mine + 2);
    EXPECT_EQ(writewatch::writes(-1), 0u);
    EXPECT_EQ(writewatch::writes(writewatch::MAX_WATCHED), 0u);
}

TEST_F(OpenSurface, OnlyLinesThatDifferFromTheShownPictureAreCopied) {
    std::vector<std::uint32_t> shown(SURFACE_WIDTH * SURFACE_HEIGHT, 0x123456);
    std::array<bool, SURFACE_HEIGHT> differs{};
    ASSERT_TRUE(surface::takeDifferingLines(shown.data(), differs));  // the black picture of the open
    EXPECT_EQ(std::count(differs.begin(), differs.end(), true), SURFACE_HEIGHT);
    EXPECT_EQ(shown, snapshot());

    // Drawn again the same: changed lines, but nothing differs.
    fillBox(0, 0, 799, 583, colourBlack);
    EXPECT_FALSE(surface::takeDifferingLines(shown.data(), differs));
    EXPECT_EQ(std::count(differs.begin(), differs.end(), true), 0);

    // A batch end marks every line; only the two touched ones go out.
    lockScreen();
    setPixel(5, 10, colourWhite);
    setPixel(799, 300, colourWhite);
    fillBox(0, 400, 799, 420, colourBlack);
    EXPECT_FALSE(surface::takeDifferingLines(shown.data(), differs));  // not while the batch is open
    unlockScreen();
    ASSERT_TRUE(surface::takeDifferingLines(shown.data(), differs));
    for (int y = 0; y < SURFACE_HEIGHT; ++y) EXPECT_EQ(differs[static_cast<std::size_t>(y)], y == 10 || y == 300) << y;
    EXPECT_EQ(shown[10 * 800 + 5], colourWhite);
    EXPECT_EQ(shown[300 * 800 + 799], colourWhite);
    EXPECT_EQ(shown, snapshot());

    // Lines nobody drew on are not even compared after a batch end: they
    // still hold what was copied last. A window that lost its copy (here:
    // overwritten) asks for all of it, and then what it shows is compared.
    shown[50 * 800 + 7] = 0xABCDEF;
    lockScreen();
    unlockScreen();
    EXPECT_FALSE(surface::takeDifferingLines(shown.data(), differs));
    surface::markAllChanged();
    ASSERT_TRUE(surface::takeDifferingLines(shown.data(), differs));
    EXPECT_EQ(std::count(differs.begin(), differs.end(), true), 1);
    EXPECT_TRUE(differs[50]);
    EXPECT_EQ(shown[50 * 800 + 7], colourBlack);
}
