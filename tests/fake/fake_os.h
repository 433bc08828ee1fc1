// A scripted operating system for tests, linked in place of os/<platform>.
//
// Tests set the processes, times and memory figures, and the clock advances
// only when a pause (or the test) says so; pauses are recorded, not slept.
// `realTime` switches to real sleeping for threaded tests. All state is
// guarded by one lock, so the program's threads may call in concurrently.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "os/os.h"

namespace fakeos {

struct Process {
    std::int32_t pid = 0;
    std::string name;
    bool openable = true;
    std::int64_t kernelTime = 0;
    std::int64_t userTime = 0;
    std::uint64_t workingSetBytes = 0;
    std::uint64_t startedAt = 0;  // on the process start clock (see State::startClock)
};

// A process held by os::holdProcess: the instance (PID and start) it holds.
struct Hold {
    std::int32_t pid = 0;
    std::uint64_t startedAt = 0;
    bool open = true;
};

struct MessageBoxCall {
    std::string text;
    std::string caption;
    unsigned type = 0;
};

// Thrown by os::exitProcess on the thread that calls it (unless exitHook is set).
struct ExitCalled {
    int status;
};

struct State {
    std::vector<Process> processes;
    bool snapshotFails = false;
    int snapshotCalls = 0;

    os::SystemTimes systemTimes;
    bool systemTimesFail = false;
    os::MemoryStatus memory;

    std::uint32_t cycleCounter = 0;
    std::uint32_t cyclesPerSecond = 0;     // added to the counter as the clock moves
    double clock = 1000.0;                 // seconds
    double clockReadSeconds = 0.0001;      // how far each secondsClock read moves the clock
    std::function<void(int)> onClockRead;  // runs before the n-th secondsClock read (from 1)
    int clockReads = 0;
    os::LocalTime startTime{2026, 12, 9, 5, 25, 17, 0};  // local time at clock 1000.0

    bool realTime = false;  // pauses really sleep and the clock follows
    std::vector<std::int64_t> pauses;
    std::function<void(std::int64_t)> onPause;         // runs after each recorded pause
    std::function<void(std::int32_t)> onQueryProcess;  // runs after each queryProcess or samplePinned
    int queryProcessCalls = 0;                         // os::queryProcess calls
    int samplePinnedCalls = 0;                         // os::samplePinned calls

    // What os::processStartClock() reads: the moment, on the clock of
    // process start times, that a listing taken now is as of.
    std::uint64_t startClock = 0;

    std::vector<std::int32_t> terminated;
    std::vector<std::int32_t> terminateRefused;  // pids that cannot be ended
    std::vector<Hold> holds;                     // every hold ever taken; the handle is its index + 1
    std::vector<Hold> pins;                      // every pin ever taken; the handle is its index
    std::vector<MessageBoxCall> messageBoxes;
    std::vector<int> messageBoxAnswers;                       // popped front; 1 (OK) when empty
    std::function<void(const MessageBoxCall&)> onMessageBox;  // runs while the box is "open"
    std::vector<std::string> minimised;
    int consoleKeys = 0;
    bool initCommonControlsCalled = false;

    std::function<void(int)> exitHook;
    std::vector<std::string> failuresTold;  // os::tellFailure texts
    bool commandLineHasOptions = true;      // as on Linux; false: as on Windows
    std::vector<std::string> toldUser;      // os::tellUser texts

    // Set by indexProcesses(): where each PID first sits in `processes`, so
    // that scripts of thousands of processes (benchmarks) are not timed
    // scanning the list. Empty means every lookup scans.
    std::unordered_map<std::int32_t, std::size_t> pidIndex;
};

// The lock around `state`; tests hold it while they change the script from a
// thread other than the program's.
std::recursive_mutex& lock();
State& state();
void reset();

// Advances the fake clock (and the cycle counter with it).
void advance(double seconds);

Process* find(std::int32_t pid);

// Holds taken and not yet released; pins taken and not yet unpinned.
int openHolds();
int openPins();

// Builds `pidIndex` from `processes`; call it again after changing the list.
// A lookup the index gets wrong (the list changed since) falls back to the scan.
void indexProcesses();

}  // namespace fakeos
