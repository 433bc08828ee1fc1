#include "log/session_pins.h"

#include <algorithm>

#include "state/monitor_state.h"

SessionPins::SessionPins(std::int32_t count) {
    for (std::int32_t i = 1; i <= count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (at >= processTable.size()) break;
        if (!rowIsMarked(i)) continue;
        // A row's start is 0 until a sample has read it (a headless session
        // starts right after the listing): the listing's time then decides.
        const ProcessEntry& entry = processTable[at];
        rows_.push_back({i, os::pinProcess(entry.pid, entry.started, processTableTakenAt)});
    }
}

SessionPins::~SessionPins() {
    for (PinnedRow& pinned : rows_) os::unpinProcess(pinned.process);
}

PinnedRow* SessionPins::find(std::int32_t row) {
    const auto at = std::lower_bound(rows_.begin(), rows_.end(), row,
                                     [](const PinnedRow& pinned, std::int32_t wanted) { return pinned.row < wanted; });
    return at != rows_.end() && at->row == row ? &*at : nullptr;
}
