// The process list: name conversion, column positions, marker boxes, the
// scroll controls and the thumb figures they publish.
#include <gtest/gtest.h>

#include "probe/process_table.h"
#include "screen/frame.h"
#include "screen/list_view.h"
#include "screen_test_util.h"

using namespace screentest;

namespace {

struct ListView : ::testing::Test {
    void SetUp() override {
        freshSurface();
        ASSERT_TRUE(openWindow(800, 584));
        monitorState.screenHeight = 584;
        fillBox(0, 0, 799, 583, colourBackground);
    }
    void TearDown() override { freshSurface(); }

    // A table of `count` processes, rows first..first+29 visible.
    static void table(int count, int first = 1) {
        processTable.assign(static_cast<std::size_t>(count) + 1, ProcessEntry{});
        for (int i = 1; i <= count; ++i)
            processTable[static_cast<std::size_t>(i)] = ProcessEntry{"proc" + std::to_string(i), 1000 + i, 1, 2048};
        monitorState.processCount = count;
        monitorState.firstRow = first;
        monitorState.lastRow = std::min(count, first + 29);
        resizeRowArrays(count);
    }
    static ProcessEntry& entry(int i) { return processTable[static_cast<std::size_t>(i)]; }
    static int rowTop(int i) { return (i - monitorState.firstRow) * 16 + 41; }
};

bool emptyBox(int t) {
    return countOther(21, t - 3, 33, t + 8, colourWhite) == 0 && countOther(20, t - 4, 34, t - 4, colourBlack) == 0 &&
           countOther(20, t + 9, 34, t + 9, colourBlack) == 0 && countOther(20, t - 4, 20, t + 9, colourBlack) == 0 &&
           countOther(34, t - 4, 34, t + 9, colourBlack) == 0;
}

}  // namespace

// --- name conversion -------------------------------------------------------------

TEST(ToScreenText, ConvertsTheSevenLettersOnly) {
    EXPECT_EQ(toScreenText("gr\xFC\xDF"
                           "e.exe"),
              "gr\x81\xE1"
              "e.exe");
    EXPECT_EQ(toScreenText("\xC4\xD6\xDC\xE4\xF6\xFC\xDF"), "\x8E\x99\x9A\x84\x94\x81\xE1");
    EXPECT_EQ(toScreenText("explorer.exe"), "explorer.exe");
    EXPECT_EQ(toScreenText(""), "");
    // Other high bytes (é, the euro sign, 0xFF) pass unchanged.
    EXPECT_EQ(toScreenText("caf\xE9\x80\xFF"), "caf\xE9\x80\xFF");
    // Embedded NUL bytes are kept, not taken as the end.
    EXPECT_EQ(toScreenText(std::string("a\0\xFC", 3)), std::string("a\0\x81", 3));
}

// --- one row -------------------------------------------------------------------------

TEST_F(ListView, ColumnsAreRightAlignedToTheirEdges) {
    table(3);
    entry(1) = ProcessEntry{"System", 4, 7, 148};
    entry(2) = ProcessEntry{"svchost.exe", 12345, 100, 0};
    drawProcessRow(1);
    drawProcessRow(2);
    const int t1 = rowTop(1), t2 = rowTop(2);
    ASSERT_EQ(t1, 41);
    EXPECT_TRUE(textAt(80, t1, "System", colourBlack, colourBackground));
    EXPECT_TRUE(textAt(374, t1, "4", colourBlack, colourBackground));
    EXPECT_EQ(countOther(128, t1, 373, t1 + 7, colourBackground), 0);
    EXPECT_TRUE(textAt(472, t1, "7%", colourBlack, colourBackground));
    EXPECT_TRUE(textAt(552, t1, "148KB", colourBlack, colourBackground));
    EXPECT_EQ(countOther(592, t1, 775, t1 + 7, colourBackground), 0);  // no protection note

    EXPECT_TRUE(textAt(342, t2, "12345", colourBlack, colourBackground));
    EXPECT_TRUE(textAt(456, t2, "100%", colourBlack, colourBackground));
    EXPECT_TRUE(textAt(568, t2, "0KB", colourBlack, colourBackground));
    EXPECT_TRUE(textAt(628, t2, "Prozess gesch\x81tzt", colourBlack, colourBackground));
}

TEST_F(ListView, NegativeAndExtremeNumbersCountTheMinusSign) {
    table(1);
    entry(1) = ProcessEntry{"x", -2147483647 - 1, -5, -1};
    drawProcessRow(1);
    const int t = rowTop(1);
    EXPECT_TRUE(textAt(382 - 8 * 11, t, "-2147483648", colourBlack, colourBackground));
    EXPECT_TRUE(textAt(464, t, "-5%", colourBlack, colourBackground));
    EXPECT_TRUE(textAt(560, t, "-1KB", colourBlack, colourBackground));
}

TEST_F(ListView, NamesAreConvertedForTheScreenFont) {
    table(1);
    entry(1).name =
        "gr\xFC\xDF"
        "e";
    drawProcessRow(1);
    EXPECT_TRUE(textAt(80, rowTop(1),
                       "gr\x81\xE1"
                       "e",
                       colourBlack, colourBackground));
    EXPECT_EQ(entry(1).name,
              "gr\xFC\xDF"
              "e");  // the table keeps Windows-1252
}

TEST_F(ListView, TheEraserClearsTheLineUpTo775) {
    table(1);
    entry(1) = ProcessEntry{std::string(120, 'W'), 99999, 100, 0};
    drawProcessRow(1);
    const int t = rowTop(1);
    // The long name ran past 775, but the scroll controls were drawn after it.
    EXPECT_EQ(countOther(778, 52, 792, 500, colourBackground), 0);
    EXPECT_EQ(surface::pixel(781, t + 3), colourBackground);  // inside the up button
    EXPECT_NE(countOther(776, t, 777, t + 7, colourBackground), 0);

    entry(1) = ProcessEntry{"a", 1, 2, 3};
    drawProcessRow(1);
    EXPECT_EQ(countOther(88, t, 373, t + 7, colourBackground), 0);
    EXPECT_EQ(countOther(392, t, 471, t + 7, colourBackground), 0);
    EXPECT_EQ(countOther(496, t, 567, t + 7, colourBackground), 0);
    EXPECT_EQ(countOther(592, t, 775, t + 7, colourBackground), 0);
    // ...and only up to 775: the two columns left of the controls keep the old ink.
    EXPECT_NE(countOther(776, t, 777, t + 7, colourBackground), 0);
}

TEST_F(ListView, MarkerShowsOnlyWhileTheSamePidSitsAtTheRow) {
    table(3);
    markedPid[2] = entry(2).pid;
    markedPid[3] = entry(3).pid + 1;  // a mark left by another process
    for (int i = 1; i <= 3; ++i) drawProcessRow(i);
    EXPECT_TRUE(emptyBox(rowTop(1)));
    EXPECT_TRUE(emptyBox(rowTop(3)));
    const int t = rowTop(2);
    EXPECT_EQ(surface::pixel(20, t - 4), colourBlack);  // both diagonals of the box
    EXPECT_EQ(surface::pixel(34, t + 9), colourBlack);
    EXPECT_EQ(surface::pixel(34, t - 4), colourBlack);
    EXPECT_EQ(surface::pixel(20, t + 9), colourBlack);
    EXPECT_EQ(surface::pixel(27, t + 3), colourBlack);  // where they cross
    EXPECT_EQ(countColour(21, t - 3, 33, t + 8, colourBlack), 25);

    // Another process takes the row: the box is drawn empty again.
    entry(2).pid = 7;
    drawProcessRow(2);
    EXPECT_TRUE(emptyBox(t));

    // A zero mark is never a mark, even for a process with PID 0.
    entry(1).pid = 0;
    markedPid[1] = 0;
    drawProcessRow(1);
    EXPECT_TRUE(emptyBox(rowTop(1)));
}

TEST_F(ListView, RowsOutsideTheWindowDrawOnlyTheScrollControls) {
    table(40, 5);
    const auto before = snapshot();
    drawProcessRow(4);   // above the window
    drawProcessRow(35);  // below it
    drawProcessRow(0);
    drawProcessRow(-3);
    drawProcessRow(41);  // past processCount
    drawProcessRow(INT32_MAX);
    const auto after = snapshot();
    for (int y = 0; y < SURFACE_HEIGHT; ++y)
        for (int x = 0; x < 778; ++x) ASSERT_EQ(after[y * 800 + x], before[y * 800 + x]) << x << "," << y;
    EXPECT_EQ(surface::pixel(785, 45), colourAccent);  // the controls are there
}

TEST_F(ListView, VisibleRowsUseTheirWindowPosition) {
    table(50, 11);
    drawProcessRow(11);
    drawProcessRow(40);
    EXPECT_TRUE(textAt(80, 41, "proc11", colourBlack, colourBackground));
    EXPECT_TRUE(textAt(80, 16 * 30 + 25, "proc40", colourBlack, colourBackground));
    EXPECT_TRUE(emptyBox(16 * 30 + 25));
}

TEST_F(ListView, ShortRowArraysAndTablesAreNotReadPastTheirEnd) {
    table(5);
    markedPid.assign(2, 0);         // shorter than the table
    monitorState.processCount = 9;  // more than the table holds
    monitorState.lastRow = 9;
    for (int i = 1; i <= 9; ++i) drawProcessRow(i);
    EXPECT_TRUE(textAt(80, rowTop(5), "proc5", colourBlack, colourBackground));
    EXPECT_EQ(countOther(80, rowTop(6), 775, rowTop(9) + 7, colourBackground), 0);
}

// --- scroll controls ----------------------------------------------------------------------

TEST_F(ListView, ThirtyProcessesShowInactiveButtonsAndNoTrack) {
    table(30);
    monitorState.thumbTop = 111;
    monitorState.thumbLength = 222;
    drawProcessRow(1);
    for (const int top : {37, 501}) {
        EXPECT_EQ(countOther(778, top, 792, top, colourBlack), 0);
        EXPECT_EQ(countOther(778, top, 778, top + 14, colourBlack), 0);
        EXPECT_EQ(countColour(779, top + 1, 791, top + 13, colourAccent), 0);
    }
    EXPECT_EQ(surface::pixel(785, 39), colourBlack);  // the up chevron's tip
    EXPECT_EQ(surface::pixel(779, 49), colourBlack);
    EXPECT_EQ(surface::pixel(785, 513), colourBlack);  // the down chevron's tip
    EXPECT_EQ(surface::pixel(791, 503), colourBlack);
    EXPECT_EQ(surface::pixel(781, 44), colourBackground);
    EXPECT_EQ(countOther(778, 52, 792, 500, colourBackground), 0);
    EXPECT_EQ(monitorState.thumbTop, 111);  // left as they were
    EXPECT_EQ(monitorState.thumbLength, 222);
}

TEST_F(ListView, ThumbOf31ProcessesAtTheTop) {
    table(31);
    drawProcessRow(1);
    EXPECT_EQ(monitorState.thumbLength, 435);
    EXPECT_EQ(monitorState.thumbTop, 52);
    // Thumb rows 52..487 in the accent colour, corners white, track below.
    EXPECT_EQ(surface::pixel(778, 52), colourWhite);
    EXPECT_EQ(surface::pixel(792, 52), colourWhite);
    EXPECT_EQ(surface::pixel(778, 487), colourWhite);
    EXPECT_EQ(surface::pixel(792, 487), colourWhite);
    EXPECT_EQ(surface::pixel(779, 52), colourAccent);
    EXPECT_EQ(countOther(778, 53, 780, 486, colourAccent), 0);
    EXPECT_EQ(countOther(778, 488, 792, 500, colourWhite), 0);
    // Grip lines at 270, 267 and 273 from x 781 to 789, nothing else.
    for (const int y : {267, 270, 273}) {
        EXPECT_EQ(countOther(781, y, 789, y, colourBackground), 0) << y;
        EXPECT_EQ(surface::pixel(780, y), colourAccent);
        EXPECT_EQ(surface::pixel(790, y), colourAccent);
    }
    EXPECT_EQ(countColour(781, 53, 789, 486, colourBackground), 27);
    // Up inactive, down active.
    EXPECT_EQ(surface::pixel(781, 44), colourBackground);
    EXPECT_EQ(surface::pixel(778, 37), colourBlack);
    EXPECT_EQ(surface::pixel(780, 510), colourAccent);
    EXPECT_EQ(surface::pixel(778, 501), colourWhite);
    EXPECT_EQ(surface::pixel(785, 513), colourWhite);
}

TEST_F(ListView, ThumbOf31ProcessesOnTheLastPageEndsAt500) {
    table(31, 2);
    drawProcessRow(2);
    EXPECT_EQ(monitorState.thumbLength, 435);
    EXPECT_EQ(monitorState.thumbTop, 65);  // 67 moved up to end at 500
    EXPECT_EQ(countOther(778, 52, 792, 64, colourWhite), 0);
    EXPECT_EQ(surface::pixel(778, 65), colourWhite);
    EXPECT_EQ(surface::pixel(792, 500), colourWhite);
    EXPECT_EQ(countOther(779, 66, 780, 499, colourAccent), 0);
    EXPECT_EQ(surface::pixel(781, 44), colourAccent);  // up active
    EXPECT_EQ(surface::pixel(785, 39), colourWhite);
    EXPECT_EQ(surface::pixel(780, 510), colourBackground);  // down inactive
    EXPECT_EQ(surface::pixel(785, 513), colourBlack);
}

TEST_F(ListView, ThumbLengthsRoundHalvesToEven) {
    table(40);
    drawProcessRow(1);
    EXPECT_EQ(monitorState.thumbLength, 338);  // 337.5
    table(120);
    drawProcessRow(1);
    EXPECT_EQ(monitorState.thumbLength, 112);  // 112.5
    table(120, 46);
    drawProcessRow(46);
    // (450 - 112) / 90 x 45 + 52 = 221
    EXPECT_EQ(monitorState.thumbTop, 221);
    EXPECT_EQ(countOther(779, 222, 791, 222 + 50, colourAccent), 0);
}

TEST_F(ListView, AWildFirstRowKeepsTheThumbFiguresSane) {
    table(100);
    monitorState.firstRow = INT32_MAX;
    monitorState.lastRow = INT32_MAX;
    drawProcessRow(1);
    EXPECT_EQ(monitorState.thumbTop, 500 - monitorState.thumbLength);
}

TEST_F(ListView, RedrawListDrawsEveryRowInOneBatch) {
    table(35, 3);
    markedPid[4] = entry(4).pid;
    redrawList();
    for (int i = 3; i <= 32; ++i)
        EXPECT_TRUE(textAt(80, rowTop(i), "proc" + std::to_string(i), colourBlack, colourBackground)) << i;
    EXPECT_EQ(surface::pixel(27, rowTop(4) + 3), colourBlack);
    // The batch is closed again: the window may copy the picture.
    std::vector<std::uint32_t> dest(800 * 584);
    int first = 0, last = 0;
    EXPECT_TRUE(surface::takeChangedLines(dest.data(), first, last));
}
