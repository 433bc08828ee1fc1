#include "corvlog/metric_text.h"

#include <charconv>
#include <ctime>

#include "corvlog/calendar.h"
#include "corvlog/cp1252.h"
#include "corvlog/output_text.h"

namespace corvlog {

std::string familyHead(std::string_view metric) {
    std::string_view help;
    if (metric == CPU_METRIC)
        help = "Share of the whole machine's CPU time the process used in its last logging interval.";
    else if (metric == MEMORY_METRIC)
        help = "Working set (resident memory) of the process.";
    else if (metric == MACHINE_MEMORY_METRIC)
        help = "Physical memory of the logging machine, from the log header.";
    else
        help = "Processor clock of the logging machine, from the log header.";
    std::string out = "# HELP ";
    out.append(metric).append(" ").append(help).append("\n# TYPE ").append(metric).append(" gauge\n");
    return out;
}

void appendLabelValue(std::string& out, std::string_view utf8) {
    for (const char c : utf8) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
}

bool usableLabelName(std::string_view name) {
    if (name.empty() || name.substr(0, 2) == "__" || name == "process" || name == "series") return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        if (!letter && !(i > 0 && c >= '0' && c <= '9')) return false;
    }
    return true;
}

std::string extraLabels(const std::vector<std::pair<std::string, std::string>>& labels) {
    std::string out;
    for (const auto& [name, value] : labels) {
        out += ',';
        out += name;
        out += "=\"";
        appendLabelValue(out, value);
        out += '"';
    }
    return out;
}

std::string processLabels(std::string_view cp1252Name, std::int32_t series, std::string_view extra) {
    std::string out = "process=\"";
    appendLabelValue(out, cp1252ToUtf8(cp1252Name));
    out += "\",series=\"";
    appendInteger(out, series);
    out += '"';
    out += extra;
    return out;
}

void appendInteger(std::string& out, std::int64_t value) {
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

void appendPercentRatio(std::string& out, std::int32_t percent) {
    std::int64_t p = percent;
    if (p < 0) {
        out += '-';
        p = -p;
    }
    appendInteger(out, p / 100);
    const int hundredths = static_cast<int>(p % 100);
    if (hundredths != 0) {
        out += '.';
        out += static_cast<char>('0' + hundredths / 10);
        if (hundredths % 10 != 0) out += static_cast<char>('0' + hundredths % 10);
    }
}

void appendKilobytes(std::string& out, std::int32_t kilobytes) { appendInteger(out, std::int64_t{kilobytes} * 1024); }

void appendSeconds(std::string& out, std::int64_t unixMs) {
    std::int64_t seconds = unixMs / 1000, ms = unixMs % 1000;
    if (ms < 0) ms += 1000, seconds -= 1;
    appendInteger(out, seconds);
    const char tail[4] = {'.', static_cast<char>('0' + ms / 100), static_cast<char>('0' + ms / 10 % 10),
                          static_cast<char>('0' + ms % 10)};
    out.append(tail, 4);
}

std::int64_t machineMemoryBytes(const LogHeader& header) { return header.memoryMB * 1024 * 1024; }

std::int64_t machineClockHertz(const LogHeader& header) {
    const double hertz = header.clockGHz * 1e9;
    return hertz > 0 && hertz < 9.2e18 ? nearestInteger(hertz) : 0;
}

std::int64_t LocalClock::unixMs(const LogHeader& header, std::int64_t ms) {
    const std::int64_t localMs = daysFromCivil(header.year, header.month, header.day) * MS_PER_DAY + ms;
    if (fixedOffset) return localMs - offsetMs;
    std::int64_t minute = localMs / 60'000;
    if (localMs % 60'000 < 0) --minute;
    if (minute != lastMinute) {
        const auto known = minuteOffsets.find(minute);
        if (known != minuteOffsets.end()) {
            lastOffsetMs = known->second;
        } else {
            // The zone's offset at this local minute: mktime reads the
            // broken-down local time (summer time decided by the zone).
            int year = 0, month = 0, day = 0;
            std::int64_t days = minute / 1440, inDay = minute % 1440;
            if (inDay < 0) inDay += 1440, days -= 1;
            civilFromDays(days, year, month, day);
            std::tm t{};
            t.tm_year = year - 1900;
            t.tm_mon = month - 1;
            t.tm_mday = day;
            t.tm_hour = static_cast<int>(inDay / 60);
            t.tm_min = static_cast<int>(inDay % 60);
            t.tm_isdst = -1;
            const std::time_t utc = std::mktime(&t);
            // A time the zone cannot give (before 1970 on some systems) is taken as UTC.
            lastOffsetMs = utc == static_cast<std::time_t>(-1) ? 0 : minute * 60'000 - std::int64_t{utc} * 1000;
            minuteOffsets.emplace(minute, lastOffsetMs);
        }
        lastMinute = minute;
    }
    return localMs - lastOffsetMs;
}

bool parseUtcOffset(std::string_view text, std::int64_t& minutes) {
    if (text == "Z") {
        minutes = 0;
        return true;
    }
    if (text.size() != 6 || (text[0] != '+' && text[0] != '-') || text[3] != ':') return false;
    for (const std::size_t i : {std::size_t{1}, std::size_t{2}, std::size_t{4}, std::size_t{5}})
        if (text[i] < '0' || text[i] > '9') return false;
    const int hours = (text[1] - '0') * 10 + (text[2] - '0');
    const int mins = (text[4] - '0') * 10 + (text[5] - '0');
    if (mins > 59 || hours * 60 + mins > 18 * 60) return false;
    minutes = (hours * 60 + mins) * (text[0] == '-' ? -1 : 1);
    return true;
}

}  // namespace corvlog
