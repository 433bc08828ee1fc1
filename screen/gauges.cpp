// The gauge texts in the bottom bar: CPU load and clock, total memory and
// memory load, each erased by a run of full blocks in the bar's colour.
#include "screen/gauges.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

#include "figures/clock_text.h"
#include "screen/layout.h"
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

layout::GaugeBar bar() { return layout::gaugeBar(monitorState.screenHeight); }

}  // namespace

void drawCpuGauge(std::int32_t load, float clockGHz) {
    const layout::GaugeBar g = bar();
    const int y = g.baseline;
    lockScreen();
    drawText(g.cpuLoadX, y, blocks45, colourAccent);
    TextBuffer loadText;
    (loadText << "CPU-Auslastung: ").number(load) << "%";
    drawText(g.cpuLoadX, y, loadText.view(), colourWhite);
    TextBuffer clock;
    clock << "CPU-Takt: " << clockText(clockGHz) << " GHz";
    drawText(g.cpuClockX, y, clock.view(), colourWhite);
    unlockScreen();
}

void drawMemoryGauge(std::uint32_t memoryLoad, std::int32_t totalMB) {
    const layout::GaugeBar g = bar();
    const int y = g.baseline;
    drawText(g.memoryLoadX, y, blocks45.substr(0, 24), colourAccent);
    TextBuffer loadText;
    (loadText << "Speicherauslastung: ").number(memoryLoad) << "%";
    drawText(g.memoryLoadX, y, loadText.view(), colourWhite);
    TextBuffer total;
    (total << "Gesamtspeicher: ").number(totalMB) << " MB";
    drawText(g.totalMemoryX, y, total.view(), colourWhite);
}
