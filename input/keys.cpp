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
    if (key ==
        "\xFF"
        "G") {
        scrollToTop();
    } else if (key ==
               "\xFF"
               "O") {
        scrollToEnd();
    } else if (key ==
               "\xFF"
               "I") {
        scrollUpOneRow();
    } else if (key ==
               "\xFF"
               "Q") {
        scrollDownOneRow();
    } else if (key == "\x1B") {
        endProgram();
    } else if (key ==
               "\xFF"
               ";") {
        showCredits();
    }
    if (isKeyDown(SCAN_ALT) && isKeyDown(SCAN_F4)) endProgram();
}
