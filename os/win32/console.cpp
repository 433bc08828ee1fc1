// Key events in the console input of the calling process.
#include <windows.h>

#include "os/console_key_count.h"
#include "os/os.h"

namespace os {

namespace {

// Reads every event waiting in the console input (never more, so the read
// cannot block) and counts the key-down events among them.
std::uint32_t readWaitingKeys() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE) return 0;
    DWORD waiting = 0;
    // Fails when standard input is no console (a pipe, a file, none at all).
    if (!GetNumberOfConsoleInputEvents(input, &waiting)) return 0;
    std::uint32_t keys = 0;
    INPUT_RECORD records[64];
    while (waiting > 0) {
        const DWORD want = waiting < 64 ? waiting : 64;
        DWORD got = 0;
        if (!ReadConsoleInputA(input, records, want, &got) || got == 0) break;
        for (DWORD i = 0; i < got; ++i) {
            if (records[i].EventType == KEY_EVENT && records[i].Event.KeyEvent.bKeyDown) ++keys;
        }
        waiting -= got < waiting ? got : waiting;
    }
    return keys;
}

}  // namespace

bool consoleKeyEvent() {
    static ConsoleKeyCount keys;
    return keys.takeOne(readWaitingKeys);
}

}  // namespace os
