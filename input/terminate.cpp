#include "input/terminate.h"

#include <string>

#include "input/regions.h"
#include "input/state_lock_guard.h"
#include "os/os.h"
#include "screen/surface.h"
#include "state/monitor_state.h"

namespace {

constexpr unsigned BOX_YES_NO_QUESTION = 0x24;
constexpr unsigned BOX_ERROR = 0x10;
constexpr int ANSWER_YES = 6;
constexpr int PAUSE_AFTER_YES_MS = 500;

// Released on every way out, the question's No included.
class HeldForAnswer {
  public:
    explicit HeldForAnswer(os::HeldProcess process) : process_(process) {}
    ~HeldForAnswer() { release(); }
    HeldForAnswer(const HeldForAnswer&) = delete;
    HeldForAnswer& operator=(const HeldForAnswer&) = delete;
    bool end() const { return os::endHeldProcess(process_); }
    void release() { os::releaseProcess(process_); }

  private:
    os::HeldProcess process_;
};

// The row's PID is up to a cycle old, and the question may stay open for
// minutes: meanwhile the process may end and its PID go to another one. So
// the process is held before asking, and only if it is still the one the
// row shows (its name, and the start its last sample read); "Ja" ends the
// held process. One that could not be held gets
// the same boxes as one the system refuses to end.
void askAndEnd(const ProcessEntry& entry) {
    HeldForAnswer process(os::holdProcess(entry.pid, entry.name, processTableTakenAt, entry.started));
    const std::string question = "Soll  \"" + entry.name + "\"" + "  wirklich beendet werden?";
    if (os::messageBox(question, "Prozess beenden", BOX_YES_NO_QUESTION) != ANSWER_YES) return;
    const bool ended = process.end();
    process.release();
    if (!ended) {
        os::messageBox("Zugriff vom System verweigert.", "Beenden des Prozesses nicht m\xF6glich", BOX_ERROR);
    }
    os::pauseMs(PAUSE_AFTER_YES_MS);
}

}  // namespace

void endProcessAtRow(int y) {
    StateLockGuard guard;
    const MonitorState& s = monitorState;
    int rows = s.lastRow - s.firstRow + 1;
    if (rows > VISIBLE_ROWS) rows = VISIBLE_ROWS;
    for (int r = 1; r <= rows; ++r) {
        if (y < rowBandTop(r) || y > rowBandBottom(r)) continue;
        // Only the oldest buffered key counts, and it is used up either way.
        if (readKey() != "q") continue;
        const int i = s.firstRow + r - 1;
        if (i < 1 || static_cast<std::size_t>(i) >= processTable.size()) continue;
        askAndEnd(processTable[static_cast<std::size_t>(i)]);
    }
}
