#include "corvlog/log_lines.h"

#include "corvlog/calendar.h"
#include "corvlog/cp1252.h"
#include "figures/numeric_text.h"

namespace corvlog {

namespace {

constexpr std::size_t NAME_WIDTH = 35;
constexpr std::size_t CPU_WIDTH = 3;
constexpr std::size_t RAM_WIDTH = 17;
constexpr std::string_view CPU_MARK = "% CPU";
constexpr std::string_view RAM_MARK = " KB RAM";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Two digits at text[at]; -1 when they are not digits.
int twoDigits(std::string_view text, std::size_t at) {
    if (!isDigit(text[at]) || !isDigit(text[at + 1])) return -1;
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}
bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// hh:mm:ss, each in range.
bool timeOfDay(std::string_view text, std::int64_t& ms) {
    if (text.size() != 8 || text[2] != ':' || text[5] != ':') return false;
    const int h = twoDigits(text, 0), m = twoDigits(text, 3), s = twoDigits(text, 6);
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59) return false;
    ms = ((h * 60 + m) * 60 + s) * std::int64_t{1000};
    return true;
}

// An optional '-' and 1 to 10 digits within the 32-bit range.
bool figure(std::string_view text, std::int32_t& value) {
    bool negative = false;
    if (!text.empty() && text[0] == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10) return false;
    std::int64_t v = 0;
    for (const char c : text) {
        if (!isDigit(c)) return false;
        v = v * 10 + (c - '0');
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

// The text of an aligned field: its leading spaces dropped.
std::string_view trimmedLeft(std::string_view field) {
    const std::size_t first = field.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view{} : field.substr(first);
}

// What rightAlign(text, width) wrote: `text` itself when the field is wider
// than the width, else the field with the alignment's spaces dropped.
bool alignedText(std::string_view field, std::size_t width, std::string& text) {
    if (field.size() < width) return false;
    text = field.size() == width ? std::string(trimmedLeft(field)) : std::string(field);
    return true;
}

}  // namespace

std::string messageText(std::string_view bytes, std::size_t limit) {
    std::string shown;
    for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        shown.push_back(b < 0x20 || b == 0x7F ? '?' : bytes[i]);
    }
    std::string out = "\"" + cp1252ToUtf8(shown);
    if (bytes.size() > limit) out += "...";
    return out + "\"";
}

bool parseHeaderLine(std::size_t number, std::string_view line, LogHeader& header, std::string& why) {
    switch (number) {
        case 1: {
            // "Log vom DD.MM.YYYY" padded to 28, "Startzeit:  hh:mm:ss".
            if (line.size() != 48 || !startsWith(line, "Log vom ") || line.substr(18, 22) != "          Startzeit:  ") {
                why = "not a Corvane log: the first line is not \"Log vom DD.MM.YYYY  Startzeit:  hh:mm:ss\"";
                return false;
            }
            const int d = twoDigits(line, 8), m = twoDigits(line, 11);
            const int y1 = twoDigits(line, 14), y2 = twoDigits(line, 16);
            if (line[10] != '.' || line[13] != '.' || d < 0 || m < 0 || y1 < 0 || y2 < 0 || m < 1 || m > 12 || d < 1 ||
                d > daysInMonth(y1 * 100 + y2, m)) {
                why = "not a Corvane log: no valid date in " + messageText(line.substr(8, 10));
                return false;
            }
            header.day = d, header.month = m, header.year = y1 * 100 + y2;
            if (!timeOfDay(line.substr(40), header.startMs)) {
                why = "not a Corvane log: no valid start time in " + messageText(line.substr(40));
                return false;
            }
            return true;
        }
        case 3:
        case 4: {
            const std::string_view label = number == 3 ? "Dauer:        " : "Intervall:    ";
            const std::string_view unit = number == 3 ? "  Sekunden" : "  Millisekunden";
            std::string text;
            if (!startsWith(line, label) || !endsWith(line, unit) || line.size() < label.size() + unit.size() ||
                !alignedText(line.substr(label.size(), line.size() - label.size() - unit.size()), 8, text)) {
                why = std::string("not a Corvane log: line ") +
                      (number == 3 ? "3 is not the duration" : "4 is not the interval") + " line (" +
                      messageText(line) + ")";
                return false;
            }
            if (number == 3) {
                header.durationText = text;
                header.durationSeconds = numericValue(text);
            } else {
                header.intervalText = text;
                header.intervalMs = numericValue(text);
            }
            return true;
        }
        case 6: {
            if (!startsWith(line, "CPU-Takt: ") || !endsWith(line, " GHz") || line.size() < 15) {
                why = "not a Corvane log: line 6 is not the CPU clock line (" + messageText(line) + ")";
                return false;
            }
            header.clockText = std::string(line.substr(10, line.size() - 14));
            header.clockGHz = numericValue(header.clockText);
            return true;
        }
        case 7: {
            constexpr std::string_view label =
                "Verf\xFC"
                "gbarer Speicher: ";
            std::int32_t mb = 0;
            if (!startsWith(line, label) || !endsWith(line, " MB") ||
                !figure(line.substr(label.size(), line.size() - std::min(line.size(), label.size() + 3)), mb)) {
                why = "not a Corvane log: line 7 is not the memory line (" + messageText(line) + ")";
                return false;
            }
            header.memoryMB = mb;
            return true;
        }
        default:
            if (!line.empty()) {
                why = "not a Corvane log: header line " + std::to_string(number) + " should be empty (" +
                      messageText(line) + ")";
                return false;
            }
            return true;
    }
}

bool parseRecordLine(std::string_view line, RecordLine& record, std::string& why) {
    if (line.find('\0') != std::string_view::npos) {
        why = "binary data in a record line";
        return false;
    }
    // hh:mm:ss:mmm and two spaces.
    std::int64_t seconds = 0;
    if (line.size() < 14 || !timeOfDay(line.substr(0, 8), seconds) || line[8] != ':' || !isDigit(line[9]) ||
        !isDigit(line[10]) || !isDigit(line[11]) || line.substr(12, 2) != "  ") {
        why = "not a record: no time stamp hh:mm:ss:mmm at the start (" + messageText(line) + ")";
        return false;
    }
    record.timeOfDayMs = seconds + (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');

    if (!endsWith(line, RAM_MARK)) {
        why = "record without \" KB RAM\" at its end: the working set is missing (" + messageText(line) + ")";
        return false;
    }
    const std::size_t ramEnd = line.size() - RAM_MARK.size();
    const std::size_t cpuMark = line.rfind(CPU_MARK, ramEnd);
    if (cpuMark == std::string_view::npos || cpuMark < 14) {
        why = "record without \"% CPU\": the CPU share is missing (" + messageText(line) + ")";
        return false;
    }
    const std::string_view ramField = line.substr(cpuMark + CPU_MARK.size(), ramEnd - cpuMark - CPU_MARK.size());
    const std::string_view ramText = trimmedLeft(ramField);
    if (ramText.empty()) {
        why = "record without a working set figure before \" KB RAM\"";
        return false;
    }
    if (!figure(ramText, record.ramKB)) {
        why = "working set " + messageText(ramText) + " is not a whole number";
        return false;
    }
    if (ramField.size() < RAM_WIDTH) {
        why = "working set " + messageText(ramText) + " is not right-aligned in 17 columns";
        return false;
    }

    // The name padded to 35, then the share right-aligned in 3; nothing is
    // cut, so a long name meets the share without a blank between.
    const std::string_view middle = line.substr(14, cpuMark - 14);
    if (middle.size() < NAME_WIDTH + CPU_WIDTH) {
        why = "record too short for a name of 35 columns and a CPU share (" + messageText(line) + ")";
        return false;
    }
    std::size_t run = 0;
    while (run < middle.size() && isDigit(middle[middle.size() - 1 - run])) ++run;
    std::size_t digits = std::min(run, middle.size() - NAME_WIDTH);
    // A run that does not begin right after a name's padding meets a name of
    // 35 bytes or more that ends in digits itself. Shares are parts of the
    // whole machine's time and stay below 1000, and a number never starts
    // with 0: the share is its last three digits, or more when they would
    // start with a 0.
    const bool afterPadding = middle.size() - run == NAME_WIDTH && middle[NAME_WIDTH - 1] == ' ';
    if (digits > CPU_WIDTH && !afterPadding) {
        const std::size_t most = digits;
        digits = CPU_WIDTH;
        while (digits < most && middle[middle.size() - digits] == '0') ++digits;
    }
    std::size_t textLength = digits;
    if (digits > 0 && middle[middle.size() - 1 - digits] == '-' &&
        middle.size() - std::max(digits + 1, CPU_WIDTH) >= NAME_WIDTH) {
        ++textLength;  // a negative share, "-5"
    }
    const std::size_t field = std::max(textLength, CPU_WIDTH);
    const std::string_view cpuText = middle.substr(middle.size() - textLength);
    const std::string_view cpuField = middle.substr(middle.size() - field);
    if (trimmedLeft(cpuField.substr(0, field - textLength)).size() != 0 || digits == 0) {
        const std::string_view shown = trimmedLeft(cpuField);
        why = shown.empty() ? std::string("record without a CPU share before \"% CPU\"")
                            : "CPU share " + messageText(shown) + " is not a whole number";
        return false;
    }
    if (!figure(cpuText, record.cpuPercent)) {
        why = "CPU share " + messageText(cpuText) + " is out of range";
        return false;
    }
    std::string_view name = middle.substr(0, middle.size() - field);
    if (name.size() == NAME_WIDTH) {
        const std::size_t last = name.find_last_not_of(' ');
        name = last == std::string_view::npos ? std::string_view{} : name.substr(0, last + 1);
    }
    record.name = name;
    return true;
}

}  // namespace corvlog
