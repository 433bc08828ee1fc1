#include "log/log_session.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <string>

#include "figures/numeric_text.h"
#include "figures/rounding.h"
#include "log/log_writer.h"
#include "log/marked_pass.h"
#include "log/session_handover.h"
#include "log/session_pins.h"
#include "log/session_plan.h"
#include "log/session_report.h"
#include "os/os.h"
#include "probe/process_sample.h"
#include "probe/process_table.h"
#include "probe/system_load.h"
#include "state/monitor_state.h"

namespace {

std::string twoDigits(int value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

std::string fourDigits(int value) {
    std::string text = std::to_string(value);
    while (text.size() < 4) text.insert(0, 1, '0');
    return text;
}

constexpr double PAUSE_LIMIT_MS = 2147483647.0;

void report(SessionFooter state) {
    if (sessionReport.footerChanged) sessionReport.footerChanged(state);
}

std::string takeKey() { return sessionReport.takeKey ? sessionReport.takeKey() : std::string(); }

// The directories of a chosen log path are made only when its directory
// holds no plain file yet (a directory in use is taken to exist).
void prepareDirectories(const std::string& path) {
    const std::size_t separator = path.rfind(os::pathSeparator);
    if (separator == std::string::npos) return;
    if (!os::directoryHasPlainFile(path.substr(0, separator))) os::makeDirectoryPath(path);
}

// One sample of the machine and of every row. Given a writer, each pinned
// row is written right after its own row was sampled, from its own process.
void samplePass(SessionPins& pins, LogWriter* writer) {
    sampleCpuLoad();
    const std::int32_t count = monitorState.processCount;
    for (std::int32_t i = 1; i <= count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (at >= processTable.size()) break;
        PinnedRow* pinned = pins.find(i);
        if (!pinned) {
            sampleProcess(processTable[at].pid, i);
            continue;
        }
        showProcessSample(i, os::samplePinned(pinned->process));
        if (writer) writeSampleRecord(*writer, i);
    }
}

}  // namespace

LogOutcome runLogSession() {
    return runLogSession(monitorState.markSpec.empty() ? SessionRows::Every : SessionRows::Marked);
}

LogOutcome runLogSession(SessionRows rows) {
    MonitorState& s = monitorState;

    const os::LocalTime started = os::localTime();
    const std::string startTime = twoDigits(started.hour) + twoDigits(started.minute) + twoDigits(started.second);

    // The sampling loop may be reading durationText meanwhile.
    if (s.durationText.empty()) {
        {
            std::lock_guard<std::mutex> texts(entryTextLock);
            s.durationText = "4";
        }
        report(SessionFooter::DurationDefaulted);
    }
    if (s.intervalText.empty()) {
        {
            std::lock_guard<std::mutex> texts(entryTextLock);
            s.intervalText = "400";
        }
        report(SessionFooter::IntervalDefaulted);
    }

    report(SessionFooter::Logging);

    const os::LocalTime today = os::localTime();
    std::string fileName = "Log " + twoDigits(today.day) + "-" + twoDigits(today.month) + "-" + fourDigits(today.year) +
                           " " + startTime + ".txt";

    // Headless mode has no sampling loop that keeps these current.
    if (!s.markSpec.empty()) {
        sampleMemory();
        measureCpuClock();
    }

    // A path longer than the system takes is a log that cannot be written:
    // no platform call is handed it, neither to make its directories nor to
    // open it.
    const bool pathFits = s.logFileName.size() <= os::longestPath;
    if (!s.logFileName.empty()) {
        if (pathFits) prepareDirectories(s.logFileName);
        fileName = s.logFileName;
    }

    // A file that cannot be opened does not stop the session: it runs its
    // course and writes nothing, and the outcome says so.
    LogWriter writer;
    if (pathFits) {
        openLog(writer, fileName);
    } else {
        failLog(writer, ENAMETOOLONG);
    }
    writeLogHeader(writer);

    // The rows marked now are the ones written, each from the process it
    // shows now: a mark left behind by a process that moved to another row
    // marks nothing, and a process that ends is written with zeros to the
    // end, whoever gets its PID.
    SessionPins pins(s.processCount);
    const auto pass = [&](LogWriter* to) {
        if (rows == SessionRows::Marked) {
            sampleMarkedPass(pins, to);
        } else {
            samplePass(pins, to);
        }
    };

    // Priming pass: sets the previous times that the first pass measures from.
    pass(nullptr);

    const double durationSeconds = numericValue(s.durationText);
    const double intervalMs = usableIntervalMs(numericValue(s.intervalText));
    os::pauseMs(pauseLengthMs(intervalMs));
    const std::int32_t passCount = passCountFor(durationSeconds, intervalMs);

    // Passes start on a fixed schedule, one interval apart from the first:
    // each pause runs to the next pass's time, so neither the sampling work
    // nor a pause's overshoot adds up to drift. A pass that overruns its
    // successor's time starts the next one at once and the schedule goes on
    // from there rather than catching up in a burst. The first pass covers
    // the priming pause and is not written.
    std::int32_t passIndex = 0;
    double nextStartMs = os::secondsClock() * 1000.0;
    for (;;) {
        passIndex += 1;
        pass(passIndex >= 2 ? &writer : nullptr);
        flushLog(writer);
        nextStartMs += intervalMs;
        const double nowMs = os::secondsClock() * 1000.0;
        if (nowMs > nextStartMs) nextStartMs = nowMs;
        // No single pause is longer than the longest plain pause.
        os::pauseUntil(std::min(nextStartMs, nowMs + PAUSE_LIMIT_MS) / 1000.0);
        const std::string key = takeKey();
        if (passIndex >= passCount || key == STOP_KEY) break;
    }

    closeLog(writer);
    noSessionRuns();

    report(SessionFooter::Idle);

    LogOutcome outcome;
    outcome.fileName = fileName;
    if (writer.failed) {
        outcome.written = false;
        outcome.failure = logFailureText(writer);
    }
    return outcome;
}
