#include "corvlog/output_text.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

#include "corvlog/calendar.h"
#include "corvlog/cp1252.h"
#include "figures/rounding.h"
#include "os/terminal_text.h"

namespace corvlog {

namespace {
constexpr std::size_t FLUSH_AT = 1 << 16;
}

bool openOutput(Output& out, const std::string& path, std::string& error) {
    out.path = path;
    if (path.empty()) {
        out.file = stdout;
        os::setBinaryMode(stdout);
        return true;
    }
    out.file = std::fopen(path.c_str(), "wb");
    if (!out.file) {
        error = path + ": cannot write: " + std::strerror(errno);
        return false;
    }
    return true;
}

void put(Output& out, std::string_view text) {
    out.pending.append(text);
    if (out.pending.size() >= FLUSH_AT) {
        if (std::fwrite(out.pending.data(), 1, out.pending.size(), out.file) != out.pending.size()) out.failed = true;
        out.pending.clear();
    }
}

bool closeOutput(Output& out, bool keep) {
    if (!out.file) return false;
    if (!out.pending.empty() &&
        std::fwrite(out.pending.data(), 1, out.pending.size(), out.file) != out.pending.size()) {
        out.failed = true;
    }
    out.pending.clear();
    if (std::fflush(out.file) != 0) out.failed = true;
    if (!out.path.empty()) {
        if (std::fclose(out.file) != 0) out.failed = true;
        if (!keep) std::remove(out.path.c_str());
    }
    out.file = nullptr;
    return !out.failed;
}

std::string csvField(std::string_view text, char separator) {
    if (text.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    return out + "\"";
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (b < 0x20 || b == 0x7F) {
                    static constexpr char hex[] = "0123456789abcdef";
                    out += "\\u00";
                    out.push_back(hex[b >> 4]);
                    out.push_back(hex[b & 15]);
                } else {
                    out.push_back(c);
                }
        }
    }
    return out + "\"";
}

std::string jsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::int64_t nearestRatio(std::int64_t numerator, std::int64_t denominator) {
    std::int64_t q = numerator / denominator;
    std::int64_t r = numerator % denominator;
    if (r < 0) {
        r += denominator;
        --q;
    }
    // Compare 2r with the denominator without overflow.
    if (r > denominator - r || (r == denominator - r && q % 2 != 0)) ++q;
    return q;
}

std::string tenths(std::int64_t numerator, std::int64_t denominator) {
    const std::int64_t t = nearestRatio(numerator * 10, denominator);
    const std::int64_t whole = (t < 0 ? -t : t) / 10;
    return (t < 0 ? "-" : "") + std::to_string(whole) + "." + std::to_string((t < 0 ? -t : t) % 10);
}

std::int64_t nearestInteger(double value) { return static_cast<std::int64_t>(rounding::nearest(value)); }

std::string recordTime(const LogHeader& header, std::int64_t ms) {
    return isoDateTime(header.year, header.month, header.day, ms);
}

void report(const std::string& text) {
    const std::string line = "corvlog: " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

std::string shownPath(const std::string& path) { return validUtf8(os::argumentToUtf8(path)); }

}  // namespace corvlog
