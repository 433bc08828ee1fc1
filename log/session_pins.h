// The processes a log session writes: the rows marked when it starts, each
// with its process pinned for the session's length, so that a PID given to
// another process meanwhile never lends that process's figures to the log.
#pragma once

#include <cstdint>
#include <vector>

#include "os/os.h"

struct PinnedRow {
    std::int32_t row = 0;
    os::PinnedProcess process;
};

// Pins are released on every way out of the session, with the object.
class SessionPins {
  public:
    // Every row from 1 to `count` (and within the table) that is marked now,
    // in table order.
    explicit SessionPins(std::int32_t count);
    ~SessionPins();
    SessionPins(const SessionPins&) = delete;
    SessionPins& operator=(const SessionPins&) = delete;

    std::vector<PinnedRow>& rows() { return rows_; }
    // The pinned row `row`, or null when that row is not written.
    PinnedRow* find(std::int32_t row);

  private:
    std::vector<PinnedRow> rows_;
};
