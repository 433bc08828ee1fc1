// The process list: one row per visible table entry (marker box, name, PID,
// CPU share, working set) and the scroll controls, whose thumb position is
// published in monitorState for the input thread's hit-testing.
#include "screen/list_view.h"

#include <charconv>
#include <cstring>
#include <mutex>
#include <string_view>

#include "figures/rounding.h"
#include "screen/layout.h"
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
    "\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB"
    "\xDB"
    "\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB"
    "\xDB"
    "\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB\xDB"
    "\xDB",
    layout::rowEraserGlyphs);

// A number, right-aligned so that its last digit ends just before `end`,
// followed by a unit that does not count for the alignment.
void drawNumber(int end, int y, std::int32_t value, std::string_view unit) {
    char text[16];
    const auto result = std::to_chars(text, text + 11, value);
    const std::size_t digits = static_cast<std::size_t>(result.ptr - text);
    std::memcpy(text + digits, unit.data(), unit.size());
    drawText(end - 8 * static_cast<int>(digits), y, std::string_view(text, digits + unit.size()), colourBlack);
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
constexpr std::size_t KEPT_NAME = layout::rowEraserGlyphs;

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
        const layout::Rect bar = layout::scrollBar;
        controlsWatch = writewatch::watch(bar.left, bar.top, bar.right, bar.bottom);
        // Screen row s: the marker box and the text line, x 20..775,
        // y 16s + 21 .. 16s + 34.
        for (int s = 1; s <= VISIBLE_ROWS; ++s) {
            const layout::Rect row = layout::rowArea(s);
            rowWatch[s] = writewatch::watch(row.left, row.top, row.right, row.bottom);
        }
    }
};

ListPictures& pictures() {
    static ListPictures p;
    return p;
}

// True when the place still holds the picture `before` was read for.
bool untouchedSince(int watchId, std::uint64_t before) { return watchId >= 0 && writewatch::writes(watchId) == before; }

void drawScrollButton(const layout::Rect& button, bool enabled, int tipY, int baseY) {
    const std::uint32_t fill = enabled ? colourAccent : colourBackground;
    const std::uint32_t ink = enabled ? colourWhite : colourBlack;
    fillBox(button, fill);
    drawBox(button, ink);
    drawLine(button.left + 1, baseY, layout::scrollArrowTipX, tipY, ink);
    drawLine(layout::scrollArrowTipX, tipY, button.right - 1, baseY, ink);
}

void paintScrollControls(const ControlsPicture& c) {
    drawScrollButton(layout::scrollUpArrow, c.upActive, layout::scrollUpTipY, layout::scrollUpBaseY);
    drawScrollButton(layout::scrollDownArrow, c.downActive, layout::scrollDownTipY, layout::scrollDownBaseY);

    const layout::Rect track = layout::scrollTrack;
    if (!c.track) {
        fillBox(track, colourBackground);
        return;
    }
    fillBox(track, colourWhite);
    const int top = c.thumbTop, bottom = c.thumbTop + c.thumbLength;
    fillBox(track.left, top, track.right, bottom, colourAccent);
    setPixel(track.left, top, colourWhite);
    setPixel(track.right, top, colourWhite);
    setPixel(track.left, bottom, colourWhite);
    setPixel(track.right, bottom, colourWhite);
    const double grip = top + c.thumbLength / 2.0;
    for (const double y : {grip, grip - layout::gripGap, grip + layout::gripGap})
        drawLine(layout::gripLeft, y, layout::gripRight, y, colourBackground);
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
        const double rows = VISIBLE_ROWS;
        const layout::Rect track = layout::scrollTrack;
        // Saturated, so that a wild firstRow cannot overflow the conversion;
        // count > rows, so neither quotient is NaN.
        s.thumbLength = rounding::nearestSaturated(rows / count * layout::thumbSpan);
        s.thumbTop = rounding::nearestSaturated(
            (layout::thumbSpan - s.thumbLength) / (count - rows) * (static_cast<double>(s.firstRow) - 1.0) + track.top);
        if (s.thumbTop > track.bottom - s.thumbLength) s.thumbTop = track.bottom - s.thumbLength;
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

// One row drawn in full as screen row r. Called with the pictures' mutex
// held.
void paintRow(const ProcessEntry& entry, int r, bool marked) {
    const int t = layout::rowTextY(r);
    const layout::Rect box = layout::markerBox(r);
    drawText(layout::rowNameX, t, rowEraser, colourBackground);
    // Only a name with one of the converted letters costs a new string.
    if (needsConversion(entry.name))
        drawText(layout::rowNameX, t, toScreenText(entry.name), colourBlack);
    else
        drawText(layout::rowNameX, t, entry.name, colourBlack);
    drawNumber(layout::pidEndX, t, entry.pid, "");
    drawNumber(layout::cpuEndX, t, entry.cpuPercent, "%");
    drawNumber(layout::ramEndX, t, entry.ramKB, "KB");
    if (entry.ramKB == 0) drawText(layout::protectedNoteX, t, "Prozess gesch\x81tzt", colourBlack);

    if (marked) {
        drawLine(box.left, box.top, box.right, box.bottom, colourBlack);
        drawLine(box.right, box.top, box.left, box.bottom, colourBlack);
    } else {
        fillBox(box, colourWhite);
        drawBox(box, colourBlack);
    }
}

void drawRow(ListPictures& p, const ProcessEntry& entry, std::int32_t i, bool marked) {
    const MonitorState& s = monitorState;
    // Screen row 1..30 in every sane state; anything else is drawn plainly,
    // and a row far off the window (a wild firstRow) would be clipped away
    // entirely.
    const std::int64_t screenRow = static_cast<std::int64_t>(i) - s.firstRow + 1;
    const std::int64_t top = layout::rowPitch * screenRow + layout::rowTextY(0);
    if (top < -SURFACE_HEIGHT || top > SURFACE_HEIGHT) return;
    const int r = static_cast<int>(screenRow);
    if (screenRow < 1 || screenRow > VISIBLE_ROWS) {
        paintRow(entry, r, marked);
        return;
    }
    RowPicture& kept = p.rows[screenRow];
    const int watchId = p.rowWatch[screenRow];
    if (kept.shows(entry, marked) && untouchedSince(watchId, kept.writes)) return;

    const std::uint64_t before = writewatch::writes(watchId);
    {
        writewatch::DrawingFor own(watchId);
        paintRow(entry, r, marked);
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
