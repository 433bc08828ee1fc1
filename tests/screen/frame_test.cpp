// The static frame: the pixels and texts that later drawing relies on, and
// the marker boxes for the rows that hold a process.
#include <gtest/gtest.h>

#include "screen/frame.h"
#include "screen_test_util.h"

using namespace screentest;

namespace {

struct StaticFrame : ::testing::Test {
    void SetUp() override { freshSurface(); }
    void TearDown() override { freshSurface(); }

    static void drawWith(int processes) {
        monitorState.processCount = processes;
        monitorState.firstRow = 1;
        monitorState.lastRow = std::min(processes, 30);
        drawStaticFrame();
    }
};

bool markerBoxAt(int r) {
    const int top = 16 * r + 21;
    return countOther(21, top + 1, 33, top + 12, colourWhite) == 0 && countOther(20, top, 34, top, colourBlack) == 0 &&
           countOther(20, top + 13, 34, top + 13, colourBlack) == 0 &&
           countOther(20, top, 20, top + 13, colourBlack) == 0 && countOther(34, top, 34, top + 13, colourBlack) == 0;
}

}  // namespace

TEST_F(StaticFrame, OpensTitlesAndSetsTheScreenHeight) {
    drawWith(12);
    EXPECT_TRUE(surface::isOpen());
    EXPECT_EQ(monitorState.screenHeight, 584);
    EXPECT_EQ(memorywindow::title(), "Corvane");
}

TEST_F(StaticFrame, NamedPixelsOfTheFrame) {
    drawWith(12);
    EXPECT_EQ(surface::pixel(0, 0), colourWhite);
    EXPECT_EQ(surface::pixel(799, 583), colourWhite);
    EXPECT_EQ(surface::pixel(400, 8), colourAccent);
    EXPECT_EQ(surface::pixel(400, 300), colourBackground);
    EXPECT_EQ(surface::pixel(640, 527), colourBackground);  // rounded corner of the start button

    // Border all round, drawn over both bars.
    EXPECT_EQ(countOther(0, 0, 799, 0, colourWhite), 0);
    EXPECT_EQ(countOther(0, 583, 799, 583, colourWhite), 0);
    EXPECT_EQ(countOther(0, 0, 0, 583, colourWhite), 0);
    EXPECT_EQ(countOther(799, 0, 799, 583, colourWhite), 0);

    // Title bar with its white line; the area below the bars is background.
    EXPECT_EQ(countOther(1, 16, 799, 16, colourWhite), 0);
    EXPECT_EQ(countOther(1, 17, 798, 23, colourBackground), 0);
    EXPECT_EQ(countOther(200, 1, 760, 4, colourAccent), 0);

    // Bottom bar: line at 568, two white pixels under its ends, accent inside.
    EXPECT_EQ(countOther(1, 568, 799, 568, colourWhite), 0);
    EXPECT_EQ(surface::pixel(1, 569), colourWhite);
    EXPECT_EQ(surface::pixel(798, 569), colourWhite);
    EXPECT_EQ(countOther(2, 569, 797, 582, colourAccent), 0);
    EXPECT_EQ(countOther(1, 560, 798, 567, colourBackground), 0);

    // Minimise and close boxes.
    EXPECT_EQ(countOther(768, 1, 768, 15, colourWhite), 0);
    EXPECT_EQ(countOther(784, 1, 784, 15, colourWhite), 0);
    EXPECT_EQ(countOther(770, 8, 782, 8, colourWhite), 0);
    EXPECT_EQ(surface::pixel(769, 8), colourAccent);
    EXPECT_EQ(surface::pixel(783, 8), colourAccent);
    for (const auto& p : {std::pair{797, 3}, {786, 13}, {797, 13}, {786, 3}})
        EXPECT_EQ(surface::pixel(p.first, p.second), colourWhite) << p.first << "," << p.second;
    // Two 12-pixel lines that share (791, 8) and (792, 8).
    EXPECT_EQ(countColour(785, 1, 798, 15, colourWhite), 22);
    EXPECT_EQ(surface::pixel(791, 8), colourWhite);
    EXPECT_EQ(surface::pixel(792, 8), colourWhite);
}

TEST_F(StaticFrame, TextsSitOnTheirCells) {
    drawWith(12);
    // The caption's first glyph is the cell x 8..15, y 5..12, on the title bar.
    EXPECT_TRUE(textAt(8, 5, "Corvane", colourWhite, colourAccent));
    EXPECT_TRUE(textAt(80, 5, "v1.0.1", colourWhite, colourAccent));
    EXPECT_EQ(countOther(64, 5, 79, 12, colourAccent), 0);  // the two spaces

    EXPECT_TRUE(textAt(8, 24, "Marker", colourAccent, colourBackground));
    EXPECT_TRUE(textAt(80, 24, "Prozess", colourAccent, colourBackground));
    EXPECT_TRUE(textAt(360, 24, "PID", colourAccent, colourBackground));
    EXPECT_TRUE(textAt(464, 24, "CPU", colourAccent, colourBackground));
    EXPECT_TRUE(textAt(568, 24, "RAM", colourAccent, colourBackground));

    EXPECT_TRUE(textAt(20, 539, "Markierte Prozesse", colourBlack, colourBackground));
    EXPECT_TRUE(textAt(260, 539, "Sekunden, alle", colourBlack, colourBackground));
    EXPECT_TRUE(textAt(468, 539, "Millisekunden loggen", colourBlack, colourBackground));
    EXPECT_TRUE(textAt(688, 539, "START!", colourWhite, colourAccent));
}

TEST_F(StaticFrame, EntryFieldsAndStartButton) {
    drawWith(12);
    for (const int left : {168, 376}) {
        const int right = left + 85;
        EXPECT_EQ(countOther(left + 1, 535, right - 1, 551, colourWhite), 0) << left;  // empty
        EXPECT_EQ(countOther(left, 534, right, 534, colourBlack), 0);
        EXPECT_EQ(countOther(left, 552, right, 552, colourBlack), 0);
        EXPECT_EQ(countOther(left, 534, left, 552, colourBlack), 0);
        EXPECT_EQ(countOther(right, 534, right, 552, colourBlack), 0);
    }
    // The duration field ends at the column 253, the footer goes on at 260.
    EXPECT_EQ(countOther(254, 534, 259, 552, colourBackground), 0);

    EXPECT_EQ(surface::pixel(780, 527), colourBackground);
    EXPECT_EQ(surface::pixel(780, 559), colourBackground);
    EXPECT_EQ(surface::pixel(640, 559), colourBackground);
    EXPECT_EQ(surface::pixel(641, 527), colourBlack);
    EXPECT_EQ(surface::pixel(640, 528), colourBlack);
    EXPECT_EQ(countOther(641, 528, 687, 558, colourAccent), 0);
    EXPECT_EQ(surface::pixel(781, 540), colourBackground);
}

TEST_F(StaticFrame, MarkerBoxesOnlyForRowsThatHoldAProcess) {
    drawWith(12);
    for (int r = 1; r <= 12; ++r) EXPECT_TRUE(markerBoxAt(r)) << r;
    // Rows 13..30 show plain background where the boxes would be.
    EXPECT_EQ(countOther(20, 16 * 13 + 21, 34, 16 * 30 + 34, colourBackground), 0);

    freshSurface();
    drawWith(200);
    for (int r = 1; r <= 30; ++r) EXPECT_TRUE(markerBoxAt(r)) << r;
    EXPECT_EQ(countOther(20, 16 * 31 + 21, 34, 530, colourBackground), 0);

    freshSurface();
    drawWith(0);
    EXPECT_EQ(countOther(20, 37, 34, 530, colourBackground), 0);
}

TEST_F(StaticFrame, DrawMarkerBoxWipesACross) {
    drawWith(3);
    drawLine(20, 57, 34, 70, colourBlack);
    drawMarkerBox(2);
    EXPECT_TRUE(markerBoxAt(2));
}

TEST_F(StaticFrame, WithoutAWindowNothingIsDrawnButTheHeightIsSet) {
    memorywindow::setOpenFails(true);
    drawWith(12);
    EXPECT_FALSE(surface::isOpen());
    EXPECT_EQ(monitorState.screenHeight, 584);
    EXPECT_EQ(countOther(0, 0, 799, 583, 0), 0);
    EXPECT_EQ(memorywindow::titleCount(), 0);
}
