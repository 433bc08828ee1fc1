// The key table of the input thread: list navigation, Escape, F1, Alt+F4.
// Every key taken from the queue is used up, whether it means something or not.
#include <string>

#include "input/actions.h"
#include "os/os.h"
#include "screen/surface.h"

namespace {

constexpr int SCAN_ALT = 0x38;
constexpr int SCAN_F4 = 0x3E;

void showCredits() { os::messageBox("Corvane v1.0.1\r\n\r\n    by Terbalix   ", "Credits", 0); }

}  // namespace

void keyStep() {
    const std::string key = readKey();
    // A key without a character is "\xFF" and its scan code, two literals
    // since "\xFFG" would read as one hexadecimal escape.
    // clang-format off
    if (key == "\xFF" "G") {         // Home
        scrollToTop();
    } else if (key == "\xFF" "O") {  // End
        scrollToEnd();
    } else if (key == "\xFF" "I") {  // Page Up
        scrollUpOneRow();
    } else if (key == "\xFF" "Q") {  // Page Down
        scrollDownOneRow();
    } else if (key == "\x1B") {      // Escape
        endProgram();
    } else if (key == "\xFF" ";") {  // F1
        showCredits();
    }
    // clang-format on
    if (isKeyDown(SCAN_ALT) && isKeyDown(SCAN_F4)) endProgram();
}
