// In-memory realisation for tests: the window "opens" without a display, so
// the core draws into its framebuffer and tests read the pixels back and
// inject pointer, key and window events through the surface:: calls.
#include "screen/window_memory.h"

#include <atomic>
#include <mutex>

#include "screen/window_backend.h"

namespace {
std::atomic<int> windowX{0};
std::atomic<int> windowY{0};
std::atomic<bool> openFails{false};
std::mutex titleMutex;
std::string lastTitle;
int titlesSet = 0;
}  // namespace

namespace backend {
bool open(int width, int height) {
    if (openFails) return false;
    windowX = (1024 - width) / 2;
    windowY = (768 - height) / 2;
    return true;
}
void setTitle(std::string_view title) {
    std::lock_guard<std::mutex> guard(titleMutex);
    lastTitle.assign(title);
    ++titlesSet;
}
void getPosition(int& x, int& y) {
    x = windowX;
    y = windowY;
}
void setPosition(int x, int y) {
    windowX = x;
    windowY = y;
}
void picturePending() {}  // tests copy the picture themselves
}  // namespace backend

namespace memorywindow {
void setOpenFails(bool fails) { openFails = fails; }
std::string title() {
    std::lock_guard<std::mutex> guard(titleMutex);
    return lastTitle;
}
int titleCount() {
    std::lock_guard<std::mutex> guard(titleMutex);
    return titlesSet;
}
void resetControls() {
    openFails = false;
    std::lock_guard<std::mutex> guard(titleMutex);
    lastTitle.clear();
    titlesSet = 0;
}
}  // namespace memorywindow
