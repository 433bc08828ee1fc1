// Windows only: shows each box of the program as the program does (over its
// window, which belongs to the surface's thread, from another thread), then
// presses Return through the system's own keyboard input, which Windows
// hands to the thread of the foreground window. The box must be in the
// foreground and take the key: Return answers it with its default button.
// Prints one line per box and "N passed, N failed".
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "os/os.h"
#include "screen/surface.h"

namespace {

HWND waitForWindow(const char* title, int seconds) {
    for (int i = 0; i < seconds * 20; ++i) {
        HWND found = FindWindowA(nullptr, title);
        if (found && IsWindowVisible(found)) return found;
        Sleep(50);
    }
    return nullptr;
}

void pressReturn() {
    INPUT keys[2]{};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_RETURN;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

}  // namespace

int main() {
    if (!openWindow(SURFACE_WIDTH, SURFACE_HEIGHT)) {
        std::printf("SKIP: no window could be opened\n");
        return 77;
    }
    setWindowTitle("Corvane");
    fillBox(0, 0, SURFACE_WIDTH - 1, SURFACE_HEIGHT - 1, colourBackground);
    HWND main = waitForWindow("Corvane", 20);
    Sleep(500);

    struct Case {
        unsigned type;
        const char* caption;
        int answer;
    } cases[] = {
        {0x0, "Credits", 1}, {0x10, "Beenden des Prozesses nicht m\xF6glich", 1}, {0x24, "Prozess beenden", 6}};
    int passed = 0, failed = 0;
    for (const Case& c : cases) {
        std::atomic<int> answer{0};
        std::thread asking([&] { answer = os::messageBox("Text", c.caption, c.type); });
        HWND box = waitForWindow(c.caption, 20);
        Sleep(500);
        const bool foreground = box != nullptr && GetForegroundWindow() == box;
        pressReturn();
        for (int i = 0; i < 60 && answer == 0; ++i) Sleep(50);
        const int got = answer;
        // A box the key did not reach is closed, so that its thread ends.
        if (got == 0 && box) PostMessageA(box, WM_COMMAND, c.type == 0x24 ? IDNO : IDOK, 0);
        asking.join();
        const bool ok = box != nullptr && foreground && got == c.answer;
        std::printf("%s: box \"%s\": %s, %s the foreground, Return answered %d (expected %d)\n", ok ? "ok" : "FAILED",
                    c.caption, box ? "shown" : "not shown", foreground ? "in" : "not in", got, c.answer);
        (ok ? passed : failed) += 1;
        // The program's window has the keyboard again before the next box,
        // as when the user goes on working in it.
        SetForegroundWindow(main);
        Sleep(300);
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    std::fflush(stdout);
    os::exitProcess(failed == 0 ? 0 : 1);
}
