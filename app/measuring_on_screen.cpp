#include "app/measuring_on_screen.h"

#include "log/session_report.h"
#include "probe/sample_report.h"
#include "screen/gauges.h"
#include "screen/list_view.h"
#include "screen/session_look.h"
#include "screen/surface.h"

namespace {

// A row reaches the window by itself, or with the caller's batch when one
// is open (the sampling loop's per-process pass).
void drawSampledRow(std::int32_t row) {
    lockScreen();
    drawProcessRow(row);
    unlockScreen();
}

void drawSessionFooter(SessionFooter state) {
    switch (state) {
        case SessionFooter::DurationDefaulted: drawDurationText(); return;
        case SessionFooter::IntervalDefaulted: drawIntervalText(); return;
        case SessionFooter::Logging: drawLoggingLook(); return;
        case SessionFooter::Idle: drawIdleLook(); return;
    }
}

}  // namespace

void showMeasuringOnScreen() {
    sampleReport.rowSampled = drawSampledRow;
    sampleReport.cpuLoadSampled = drawCpuGauge;
    sampleReport.memorySampled = drawMemoryGauge;
    sessionReport.footerChanged = drawSessionFooter;
    sessionReport.takeKey = readKey;
}
