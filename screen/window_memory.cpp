// In-memory realisation for tests: the window "opens" without a display, so
// the core draws into its framebuffer and tests read the pixels back and
// inject pointer, key and window events through the surface:: calls.
#include "screen/window_backend.h"

#include <atomic>

namespace {
std::atomic<int> windowX{0};
std::atomic<int> windowY{0};
}  // namespace

namespace backend {
bool open(int width, int height) {
    windowX = (1024 - width) / 2;
    windowY = (768 - height) / 2;
    return true;
}
void setTitle(std::string_view) {}
void getPosition(int& x, int& y) {
    x = windowX;
    y = windowY;
}
void setPosition(int x, int y) {
    windowX = x;
    windowY = y;
}
}  // namespace backend
