#include "figures/numeric_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

double numericValue(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;

    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }

    // The mantissa, copied into a clean text that from_chars reads the same
    // way on every locale.
    std::string clean;
    long long magnitude = 0;  // decimal exponent of the first non-zero digit
    bool seenNonZero = false;
    long long digitsBeforePoint = 0;
    const std::size_t intStart = at;
    while (at < text.size() && isDigit(text[at])) {
        if (text[at] != '0' || seenNonZero) {
            if (!seenNonZero) seenNonZero = true;
            ++digitsBeforePoint;
        }
        clean += text[at++];
    }
    bool anyDigit = at > intStart;
    long long zerosAfterPoint = 0;
    if (at < text.size() && text[at] == '.') {
        clean += '.';
        ++at;
        const std::size_t fracStart = at;
        while (at < text.size() && isDigit(text[at])) {
            if (!seenNonZero) {
                if (text[at] == '0') {
                    ++zerosAfterPoint;
                } else {
                    seenNonZero = true;
                }
            }
            clean += text[at++];
        }
        anyDigit = anyDigit || at > fracStart;
    }
    if (!anyDigit) return 0.0;
    if (!seenNonZero) return negative ? -0.0 : 0.0;
    magnitude = digitsBeforePoint > 0 ? digitsBeforePoint - 1 : -(zerosAfterPoint + 1);

    // The exponent counts only when at least one digit follows its letter.
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E' || text[at] == 'd' || text[at] == 'D')) {
        std::size_t e = at + 1;
        bool expNegative = false;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) {
            expNegative = text[e] == '-';
            ++e;
        }
        if (e < text.size() && isDigit(text[e])) {
            long long exponent = 0;
            constexpr long long cap = 1000000000LL;  // far beyond any double
            while (e < text.size() && isDigit(text[e])) {
                if (exponent < cap) exponent = exponent * 10 + (text[e] - '0');
                ++e;
            }
            if (exponent > cap) exponent = cap;
            if (expNegative) exponent = -exponent;
            magnitude += exponent;
            clean += 'e';
            clean += std::to_string(exponent);
        }
    }

    const double infinity = std::numeric_limits<double>::infinity();
    double value = 0.0;
    if (magnitude > 400) {
        value = infinity;
    } else if (magnitude < -400) {
        value = 0.0;
    } else {
        const auto result =
            std::from_chars(clean.data(), clean.data() + clean.size(), value, std::chars_format::general);
        if (result.ec == std::errc::result_out_of_range) value = magnitude > 0 ? infinity : 0.0;
    }
    return negative ? -value : value;
}
