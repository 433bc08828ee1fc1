#include "input/pointer.h"

#include "screen/surface.h"

PointerState readPointer() {
    PointerState p;
    p.ok = getMouse(p.x, p.y, p.wheel, p.buttons);
    return p;
}
