#include "screen/window_x11_keys.h"

#include <X11/keysym.h>

#include "screen/window_codepage.h"

namespace x11keys {
namespace {

struct NamedKey {
    unsigned long keysym;
    unsigned char scan;
    bool noCharacter;  // queued as 0xFF + scan code
};

constexpr NamedKey NAMED_KEYS[] = {
    {XK_Escape, 0x01, false},
    {XK_BackSpace, 0x0E, false},
    {XK_Tab, 0x0F, false},
    {XK_ISO_Left_Tab, 0x0F, false},
    {XK_Return, 0x1C, false},
    {XK_KP_Enter, 0x1C, false},
    {XK_space, 0x39, false},

    {XK_Control_L, 0x1D, false},
    {XK_Control_R, 0x1D, false},
    {XK_Shift_L, 0x2A, false},
    {XK_Shift_R, 0x36, false},
    {XK_Alt_L, 0x38, false},
    {XK_Alt_R, 0x38, false},
    {XK_Meta_L, 0x38, false},
    {XK_Meta_R, 0x38, false},
    {XK_ISO_Level3_Shift, 0x38, false},
    {XK_Mode_switch, 0x38, false},
    {XK_Super_L, 0x5B, false},
    {XK_Super_R, 0x5C, false},
    {XK_Caps_Lock, 0x3A, false},
    {XK_Num_Lock, 0x45, false},
    {XK_Scroll_Lock, 0x46, false},
    {XK_Print, 0x37, false},
    {XK_KP_Multiply, 0x37, false},
    {XK_KP_Divide, 0x35, false},
    {XK_KP_Subtract, 0x4A, false},
    {XK_KP_Add, 0x4E, false},

    {XK_F1, 0x3B, true},
    {XK_F2, 0x3C, true},
    {XK_F3, 0x3D, true},
    {XK_F4, 0x3E, true},
    {XK_F5, 0x3F, true},
    {XK_F6, 0x40, true},
    {XK_F7, 0x41, true},
    {XK_F8, 0x42, true},
    {XK_F9, 0x43, true},
    {XK_F10, 0x44, true},
    {XK_F11, 0x57, true},
    {XK_F12, 0x58, true},

    {XK_Home, 0x47, true},
    {XK_Up, 0x48, true},
    {XK_Prior, 0x49, true},
    {XK_Left, 0x4B, true},
    {XK_Right, 0x4D, true},
    {XK_End, 0x4F, true},
    {XK_Down, 0x50, true},
    {XK_Next, 0x51, true},
    {XK_Insert, 0x52, true},
    {XK_Delete, 0x53, true},
    {XK_Menu, 0x5D, true},

    // The keypad with Num Lock off: the same codes as the navigation block.
    {XK_KP_Home, 0x47, true},
    {XK_KP_Up, 0x48, true},
    {XK_KP_Prior, 0x49, true},
    {XK_KP_Left, 0x4B, true},
    {XK_KP_Begin, 0x4C, true},
    {XK_KP_Right, 0x4D, true},
    {XK_KP_End, 0x4F, true},
    {XK_KP_Down, 0x50, true},
    {XK_KP_Next, 0x51, true},
    {XK_KP_Insert, 0x52, true},
    {XK_KP_Delete, 0x53, true},
};

const NamedKey* findNamed(unsigned long keysym) {
    for (const NamedKey& key : NAMED_KEYS) {
        if (key.keysym == keysym) return &key;
    }
    return nullptr;
}

// The character of a keysym that XLookupString could not give as Latin-1:
// the Unicode keysyms and the euro sign. 0 for anything else.
char32_t unicodeForKeysym(unsigned long keysym) {
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF)) return static_cast<char32_t>(keysym);
    if (keysym >= 0x01000080 && keysym <= 0x0110FFFF) return static_cast<char32_t>(keysym - 0x01000000);
    if (keysym == XK_EuroSign) return 0x20AC;
    return 0;
}

}  // namespace

int scanCodeForKeysym(unsigned long keysym) {
    const NamedKey* key = findNamed(keysym);
    return key ? key->scan : 0;
}

int scanCodeForKey(int keycode, unsigned long firstLevelKeysym) {
    if (const int named = scanCodeForKeysym(firstLevelKeysym)) return named;
    // Key codes 9..96 are scan codes 0x01..0x58, from Escape to F12.
    if (keycode >= 9 && keycode <= 96) return keycode - 8;
    return 0;
}

std::string keyCodeForPress(unsigned long keysym, const char* lookup, int lookupLength) {
    switch (keysym) {
        case XK_Return:
        case XK_KP_Enter: return "\r";
        case XK_Escape: return "\x1B";
        case XK_BackSpace: return "\b";
        default: break;
    }
    if (const NamedKey* key = findNamed(keysym); key && key->noCharacter) {
        return std::string{'\xFF', static_cast<char>(key->scan)};
    }
    if (lookupLength == 1 && lookup != nullptr) {
        // Latin-1 is Unicode's first 256 characters; control characters
        // (Tab, Ctrl+letter) pass as they are.
        return std::string(1, static_cast<char>(codepage::cp437FromUnicode(static_cast<unsigned char>(lookup[0]))));
    }
    if (const char32_t c = unicodeForKeysym(keysym)) {
        return std::string(1, static_cast<char>(codepage::cp437FromUnicode(c)));
    }
    return std::string();
}

}  // namespace x11keys
