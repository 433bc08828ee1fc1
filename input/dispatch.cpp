// What a left press does, by the region it lands in, and ending the program.
#include "input/actions.h"
#include "input/entry_field.h"
#include "input/regions.h"
#include "log/session_handover.h"
#include "os/os.h"
#include "state/monitor_state.h"

namespace {

// The session runs here, on the input thread (the window shows it through
// the reports wired at start-up); the sampling loop stands aside until it is
// over (log/session_handover.h).
void startLogSession() { runLogSessionBesideLoop(); }

}  // namespace

void endProgram() {
    monitorState.quitState = QUIT_REQUESTED;
    os::exitProcess(0);
}

void dispatchLeftClick(PointerState p) {
    for (;;) {
        const EntryField* field = nullptr;
        switch (leftClickRegion(p.x, p.y, monitorState.screenHeight)) {
            case ClickRegion::CloseBox: endProgram();
            case ClickRegion::MinimiseBox: os::minimiseWindowByTitle("Corvane"); return;
            case ClickRegion::StartButton: startLogSession(); return;
            case ClickRegion::MarkerColumn: toggleMarkerAt(p.y); return;
            case ClickRegion::DurationField: field = &durationField; break;
            case ClickRegion::IntervalField: field = &intervalField; break;
            case ClickRegion::ScrollColumn: pressScrollColumn(p.y); return;
            case ClickRegion::TitleBar: dragWindow(); return;
            case ClickRegion::None: return;
        }
        const EditResult result = editEntryField(*field);
        if (!result.clickHandedBack) return;
        p = result.pointer;
    }
}
