#include "log/session_handover.h"

#include "log/log_session.h"
#include "state/monitor_state.h"

std::mutex entryTextLock;
std::mutex cycleGate;

void noSessionRuns() { monitorState.logState = LOG_IDLE; }

void runLogSessionBesideLoop() {
    monitorState.logState = LOG_RUNNING;
    std::lock_guard<std::mutex> gate(cycleGate);
    runLogSession();
}
