#include "state/monitor_state.h"

#include <memory>
#include <semaphore>

MonitorState monitorState;
std::vector<ProcessEntry> processTable;
std::uint64_t processTableTakenAt = 0;
std::vector<std::int32_t> markedPid;
std::vector<std::uint64_t> markedStart;
std::vector<std::int64_t> prevKernelTime;
std::vector<std::int64_t> prevUserTime;

namespace {
std::unique_ptr<std::binary_semaphore> stateLock;
}

void resizeRowArrays(std::int32_t count) {
    if (count < 0) count = 0;
    const std::size_t size = static_cast<std::size_t>(count) + 1;
    if (markedPid.size() < size) markedPid.resize(size, 0);
    if (markedStart.size() < size) markedStart.resize(size, 0);
    if (prevKernelTime.size() < size) prevKernelTime.resize(size, 0);
    if (prevUserTime.size() < size) prevUserTime.resize(size, 0);
}

bool rowIsMarked(std::int32_t row) {
    if (row < 1) return false;
    const auto at = static_cast<std::size_t>(row);
    if (at >= markedPid.size() || at >= processTable.size()) return false;
    const std::uint64_t start = at < markedStart.size() ? markedStart[at] : 0;
    return markedPid[at] != 0 && markedPid[at] == processTable[at].pid && start == processTable[at].started;
}

void markRow(std::int32_t row) {
    if (row < 1) return;
    const auto at = static_cast<std::size_t>(row);
    if (at >= markedPid.size() || at >= processTable.size()) return;
    markedPid[at] = processTable[at].pid;
    if (at < markedStart.size()) markedStart[at] = processTable[at].started;
}

void unmarkRow(std::int32_t row) {
    if (row < 1) return;
    const auto at = static_cast<std::size_t>(row);
    if (at < markedPid.size()) markedPid[at] = 0;
    if (at < markedStart.size()) markedStart[at] = 0;
}

void createStateLock() { stateLock = std::make_unique<std::binary_semaphore>(1); }
void destroyStateLock() { stateLock.reset(); }
void takeStateLock() {
    if (stateLock) stateLock->acquire();
}
void releaseStateLock() {
    if (stateLock) stateLock->release();
}

void resetMonitorState() {
    MonitorState& s = monitorState;
    s.systemTimeDelta = s.prevSystemIdleTime = s.prevSystemKernelTime = s.prevSystemUserTime = 0;
    s.screenHeight = s.processCount = s.totalMemoryMB = 0;
    s.logState = 0;
    s.quitState = 0;
    s.firstRow = s.lastRow = s.shownCount = s.thumbLength = s.thumbTop = 0;
    s.durationText.clear();
    s.intervalText.clear();
    s.markSpec.clear();
    s.durationArg.clear();
    s.intervalArg.clear();
    s.logFileName.clear();
    s.cpuClockGHz = 0.0f;
    markedPid.clear();
    markedStart.clear();
    prevKernelTime.clear();
    prevUserTime.clear();
    processTable.clear();
    processTableTakenAt = 0;
    destroyStateLock();
}
