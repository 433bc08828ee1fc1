#include "app/windowed.h"

#include <cmath>
#include <mutex>
#include <string>
#include <thread>

#include "app/measuring_on_screen.h"
#include "figures/numeric_text.h"
#include "figures/rounding.h"
#include "input/input_loop.h"
#include "log/session_handover.h"
#include "os/os.h"
#include "probe/process_sample.h"
#include "probe/process_table.h"
#include "probe/system_load.h"
#include "screen/frame.h"
#include "screen/layout.h"
#include "screen/list_view.h"
#include "screen/surface.h"
#include "state/monitor_state.h"

namespace {

// Never destroyed: a joinable std::thread destroyed at exit would abort.
std::thread* inputThread = nullptr;

void sampleEveryRow() {
    for (std::int32_t i = 1; i <= monitorState.processCount; ++i) {
        sampleProcess(processTable[static_cast<std::size_t>(i)].pid, i);
    }
}

// durationText × 1000 + 400 ms, rounded to nearest-even; a text that reads as
// no number, or as one too large for a pause, gives a bounded figure.
std::int64_t sessionPauseMs() {
    double seconds = 0.0;
    {
        // A session started from the window may be putting in its default.
        std::lock_guard<std::mutex> texts(entryTextLock);
        seconds = numericValue(monitorState.durationText);
    }
    const double ms = seconds * 1000.0 + 400.0;
    if (!(ms > 0.0)) return 0;
    constexpr double longest = 9.0e15;  // far beyond any session, still exact in int64
    return static_cast<std::int64_t>(rounding::nearest(ms < longest ? ms : longest));
}

}  // namespace

void blankScreenRow(int s) {
    static const std::string eraser(layout::rowEraserGlyphs, static_cast<char>(glyphFullBlock));
    drawText(layout::rowNameX, layout::rowTextY(s), eraser, colourBackground);
    fillBox(layout::markerBox(s), colourBackground);
}

void keyInterruptiblePause(std::int64_t ms) {
    while (ms > 50) {
        // The session takes its own keys between passes, and its read clears
        // the key indication as well: a Space it took first would leave the
        // list frozen for the whole duration. So the end of the session ends
        // the pause as well.
        if (keyPressedSinceCheck() || monitorState.logState != LOG_RUNNING) return;
        os::pauseMs(50);
        ms -= 50;
    }
    os::pauseMs(ms);
}

void drawFirstFrame() {
    MonitorState& s = monitorState;
    showMeasuringOnScreen();
    if (s.processCount < VISIBLE_ROWS) s.lastRow = s.processCount;
    measureCpuClock();  // before the window exists: nothing else competes for the CPU
    drawStaticFrame();
    lockScreen();
    sampleCpuLoad();
    sampleMemory();
    resizeRowArrays(s.processCount);
    sampleEveryRow();
    unlockScreen();  // the whole first frame appears at once
}

void runWindowedMode() {
    drawFirstFrame();
    os::pauseMs(SAMPLE_PERIOD_MS);
    runSamplingLoop();
}

void runSamplingCycle() {
    std::lock_guard<std::mutex> gate(cycleGate);
    MonitorState& s = monitorState;

    takeStateLock();
    enumerateProcesses();
    if (s.shownCount < s.processCount) {
        resizeRowArrays(s.processCount);
        unmarkRow(s.processCount);
    }
    if (s.processCount > s.lastRow && s.processCount <= VISIBLE_ROWS) {
        s.firstRow = 1;
        s.lastRow = s.processCount;
        redrawList();
    }
    if (s.processCount < s.shownCount && s.firstRow > 1) {
        // The window moves up by one row, however many processes vanished.
        s.firstRow -= 1;
        s.lastRow -= 1;
        redrawList();
    } else if (s.processCount < s.lastRow) {
        s.firstRow = s.processCount >= VISIBLE_ROWS ? s.processCount - (VISIBLE_ROWS - 1) : 1;
        s.lastRow = s.processCount;
        for (int row = s.processCount + 1; row <= VISIBLE_ROWS; ++row) blankScreenRow(row);
        redrawList();
    }
    s.shownCount = s.processCount;
    releaseStateLock();

    sampleCpuLoad();
    sampleMemory();

    lockScreen();
    takeStateLock();
    sampleEveryRow();
    releaseStateLock();
    unlockScreen();
}

void pauseAfterCycle() {
    os::pauseMs(SAMPLE_PERIOD_MS);
    if (monitorState.logState == LOG_RUNNING) keyInterruptiblePause(sessionPauseMs());
}

void runSamplingLoop() {
    MonitorState& s = monitorState;
    noSessionRuns();
    createStateLock();
    inputThread = new std::thread(inputLoop);

    do {
        runSamplingCycle();
        pauseAfterCycle();
    } while (s.quitState != QUIT_REQUESTED);

    s.quitState = QUIT_LOOP_ENDED;
    wakeInputWaiter();  // it may rest until the next input
    if (inputThread->joinable()) inputThread->join();
    destroyStateLock();
    os::exitProcess(0);
}
