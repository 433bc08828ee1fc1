// The process list: one row per visible table entry (marker box, name, PID,
// CPU share, working set) and the scroll controls, whose thumb position is
// published in monitorState for the input thread's hit-testing.
#include "screen/list_view.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <string_view>

#include "app/monitor_state.h"
#include "probe/process_table.h"
#include "screen/surface.h"

namespace {

// Windows-1252 letters that sit elsewhere in code page 437.
unsigned char screenByte(unsigned char b) {
    switch (b) {
        case 0xC4: return 0x8E;  // Ä
        case 0xD6: return 0x99;  // Ö
        case 0xDC: return 0x9A;  // Ü
        case 0xE4: return 0x84;  // ä
        case 0xF6: return 0x94;  // ö
        case 0xFC: return 0x81;  // ü
        case 0xDF: return 0xE1;  // ß
        default: return b;
    }
}

bool needsConversion(std::string_view name) {
    for (const char c : name)
        if (screenByte(static_cast<unsigned char>(c)) != static_cast<unsigned char>(c)) return true;
    return false;
}

const std::string_view rowEraser(
    "\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB"
    "\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB"
    "\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB",
    87);

// A number, right-aligned so that its last digit ends just before `end`,
// followed by a unit that does not count for the alignment.
void drawNumber(int end, int y, std::int32_t value, std::string_view unit) {
    char text[16];
    const auto result = std::to_chars(text, text + 11, value);
    const std::size_t digits = static_cast<std::size_t>(result.ptr - text);
    std::memcpy(text + digits, unit.data(), unit.size());
    drawText(end - 8 * static_cast<int>(digits), y, std::string_view(text, digits + unit.size()), colourBlack);
}

// Nearest integer, ties to even (the default rounding mode), kept inside the
// 32-bit range so that a wild firstRow cannot overflow the conversion.
std::int32_t nearestInt32(double v) {
    const double r = std::nearbyint(v);
    if (!(r >= -2147483648.0)) return INT32_MIN;
    if (r > 2147483647.0) return INT32_MAX;
    return static_cast<std::int32_t>(r);
}

void drawScrollButton(int top, int bottom, bool enabled, int tipY, int baseY) {
    const std::uint32_t fill = enabled ? colourAccent : colourBackground;
    const std::uint32_t ink = enabled ? colourWhite : colourBlack;
    fillBox(778, top, 792, bottom, fill);
    drawBox(778, top, 792, bottom, ink);
    drawLine(779, baseY, 785, tipY, ink);
    drawLine(785, tipY, 791, baseY, ink);
}

void drawScrollControls() {
    MonitorState& s = monitorState;
    drawScrollButton(37, 51, s.firstRow > 1, 39, 49);
    drawScrollButton(501, 515, s.lastRow < s.processCount, 513, 503);

    if (s.processCount <= VISIBLE_ROWS) {
        fillBox(778, 52, 792, 500, colourBackground);
        return;
    }
    fillBox(778, 52, 792, 500, colourWhite);
    const double count = s.processCount;
    s.thumbLength = nearestInt32(30.0 / count * 450.0);
    s.thumbTop = nearestInt32((450.0 - s.thumbLength) / (count - 30.0) * (static_cast<double>(s.firstRow) - 1.0) + 52.0);
    if (s.thumbTop > 500 - s.thumbLength) s.thumbTop = 500 - s.thumbLength;
    const int top = s.thumbTop, bottom = s.thumbTop + s.thumbLength;
    fillBox(778, top, 792, bottom, colourAccent);
    setPixel(778, top, colourWhite);
    setPixel(792, top, colourWhite);
    setPixel(778, bottom, colourWhite);
    setPixel(792, bottom, colourWhite);
    const double grip = top + s.thumbLength / 2.0;
    drawLine(781, grip, 789, grip, colourBackground);
    drawLine(781, grip - 3, 789, grip - 3, colourBackground);
    drawLine(781, grip + 3, 789, grip + 3, colourBackground);
}

}  // namespace

std::string toScreenText(const std::string& name) {
    if (!needsConversion(name)) return name;
    std::string text;
    text.reserve(name.size());
    for (const char c : name) text.push_back(static_cast<char>(screenByte(static_cast<unsigned char>(c))));
    return text;
}

void drawProcessRow(std::int32_t i) {
    const MonitorState& s = monitorState;
    const bool inTable = i >= 1 && i <= s.processCount && static_cast<std::size_t>(i) < processTable.size();
    if (inTable && s.firstRow <= i && i <= s.lastRow) {
        const ProcessEntry& entry = processTable[static_cast<std::size_t>(i)];
        const int t = (i - s.firstRow) * 16 + 41;
        drawText(80, t, rowEraser, colourBackground);
        // Only a name with one of the converted letters costs a new string.
        if (needsConversion(entry.name))
            drawText(80, t, toScreenText(entry.name), colourBlack);
        else
            drawText(80, t, entry.name, colourBlack);
        drawNumber(382, t, entry.pid, "");
        drawNumber(480, t, entry.cpuPercent, "%");
        drawNumber(576, t, entry.ramKB, "KB");
        if (entry.ramKB == 0) drawText(628, t, "Prozess gesch\x81tzt", colourBlack);

        const std::int32_t mark = static_cast<std::size_t>(i) < markedPid.size() ? markedPid[static_cast<std::size_t>(i)] : 0;
        if (mark != 0 && mark == entry.pid) {
            drawLine(20, t - 4, 34, t + 9, colourBlack);
            drawLine(34, t - 4, 20, t + 9, colourBlack);
        } else {
            fillBox(20, t - 4, 34, t + 9, colourWhite);
            drawBox(20, t - 4, 34, t + 9, colourBlack);
        }
    }
    drawScrollControls();
}

void redrawList() {
    lockScreen();
    for (std::int32_t i = 1; i <= monitorState.processCount; ++i) drawProcessRow(i);
    unlockScreen();
}
