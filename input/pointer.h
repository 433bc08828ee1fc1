// One reading of the pointer, as the input thread and the field editor see it.
#pragma once

struct PointerState {
    bool ok = false;  // false when the pointer is outside or the window inactive
    int x = -1;
    int y = -1;
    int wheel = -1;
    int buttons = -1;  // 1 left, 2 right, 4 middle, added when several are held
};

PointerState readPointer();

constexpr bool leftAlone(const PointerState& p) { return p.ok && p.buttons == 1; }
constexpr bool rightAlone(const PointerState& p) { return p.ok && p.buttons == 2; }
