// Placeholder until the console watch lands.
#include "os/os.h"

namespace os {
bool consoleKeyEvent() { return false; }
}  // namespace os
