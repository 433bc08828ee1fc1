// From X11 key events to what the surface hands the program: PC set-1 scan
// codes for the held-key table, and the key codes readKey returns (a code
// page 437 byte, or 0xFF followed by the scan code for keys without a
// character). Pure functions of keysyms, so they are tested without a display.
#pragma once

#include <string>

namespace x11keys {

// The PC set-1 scan code of the key that carries `keysym` on its first level;
// 0 for keys this table does not know.
int scanCodeForKeysym(unsigned long keysym);

// The scan code of a physical key: by its first-level keysym when that names
// the key, otherwise by its key code, which X servers number as the scan code
// plus 8 for the main block of a PC keyboard.
int scanCodeForKey(int keycode, unsigned long firstLevelKeysym);

// The key code for one key press. `lookup` holds the bytes XLookupString made
// of it (Latin-1). Empty for keys that yield nothing (modifiers, locks).
std::string keyCodeForPress(unsigned long keysym, const char* lookup, int lookupLength);

}  // namespace x11keys
