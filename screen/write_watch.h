// Write counting for rectangles of the picture, so that a drawer whose
// inputs have not changed can tell whether anybody has drawn over its
// pixels since it last drew them, and leave out a redraw that would give the
// same picture.
//
// Every drawing operation of the surface reports the (clipped) bounds it
// writes; each watched rectangle those bounds touch counts one write, unless
// the calling thread is drawing on that rectangle's behalf (DrawingFor).
// Bounds may be generous: a write counted in vain only costs a redraw.
#pragma once

#include <cstdint>

namespace writewatch {

constexpr int MAX_WATCHED = 48;

// Registers a rectangle (corners included) for good; returns its id, or -1
// when every slot is taken (the caller then never skips).
int watch(int left, int top, int right, int bottom);

// Writes counted against the rectangle so far; 0 for an unknown id. A drawer
// keeps the count it saw before its own drawing: while the count still
// reads the same, the rectangle holds exactly what that drawing left.
std::uint64_t writes(int id);

// While alive, the calling thread's drawing is done for rectangle `id` and
// does not count against it (it does against every other rectangle).
class DrawingFor {
  public:
    explicit DrawingFor(int id);
    ~DrawingFor();
    DrawingFor(const DrawingFor&) = delete;
    DrawingFor& operator=(const DrawingFor&) = delete;

  private:
    int previous_;
};

// For the surface core: one write inside these bounds (inclusive).
void noteWrite(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);
// For the surface core: the whole picture was replaced (open, reset).
void noteWholePicture();

}  // namespace writewatch
