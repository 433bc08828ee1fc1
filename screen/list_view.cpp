// The process list: one row per visible table entry (marker box, name, PID,
// CPU share, working set) and the scroll controls, whose thumb position is
// published in monitorState for the input thread's hit-testing.
#include "screen/list_view.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string_view>

#include "screen/surface.h"
#include "screen/write_watch.h"
#include "state/monitor_state.h"

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

// --- leaving out redraws that would not change a pixel -------------------------
//
// Every cycle draws every row and, after each, the scroll controls; almost
// always with the same figures as the time before. Each drawing step paints
// fixed pixels in a fixed colour, so repeating a draw with the same inputs
// over what it left changes nothing. A draw is left out when its inputs equal
// those of the last draw in the same place and nobody has drawn into that
// place since (the write watch says so); otherwise it is done in full.

// The longest name whose glyphs end inside the row eraser (x 775): a longer
// one runs on over the scroll controls and the border, so its row is always
// drawn.
constexpr std::size_t KEPT_NAME = 87;

struct RowPicture {
    std::uint64_t writes = 0;  // the watch's count before this draw
    bool valid = false;
    unsigned char nameLength = 0;
    char name[KEPT_NAME];
    std::int32_t pid = 0, cpuPercent = 0, ramKB = 0;
    bool marked = false;

    bool shows(const ProcessEntry& entry, bool isMarked) const {
        return valid && nameLength == entry.name.size() && pid == entry.pid && cpuPercent == entry.cpuPercent &&
               ramKB == entry.ramKB && marked == isMarked && std::memcmp(name, entry.name.data(), nameLength) == 0;
    }
    void keep(const ProcessEntry& entry, bool isMarked, std::uint64_t before) {
        valid = entry.name.size() <= KEPT_NAME;
        if (!valid) return;
        nameLength = static_cast<unsigned char>(entry.name.size());
        std::memcpy(name, entry.name.data(), nameLength);
        pid = entry.pid;
        cpuPercent = entry.cpuPercent;
        ramKB = entry.ramKB;
        marked = isMarked;
        writes = before;
    }
};

struct ControlsPicture {
    std::uint64_t writes = 0;
    bool valid = false;
    bool upActive = false, downActive = false, track = false;
    std::int32_t thumbTop = 0, thumbLength = 0;

    bool operator==(const ControlsPicture& o) const {
        return upActive == o.upActive && downActive == o.downActive && track == o.track &&
               (!track || (thumbTop == o.thumbTop && thumbLength == o.thumbLength));
    }
};

struct ListPictures {
    std::mutex mutex;  // rows are drawn from both program threads
    int controlsWatch = -1;
    int rowWatch[VISIBLE_ROWS + 1] = {};  // by screen row 1..30
    ControlsPicture controls;
    RowPicture rows[VISIBLE_ROWS + 1];

    ListPictures() {
        controlsWatch = writewatch::watch(778, 37, 792, 515);
        // Screen row s: the marker box and the text line, x 20..775,
        // y 16s + 21 .. 16s + 34.
        for (int s = 1; s <= VISIBLE_ROWS; ++s) rowWatch[s] = writewatch::watch(20, 16 * s + 21, 775, 16 * s + 34);
    }
};

ListPictures& pictures() {
    static ListPictures p;
    return p;
}

// True when the place still holds the picture `before` was read for.
bool untouchedSince(int watchId, std::uint64_t before) {
    return watchId >= 0 && writewatch::writes(watchId) == before;
}

void drawScrollButton(int top, int bottom, bool enabled, int tipY, int baseY) {
    const std::uint32_t fill = enabled ? colourAccent : colourBackground;
    const std::uint32_t ink = enabled ? colourWhite : colourBlack;
    fillBox(778, top, 792, bottom, fill);
    drawBox(778, top, 792, bottom, ink);
    drawLine(779, baseY, 785, tipY, ink);
    drawLine(785, tipY, 791, baseY, ink);
}

void paintScrollControls(const ControlsPicture& c) {
    drawScrollButton(37, 51, c.upActive, 39, 49);
    drawScrollButton(501, 515, c.downActive, 513, 503);

    if (!c.track) {
        fillBox(778, 52, 792, 500, colourBackground);
        return;
    }
    fillBox(778, 52, 792, 500, colourWhite);
    const int top = c.thumbTop, bottom = c.thumbTop + c.thumbLength;
    fillBox(778, top, 792, bottom, colourAccent);
    setPixel(778, top, colourWhite);
    setPixel(792, top, colourWhite);
    setPixel(778, bottom, colourWhite);
    setPixel(792, bottom, colourWhite);
    const double grip = top + c.thumbLength / 2.0;
    drawLine(781, grip, 789, grip, colourBackground);
    drawLine(781, grip - 3, 789, grip - 3, colourBackground);
    drawLine(781, grip + 3, 789, grip + 3, colourBackground);
}

// Called with the pictures' mutex held. The thumb figures are published on
// every call, drawn or not.
void drawScrollControls(ListPictures& p) {
    MonitorState& s = monitorState;
    ControlsPicture c;
    c.upActive = s.firstRow > 1;
    c.downActive = s.lastRow < s.processCount;
    c.track = s.processCount > VISIBLE_ROWS;
    if (c.track) {
        const double count = s.processCount;
        s.thumbLength = nearestInt32(30.0 / count * 450.0);
        s.thumbTop = nearestInt32((450.0 - s.thumbLength) / (count - 30.0) * (static_cast<double>(s.firstRow) - 1.0) + 52.0);
        if (s.thumbTop > 500 - s.thumbLength) s.thumbTop = 500 - s.thumbLength;
        c.thumbTop = s.thumbTop;
        c.thumbLength = s.thumbLength;
    }
    if (p.controls.valid && p.controls == c && untouchedSince(p.controlsWatch, p.controls.writes)) return;

    c.writes = writewatch::writes(p.controlsWatch);
    c.valid = p.controlsWatch >= 0;
    {
        writewatch::DrawingFor own(p.controlsWatch);
        paintScrollControls(c);
    }
    p.controls = c;
}

// One row drawn in full at text line t. Called with the pictures'
// mutex held.
void paintRow(const ProcessEntry& entry, int t, bool marked) {
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

    if (marked) {
        drawLine(20, t - 4, 34, t + 9, colourBlack);
        drawLine(34, t - 4, 20, t + 9, colourBlack);
    } else {
        fillBox(20, t - 4, 34, t + 9, colourWhite);
        drawBox(20, t - 4, 34, t + 9, colourBlack);
    }
}

void drawRow(ListPictures& p, const ProcessEntry& entry, std::int32_t i, bool marked) {
    const MonitorState& s = monitorState;
    // Screen row 1..30 in every sane state; anything else is drawn plainly,
    // and a row far off the window (a wild firstRow) would be clipped away
    // entirely.
    const std::int64_t screenRow = static_cast<std::int64_t>(i) - s.firstRow + 1;
    const std::int64_t top = 16 * screenRow + 25;
    if (top < -SURFACE_HEIGHT || top > SURFACE_HEIGHT) return;
    const int t = static_cast<int>(top);
    if (screenRow < 1 || screenRow > VISIBLE_ROWS) {
        paintRow(entry, t, marked);
        return;
    }
    RowPicture& kept = p.rows[screenRow];
    const int watchId = p.rowWatch[screenRow];
    if (kept.shows(entry, marked) && untouchedSince(watchId, kept.writes)) return;

    const std::uint64_t before = writewatch::writes(watchId);
    {
        writewatch::DrawingFor own(watchId);
        paintRow(entry, t, marked);
    }
    kept.keep(entry, marked, before);
    if (watchId < 0) kept.valid = false;
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
    ListPictures& p = pictures();
    std::lock_guard<std::mutex> guard(p.mutex);
    const bool inTable = i >= 1 && i <= s.processCount && static_cast<std::size_t>(i) < processTable.size();
    if (inTable && s.firstRow <= i && i <= s.lastRow) {
        const ProcessEntry& entry = processTable[static_cast<std::size_t>(i)];
        drawRow(p, entry, i, rowIsMarked(i));
    }
    drawScrollControls(p);
}

void redrawList() {
    lockScreen();
    for (std::int32_t i = 1; i <= monitorState.processCount; ++i) drawProcessRow(i);
    unlockScreen();
}
