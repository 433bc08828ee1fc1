#include "screen/session_look.h"

#include <string>

#include "screen/layout.h"
#include "screen/surface.h"
#include "state/monitor_state.h"

namespace {

const std::string buttonErase(6, static_cast<char>(glyphFullBlock));

layout::Footer footer() { return layout::footer(monitorState.screenHeight); }

void drawLabel(const char* label) {
    const layout::Point at = footer().startLabel;
    drawText(at.x, at.y, buttonErase, colourAccent);
    drawText(at.x, at.y, label, colourWhite);
}

}  // namespace

void drawDurationText() {
    const layout::Point at = footer().durationField.text;
    drawText(at.x, at.y, monitorState.durationText, colourBlack);
}

void drawIntervalText() {
    const layout::Point at = footer().intervalField.text;
    drawText(at.x, at.y, monitorState.intervalText, colourBlack);
}

void drawLoggingLook() {
    drawBox(layout::border(monitorState.screenHeight), colourLogging);
    drawLabel("LOGGE!");
}

void drawIdleLook() {
    drawLabel("START!");
    drawBox(layout::border(monitorState.screenHeight), colourWhite);
}
