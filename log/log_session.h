// One log session: samples the marked rows at an interval for a duration and
// writes them to the log file.
#pragma once

#include <string>

// How a session's log fared. `written` is false when the file could not be
// created or a write to it failed; `failure` is then the system's reason.
struct LogOutcome {
    bool written = true;
    std::string fileName;
    std::string failure;
};

// Which rows a pass samples. A session started from the window samples
// every row, so that the list stays live while it runs; a headless one only
// the rows it writes. The log is the same either way.
enum class SessionRows { Every, Marked };

// A log that cannot be written does not end the session early: it runs its
// whole course either way. The session draws nothing; it reports its footer
// states and takes its stop key through session_report.h. From the window,
// it is started through session_handover.h. Without `rows`, a headless
// session (markSpec not empty) samples the marked rows only.
LogOutcome runLogSession();
LogOutcome runLogSession(SessionRows rows);
