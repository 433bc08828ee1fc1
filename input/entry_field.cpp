#include "input/entry_field.h"

#include <mutex>

#include "log/session_handover.h"
#include "os/os.h"
#include "screen/surface.h"

const EntryField durationField{&MonitorState::durationText, &layout::Footer::durationField,
                               FieldCheck::EmptyBecomesFive};
const EntryField intervalField{&MonitorState::intervalText, &layout::Footer::intervalField,
                               FieldCheck::BelowTwoHundredBecomes200};

namespace {

constexpr std::size_t MAX_DIGITS = 8;
constexpr int EDIT_PAUSE_MS = 80;

void drawFrame(const EntryField& field, std::uint32_t colour) {
    drawBox(field.at(monitorState.screenHeight).box, colour);
}

// Blank-out run in the field's white, then the text in black.
void drawFieldText(const EntryField& field) {
    const layout::Point at = field.at(monitorState.screenHeight).text;
    const std::string blank(MAX_DIGITS, static_cast<char>(glyphFullBlock));
    drawText(at.x, at.y, blank, colourWhite);
    drawText(at.x, at.y, monitorState.*field.text, colourBlack);
}

// Enter/Escape: the field's own default for a value it cannot use.
void applyCheck(const EntryField& field) {
    std::string& text = monitorState.*field.text;
    bool changed = false;
    {
        std::lock_guard<std::mutex> texts(entryTextLock);
        if (field.check == FieldCheck::EmptyBecomesFive) {
            if (text.empty()) {
                text = "5";
                changed = true;
            }
        } else if (fieldValue(text) < 200) {
            text = "200";
            changed = true;
        }
    }
    if (changed) drawFieldText(field);
}

}  // namespace

long long fieldValue(const std::string& text) {
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        if (value < 1000000000000LL) value = value * 10 + (c - '0');
    }
    return value;
}

EditResult editEntryField(const EntryField& field) {
    std::string& text = monitorState.*field.text;
    drawFrame(field, colourFocus);
    for (;;) {
        const std::string key = readKey();
        if (!key.empty()) {
            if (key == "\r" || key == "\x1B") {
                applyCheck(field);
                drawFrame(field, colourBlack);
                return EditResult{};
            }
            {
                std::lock_guard<std::mutex> texts(entryTextLock);
                if (key == "\b") {
                    if (!text.empty()) text.pop_back();
                } else if (key.size() == 1 && key[0] >= '0' && key[0] <= '9') {
                    text += key;
                }
                if (text.size() > MAX_DIGITS) text.resize(MAX_DIGITS);
            }
            lockScreen();
            drawFieldText(field);
            unlockScreen();
        }
        os::pauseMs(EDIT_PAUSE_MS);
        const PointerState pointer = readPointer();
        if (leftAlone(pointer)) {
            drawFrame(field, colourBlack);
            return EditResult{true, pointer};
        }
    }
}
