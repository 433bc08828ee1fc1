// The two entry fields of the footer and their small modal editor.
#pragma once

#include <string>

#include "input/pointer.h"
#include "screen/layout.h"
#include "state/monitor_state.h"

// What Enter or Escape puts into a field before editing ends.
enum class FieldCheck {
    EmptyBecomesFive,           // duration in seconds
    BelowTwoHundredBecomes200,  // interval in milliseconds
};

// The fixed description of one field: its text, its place in the footer and
// its check. The footer hangs from the bottom of the drawing area, so the
// place depends on its height (screenHeight).
struct EntryField {
    std::string MonitorState::*text;
    layout::EntryFieldPlace layout::Footer::*place;
    FieldCheck check;

    layout::EntryFieldPlace at(int height) const { return layout::footer(height).*place; }
};

extern const EntryField durationField;
extern const EntryField intervalField;

// How editing ended: by Enter/Escape (after the check), or by a left press
// anywhere, which is handed back with the pointer state read here so that
// the input thread dispatches it at once, as a press of its current turn.
struct EditResult {
    bool clickHandedBack = false;
    PointerState pointer;
};

// Edits `field` until Enter, Escape or a left press. Runs on the input
// thread without stateLock; draws the focus frame, takes digits (at most 8),
// Backspace, and redraws the text after every key.
EditResult editEntryField(const EntryField& field);

// The decimal value of a field text ("00150" is 150); stops at the first
// non-digit; saturates far above any limit that matters.
long long fieldValue(const std::string& text);
