// What a log session shows of itself, and where its stop key comes from.
#pragma once

#include <string>

// The footer's states of a session, in the order in which they come.
enum class SessionFooter {
    DurationDefaulted,  // durationText was empty and now holds its default
    IntervalDefaulted,  // the same for intervalText
    Logging,            // the session logs from now on
    Idle,               // the session is over and logState is 2 again
};

// Like sampling (probe/sample_report.h), a session draws nothing: it reports
// its footer states, at once and on its own thread, and takes its keys from
// whoever wired itself in here (the window, wired by app/). Nobody wired, as
// in a headless session, means no report and never a key.
struct SessionReport {
    void (*footerChanged)(SessionFooter state) = nullptr;
    // The next key the user typed, or "" when there is none.
    std::string (*takeKey)() = nullptr;
};

extern SessionReport sessionReport;
