#include "corvlog/calendar.h"

#include "corvlog/log_lines.h"

namespace corvlog {

namespace {

void appendDigits(std::string& out, std::int64_t value, int digits) {
    char text[24];
    int n = 0;
    do {
        text[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0 || n < digits);
    while (n > 0) out.push_back(text[--n]);
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

int daysInMonth(int year, int month) {
    static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return days[month - 1] + (month == 2 && leap ? 1 : 0);
}

// The well-known era-based conversion (eras of 400 years, March-based years).
std::int64_t daysFromCivil(int year, int month, int day) {
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = floorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t days, int& year, int& month, int& day) {
    const std::int64_t z = days + 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

std::string isoDate(int year, int month, int day) {
    std::string out;
    appendDigits(out, year, 4);
    out.push_back('-');
    appendDigits(out, month, 2);
    out.push_back('-');
    appendDigits(out, day, 2);
    return out;
}

std::string clockTime(std::int64_t ms) {
    ms = ms % MS_PER_DAY;
    std::string out;
    appendDigits(out, ms / 3'600'000, 2);
    out.push_back(':');
    appendDigits(out, ms / 60'000 % 60, 2);
    out.push_back(':');
    appendDigits(out, ms / 1000 % 60, 2);
    out.push_back('.');
    appendDigits(out, ms % 1000, 3);
    return out;
}

std::string isoDateTime(int year, int month, int day, std::int64_t ms) {
    if (ms >= MS_PER_DAY) civilFromDays(daysFromCivil(year, month, day) + ms / MS_PER_DAY, year, month, day);
    return isoDate(year, month, day) + "T" + clockTime(ms);
}

}  // namespace corvlog
