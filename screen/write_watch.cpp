// The registry of watched rectangles and their write counts.
#include "screen/write_watch.h"

#include <atomic>
#include <mutex>

namespace writewatch {
namespace {

struct Watched {
    std::int64_t left = 0, top = 0, right = -1, bottom = -1;
    std::atomic<std::uint64_t> writes{0};
};

Watched watched[MAX_WATCHED];
// Slots below this count are set up and never change again.
std::atomic<int> watchedCount{0};
std::mutex registerMutex;

thread_local int drawingFor = -1;

}  // namespace

int watch(int left, int top, int right, int bottom) {
    std::lock_guard<std::mutex> guard(registerMutex);
    const int id = watchedCount.load();
    if (id >= MAX_WATCHED) return -1;
    Watched& w = watched[id];
    w.left = left < right ? left : right;
    w.right = left < right ? right : left;
    w.top = top < bottom ? top : bottom;
    w.bottom = top < bottom ? bottom : top;
    w.writes = 0;
    watchedCount.store(id + 1);
    return id;
}

std::uint64_t writes(int id) {
    if (id < 0 || id >= watchedCount.load()) return 0;
    return watched[id].writes.load();
}

DrawingFor::DrawingFor(int id) : previous_(drawingFor) { drawingFor = id; }
DrawingFor::~DrawingFor() { drawingFor = previous_; }

void noteWrite(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
    const int count = watchedCount.load();
    const int own = drawingFor;
    for (int id = 0; id < count; ++id) {
        Watched& w = watched[id];
        if (right < w.left || left > w.right || bottom < w.top || top > w.bottom) continue;
        if (id != own) w.writes.fetch_add(1);
    }
}

void noteWholePicture() {
    const int count = watchedCount.load();
    for (int id = 0; id < count; ++id) watched[id].writes.fetch_add(1);
}

}  // namespace writewatch
