// The monitor program's shared state: one global record, the process table
// and the per-row arrays, stateLock between the sampling loop and the input
// thread, and the constants (the hand-over between the window and a log
// session is log/session_handover.h). Every folder of the monitor builds on
// it; it builds on nothing of the program.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

constexpr std::int32_t SAMPLE_PERIOD_MS = 800;
constexpr std::int32_t VISIBLE_ROWS = 30;

// logState
constexpr std::int32_t LOG_INITIAL = 0;
constexpr std::int32_t LOG_RUNNING = 1;
constexpr std::int32_t LOG_IDLE = 2;
// quitState
constexpr std::int32_t QUIT_RUNNING = 0;
constexpr std::int32_t QUIT_LOOP_ENDED = 1;
constexpr std::int32_t QUIT_REQUESTED = 2;

struct MonitorState {
    std::int64_t systemTimeDelta = 0;
    std::int64_t prevSystemIdleTime = 0;
    std::int64_t prevSystemKernelTime = 0;
    std::int64_t prevSystemUserTime = 0;
    std::int32_t screenHeight = 0;
    std::int32_t processCount = 0;
    std::atomic<std::int32_t> logState{0};
    std::atomic<std::int32_t> quitState{0};
    std::int32_t totalMemoryMB = 0;
    std::int32_t firstRow = 0;
    std::int32_t lastRow = 0;
    std::int32_t shownCount = 0;
    std::int32_t thumbLength = 0;
    std::int32_t thumbTop = 0;
    std::string durationText;
    std::string intervalText;
    std::string markSpec;
    std::string durationArg;
    std::string intervalArg;
    std::string logFileName;
    float cpuClockGHz = 0.0f;
};

extern MonitorState monitorState;

struct ProcessEntry {
    std::string name;  // executable file name, Windows-1252
    std::int32_t pid = 0;
    std::int32_t cpuPercent = 0;
    std::int32_t ramKB = 0;
    std::uint64_t started = 0;  // the process's start as its last sample read it (0: none read)
};

// The table of running processes (probe/process_table.h rebuilds it).
// 1-based; index 0 exists and is never used. Rows above processCount may hold
// stale entries of an earlier cycle.
extern std::vector<ProcessEntry> processTable;

// When the table was taken, on the clock of process start times
// (os::processStartClock, read right after the snapshot): every process in
// the table had started by then.
extern std::uint64_t processTableTakenAt;

// Per-row arrays, indexed by table row 1..processCount (index 0 unused).
// A mark is the PID and the start of the process it was made on.
extern std::vector<std::int32_t> markedPid;
extern std::vector<std::uint64_t> markedStart;
extern std::vector<std::int64_t> prevKernelTime;
extern std::vector<std::int64_t> prevUserTime;

// Resizes the four arrays together to indices 0..count, keeping what they
// hold; new elements are 0. They never shrink.
void resizeRowArrays(std::int32_t count);

// Marks stay with their rows while the table is rebuilt, so a mark may name
// a process that has since moved to another row. A row counts as marked only
// while its mark is the process it shows, PID and start: that is when the
// list draws its cross, when a press unmarks it and when a session starts
// logging it. A process that got the PID of a marked one is not marked.
bool rowIsMarked(std::int32_t row);

// Marks row `row` with the process it shows (or unmarks it), when the row
// arrays have it.
void markRow(std::int32_t row);
void unmarkRow(std::int32_t row);

// stateLock: one holder at a time, never taken twice by the same thread.
void createStateLock();
void destroyStateLock();
void takeStateLock();
void releaseStateLock();

// Puts the record, the arrays and the table back to their start values
// (tests and fuzzers run many "program starts" in one process).
void resetMonitorState();
