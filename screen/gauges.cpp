// The gauge texts in the bottom bar: CPU load and clock, total memory and
// memory load, each erased by a run of full blocks in the bar's colour.
#include "screen/gauges.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

#include "figures/clock_text.h"
#include "screen/surface.h"
#include "state/monitor_state.h"

namespace {

// Appends to a fixed buffer; the gauge texts are short, so nothing is
// allocated per redraw.
struct TextBuffer {
    char data[64];
    std::size_t length = 0;

    TextBuffer& operator<<(std::string_view part) {
        const std::size_t n = std::min(part.size(), sizeof data - length);
        std::memcpy(data + length, part.data(), n);
        length += n;
        return *this;
    }
    template <typename Integer>
    TextBuffer& number(Integer value) {
        const auto result = std::to_chars(data + length, data + sizeof data, value);
        if (result.ec == std::errc()) length = static_cast<std::size_t>(result.ptr - data);
        return *this;
    }
    std::string_view view() const { return std::string_view(data, length); }
};

const std::string_view blocks45(
    "\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB"
    "\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB",
    45);

int baseline() { return monitorState.screenHeight - 12; }

}  // namespace

void drawCpuGauge(std::int32_t load, float clockGHz) {
    const int y = baseline();
    lockScreen();
    drawText(8, y, blocks45, colourAccent);
    TextBuffer loadText;
    (loadText << "CPU-Auslastung: ").number(load) << "%";
    drawText(8, y, loadText.view(), colourWhite);
    TextBuffer clock;
    clock << "CPU-Takt: " << clockText(clockGHz) << " GHz";
    drawText(190, y, clock.view(), colourWhite);
    unlockScreen();
}

void drawMemoryGauge(std::uint32_t memoryLoad, std::int32_t totalMB) {
    const int y = baseline();
    drawText(607, y, blocks45.substr(0, 24), colourAccent);
    TextBuffer loadText;
    (loadText << "Speicherauslastung: ").number(memoryLoad) << "%";
    drawText(607, y, loadText.view(), colourWhite);
    TextBuffer total;
    (total << "Gesamtspeicher: ").number(totalMB) << " MB";
    drawText(380, y, total.view(), colourWhite);
}
