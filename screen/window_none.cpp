// The "no window" realisation: the window can never be opened, so every
// drawing call does nothing and every query reports nothing.
#include "screen/window_backend.h"

namespace backend {
bool open(int, int) { return false; }
void setTitle(std::string_view) {}
void getPosition(int& x, int& y) { x = y = 0; }
void setPosition(int, int) {}
void picturePending() {}
}  // namespace backend
