// A window, a process table and a scripted user for the input thread's tests.
//
// The in-memory window takes the pointer and keys; the fake OS records every
// pause. Scripted steps run at the pauses, one per pause, so modal loops (a
// drag, an edit) can be driven from inside; a turn that never comes back is
// stopped with an exception instead of hanging the test.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/measuring_on_screen.h"
#include "input/input_loop.h"
#include "probe/process_table.h"
#include "screen/frame.h"
#include "screen/list_view.h"
#include "screen/surface.h"
#include "screen/window_backend.h"
#include "screen/window_memory.h"
#include "state/monitor_state.h"
#include "tests/fake/fake_os.h"

namespace inputtest {

struct Runaway : std::runtime_error {
    Runaway() : std::runtime_error("the input thread did not come back") {}
};

class InputTest : public ::testing::Test {
  protected:
    static constexpr int H = 584;

    void SetUp() override {
        fakeos::reset();
        resetMonitorState();
        surface::reset();
        memorywindow::resetControls();
        resetInputState();
        fakeos::state().onPause = [this](std::int64_t ms) { atPause(ms); };
    }

    void TearDown() override {
        fakeos::state().onPause = nullptr;
        for (std::thread& t : lockProbes_) t.join();
        lockProbes_.clear();
        resetMonitorState();
        surface::reset();
    }

    // `count` processes p1.exe.. with PIDs 1001..; the window on the first
    // 30 rows, showing what is sampled; the frame and the list drawn;
    // stateLock made; logState 2.
    void openWith(int count) {
        fakeos::State& os = fakeos::state();
        processTable.assign(static_cast<std::size_t>(count) + 1, ProcessEntry{});
        for (int i = 1; i <= count; ++i) {
            ProcessEntry& e = processTable[static_cast<std::size_t>(i)];
            e.name = "p" + std::to_string(i) + ".exe";
            e.pid = 1000 + i;
            e.ramKB = 100;
            os.processes.push_back({e.pid, e.name});
        }
        MonitorState& s = monitorState;
        s.processCount = count;
        s.shownCount = count;
        resizeRowArrays(count);
        s.firstRow = 1;
        s.lastRow = count < VISIBLE_ROWS ? count : VISIBLE_ROWS;
        showMeasuringOnScreen();
        drawStaticFrame();
        redrawList();
        createStateLock();
        s.logState = LOG_IDLE;
        surface::setActive(true);
        pointAt(400, 300);
        fakeos::state().pauses.clear();
    }

    // Pointer over (x, y) of the drawing area; the desktop position follows
    // the window's.
    void pointAt(int x, int y) {
        int wx = 0, wy = 0;
        getWindowPosition(wx, wy);
        surface::mouseMoved(x, y, wx + x, wy + y);
    }
    void press(int button = 1) { surface::mouseButton(button, true); }
    void release(int button = 1) { surface::mouseButton(button, false); }
    void pressAt(int x, int y, int button = 1) {
        pointAt(x, y);
        press(button);
    }
    // Drops the events a setup left in the queue.
    static void drainEvents() {
        SurfaceEvent e;
        while (pollEvent(e)) {}
    }

    // Steps run one per pause, in order; afterwards pauses just pass.
    void atPauses(std::vector<std::function<void()>> steps) {
        for (auto& step : steps) script_.push_back(std::move(step));
    }
    void alsoAtEachPause(std::function<void(std::int64_t)> check) { everyPause_ = std::move(check); }

    static std::vector<std::int64_t> pauses() { return fakeos::state().pauses; }

    // Whether another thread could take stateLock right now. A probe that
    // is still waiting when we give up finishes once the lock is released.
    bool stateLockFree() {
        auto got = std::make_shared<std::atomic<bool>>(false);
        lockProbes_.emplace_back([got] {
            takeStateLock();
            *got = true;
            releaseStateLock();
        });
        for (int i = 0; i < 300 && !*got; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return *got;
    }

    static int rowTop(int r) { return 16 * r + 22; }

  private:
    void atPause(std::int64_t ms) {
        if (++pauseCount_ > 20000) throw Runaway();
        if (everyPause_) everyPause_(ms);
        if (!script_.empty()) {
            auto step = std::move(script_.front());
            script_.pop_front();
            step();
        }
    }

    std::deque<std::function<void()>> script_;
    std::function<void(std::int64_t)> everyPause_;
    std::vector<std::thread> lockProbes_;
    int pauseCount_ = 0;
};

}  // namespace inputtest
