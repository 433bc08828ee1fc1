// Rows and scroll controls whose figures have not changed are not drawn
// again. Every scene here is played twice: once through the list view, once
// through a plain reference that draws every row and the controls in full
// each time, as the drawing rules say. After every step both pictures and
// the published thumb figures must agree.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/windowed.h"
#include "probe/process_table.h"
#include "screen/list_view.h"
#include "screen/write_watch.h"
#include "screen_test_util.h"

using namespace screentest;

namespace {

// --- the reference: every row and the controls drawn in full --------------------

void referenceNumber(int end, int y, std::int32_t value, const std::string& unit) {
    const std::string digits = std::to_string(value);
    drawText(end - 8 * static_cast<int>(digits.size()), y, digits + unit, colourBlack);
}

void referenceButton(int top, int bottom, bool active, int tipY, int baseY) {
    fillBox(778, top, 792, bottom, active ? colourAccent : colourBackground);
    const std::uint32_t ink = active ? colourWhite : colourBlack;
    drawBox(778, top, 792, bottom, ink);
    drawLine(779, baseY, 785, tipY, ink);
    drawLine(785, tipY, 791, baseY, ink);
}

void referenceControls() {
    MonitorState& s = monitorState;
    referenceButton(37, 51, s.firstRow > 1, 39, 49);
    referenceButton(501, 515, s.lastRow < s.processCount, 513, 503);
    if (s.processCount <= 30) {
        fillBox(778, 52, 792, 500, colourBackground);
        return;
    }
    fillBox(778, 52, 792, 500, colourWhite);
    s.thumbLength = static_cast<std::int32_t>(std::nearbyint(30.0 / s.processCount * 450.0));
    s.thumbTop = static_cast<std::int32_t>(
        std::nearbyint((450.0 - s.thumbLength) / (s.processCount - 30.0) * (s.firstRow - 1.0) + 52.0));
    if (s.thumbTop + s.thumbLength > 500) s.thumbTop = 500 - s.thumbLength;
    const int top = s.thumbTop, bottom = s.thumbTop + s.thumbLength;
    fillBox(778, top, 792, bottom, colourAccent);
    setPixel(778, top, colourWhite);
    setPixel(792, top, colourWhite);
    setPixel(778, bottom, colourWhite);
    setPixel(792, bottom, colourWhite);
    const double g = top + s.thumbLength / 2.0;
    for (const double y : {g, g - 3, g + 3}) drawLine(781, y, 789, y, colourBackground);
}

void referenceRow(std::int32_t i) {
    const MonitorState& s = monitorState;
    if (i >= 1 && i <= s.processCount && s.firstRow <= i && i <= s.lastRow) {
        const ProcessEntry& e = processTable[static_cast<std::size_t>(i)];
        const int t = (i - s.firstRow) * 16 + 41;
        drawText(80, t, repeat('\xDB', 87), colourBackground);
        drawText(80, t, toScreenText(e.name), colourBlack);
        referenceNumber(382, t, e.pid, "");
        referenceNumber(480, t, e.cpuPercent, "%");
        referenceNumber(576, t, e.ramKB, "KB");
        if (e.ramKB == 0) drawText(628, t, "Prozess gesch\x81tzt", colourBlack);
        if (markedPid[static_cast<std::size_t>(i)] != 0 && markedPid[static_cast<std::size_t>(i)] == e.pid) {
            drawLine(20, t - 4, 34, t + 9, colourBlack);
            drawLine(34, t - 4, 20, t + 9, colourBlack);
        } else {
            fillBox(20, t - 4, 34, t + 9, colourWhite);
            drawBox(20, t - 4, 34, t + 9, colourBlack);
        }
    }
    referenceControls();
}

// --- scenes ------------------------------------------------------------------------

using RowDrawer = std::function<void(std::int32_t)>;

struct Picture {
    std::string step;
    std::vector<std::uint32_t> pixels;
    std::int32_t thumbTop, thumbLength;
};

struct Scene {
    const RowDrawer& row;
    std::vector<Picture>& pictures;

    void list() const {
        lockScreen();
        for (std::int32_t i = 1; i <= monitorState.processCount; ++i) row(i);
        unlockScreen();
    }
    void cycle() const {  // the per-process pass: every row, visible or not
        for (std::int32_t i = 1; i <= monitorState.processCount; ++i) row(i);
    }
    void look(const std::string& step) const {
        pictures.push_back(Picture{step, snapshot(), monitorState.thumbTop, monitorState.thumbLength});
    }
};

void start(int count, int first) {
    freshSurface();
    ASSERT_TRUE(openWindow(SURFACE_WIDTH, SURFACE_HEIGHT));
    monitorState.screenHeight = SURFACE_HEIGHT;
    fillBox(0, 0, 799, 583, colourBackground);
    processTable.assign(static_cast<std::size_t>(count) + 1, ProcessEntry{});
    for (int i = 1; i <= count; ++i)
        processTable[static_cast<std::size_t>(i)] = ProcessEntry{"proc" + std::to_string(i), 1000 + i, i % 3, 2048 + i};
    monitorState.processCount = count;
    monitorState.firstRow = first;
    monitorState.lastRow = std::min(count, first + 29);
    resizeRowArrays(count);
}

void setCount(int count) {
    if (static_cast<int>(processTable.size()) <= count) {
        const int old = static_cast<int>(processTable.size()) - 1;
        processTable.resize(static_cast<std::size_t>(count) + 1);
        for (int i = old + 1; i <= count; ++i)
            processTable[static_cast<std::size_t>(i)] = ProcessEntry{"new" + std::to_string(i), 5000 + i, 0, 64};
        resizeRowArrays(count);
    }
    monitorState.processCount = count;
}

// Plays `scene` once with the list view and once with the reference and
// compares them after every step.
void compare(const std::function<void(const Scene&)>& scene) {
    std::vector<Picture> real, reference;
    const RowDrawer listView = [](std::int32_t i) { drawProcessRow(i); };
    const RowDrawer plain = [](std::int32_t i) { referenceRow(i); };
    scene(Scene{listView, real});
    scene(Scene{plain, reference});
    freshSurface();
    ASSERT_EQ(real.size(), reference.size());
    for (std::size_t k = 0; k < real.size(); ++k) {
        const Picture &a = real[k], &b = reference[k];
        int differing = 0, firstX = -1, firstY = -1;
        for (std::size_t p = 0; p < a.pixels.size(); ++p) {
            if (a.pixels[p] == b.pixels[p]) continue;
            if (differing++ == 0) {
                firstX = static_cast<int>(p % SURFACE_WIDTH);
                firstY = static_cast<int>(p / SURFACE_WIDTH);
            }
        }
        EXPECT_EQ(differing, 0) << "after \"" << a.step << "\", first at (" << firstX << ", " << firstY << ")";
        EXPECT_EQ(a.thumbTop, b.thumbTop) << a.step;
        EXPECT_EQ(a.thumbLength, b.thumbLength) << a.step;
    }
}

}  // namespace

TEST(UnchangedRedraw, DrawingOverTheScrollAreaIsRepairedByTheNextRow) {
    compare([](const Scene& s) {
        start(60, 1);
        s.list();
        s.cycle();
        s.look("two cycles");
        fillBox(770, 90, 799, 300, 0x00FF00);  // someone draws over the track and thumb
        s.row(45);                             // an invisible row: only the controls
        s.look("row after drawing over the track");
        setPixel(785, 45, 0xFF0000);  // one pixel of the up button
        s.row(50);
        s.look("row after one pixel on the up button");
        drawText(770, 505, "\xDB\xDB", 0xFF00FF);  // the down button
        s.cycle();
        s.look("cycle after drawing over the down button");
    });
}

TEST(UnchangedRedraw, ScrollingAndCountsCrossingThirtyRows) {
    compare([](const Scene& s) {
        start(45, 1);
        s.list();
        s.cycle();
        for (const int first : {2, 3, 16, 15, 1}) {
            monitorState.firstRow = first;
            monitorState.lastRow = first + 29;
            s.list();
            s.cycle();
            s.look("scrolled to " + std::to_string(first));
        }
        // 45 -> 28: the sampling loop's shrink rule, track and thumb vanish.
        setCount(28);
        monitorState.firstRow = 1;
        monitorState.lastRow = 28;
        for (int r = 29; r <= 30; ++r) blankScreenRow(r);
        s.list();
        s.cycle();
        s.look("shrunk to 28");
        // 28 -> 30 -> 31 -> 30: growth up to the full window, then one row past it.
        setCount(30);
        monitorState.lastRow = 30;
        s.list();
        s.cycle();
        s.look("grown to 30");
        setCount(31);
        s.cycle();
        s.look("31 with the window 1..30");
        setCount(30);
        s.cycle();
        s.look("back to 30");
        // The thumb keeps its length but moves with a changed count: 200 -> 201.
        setCount(200);
        monitorState.firstRow = 171;
        monitorState.lastRow = 200;
        s.list();
        s.look("200 at the end");
        setCount(201);
        s.cycle();
        s.look("201, one more below");
    });
}

TEST(UnchangedRedraw, RowsAreRedrawnWhenAFigureOrTheirPlaceChanged) {
    compare([](const Scene& s) {
        start(40, 1);
        s.list();
        s.cycle();
        s.look("first cycles");
        processTable[3].cpuPercent = 57;
        processTable[4].ramKB = 0;  // the protection note appears
        processTable[5].pid = 9;    // a shorter PID leaves old digits unless erased
        processTable[6].name =
            "Gr\xFC\xDF"
            "e";
        s.cycle();
        s.look("figures changed");
        processTable[4].ramKB = 100;     // and goes again
        processTable[7].name = "proc7";  // the same name as before: nothing to do
        s.cycle();
        s.look("note gone");

        // Marks: set, drawn; taken by the input thread's white cross; a
        // process with another PID moves to the marked index.
        markedPid[2] = processTable[2].pid;
        s.cycle();
        s.look("marked");
        drawLine(21, 16 * 2 + 22, 33, 16 * 2 + 33, colourWhite);
        drawLine(33, 16 * 2 + 22, 21, 16 * 2 + 33, colourWhite);
        markedPid[2] = 0;
        s.cycle();
        s.look("unmarked");
        markedPid[8] = processTable[8].pid;
        s.cycle();
        processTable[8].pid = 4242;
        s.cycle();
        s.look("another process at the marked index");

        // Foreign ink on a row, a blanked row, then the same figures again.
        drawText(300, 16 * 10 + 25, "XXXX", 0xFF0000);
        setPixel(27, 16 * 11 + 28, 0xFF0000);  // inside a marker box
        blankScreenRow(12);
        s.cycle();
        s.look("rows drawn over");

        // The same figures one row further down the screen.
        monitorState.firstRow = 2;
        monitorState.lastRow = 31;
        s.list();
        s.look("scrolled by one");
    });
}

TEST(UnchangedRedraw, LongNamesAndANewPicture) {
    compare([](const Scene& s) {
        start(40, 1);
        processTable[2].name = std::string(87, 'W');  // ends exactly at x 775
        processTable[3].name = std::string(95, 'M');  // runs on over the controls
        s.list();
        s.cycle();
        s.look("long names");
        // Full blocks right to the window's edge: every redraw inks the border.
        processTable[4].name = std::string(95, '\xDB');
        s.cycle();
        drawBox(0, 0, 799, 583, colourLogging);  // a log session starts
        s.cycle();
        s.look("border drawn over by a long name");
        processTable[3].name = "short";
        s.cycle();
        s.look("long name shortened");  // its ink right of 775 stays, as the rules say

        // The picture is replaced (the window opened again): everything is drawn.
        surface::reset();
        ASSERT_TRUE(openWindow(SURFACE_WIDTH, SURFACE_HEIGHT));
        s.cycle();
        s.look("after a new window");
        fillBox(0, 0, 799, 583, colourBackground);
        s.cycle();
        s.look("after the whole picture was filled");
    });
}

// The point of it all: unchanged rows and controls cost no drawing.
TEST(UnchangedRedraw, AnUnchangedCycleDrawsNothing) {
    start(2000, 1);
    const int everything = writewatch::watch(0, 0, SURFACE_WIDTH - 1, SURFACE_HEIGHT - 1);
    ASSERT_GE(everything, 0);
    for (int i = 1; i <= 2000; ++i) drawProcessRow(i);
    const std::uint64_t first = writewatch::writes(everything);
    for (int i = 1; i <= 2000; ++i) drawProcessRow(i);
    EXPECT_EQ(writewatch::writes(everything), first);

    // One changed figure redraws that row only, not the controls: the eraser,
    // four texts, the box's fill and its outline, which counts once per side.
    processTable[5].cpuPercent = 99;
    for (int i = 1; i <= 2000; ++i) drawProcessRow(i);
    EXPECT_EQ(writewatch::writes(everything) - first, 10u);
    freshSurface();
}
