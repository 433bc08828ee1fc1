#include "corvlog/output_text.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "corvlog/calendar.h"
#include "corvlog/cp1252.h"
#include "figures/rounding.h"
#include "os/output_file.h"
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
    // A symbolic link stays a link: the file it leads to is replaced.
    std::string target = path;
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        const std::filesystem::path real = std::filesystem::canonical(path, ec);
        if (!ec) target = real.string();
    }
    std::string why;
    if (os::pathKind(target) == os::PathKind::other) {
        out.file = std::fopen(path.c_str(), "wb");
        if (!out.file) why = std::strerror(errno);
    } else {
        out.file = os::createFileBeside(target, out.temporary, why);
        out.target = target;
    }
    if (!out.file) {
        error = shownPath(path) + ": cannot write: " + why;
        return false;
    }
    return true;
}

Output::~Output() {
    if (file && !temporary.empty()) {
        std::fclose(file);
        std::remove(temporary.c_str());
    }
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
        out.file = nullptr;
        if (!out.temporary.empty()) {
            std::string why;
            if (keep && !out.failed && !os::replaceFile(out.temporary, out.target, why)) out.failed = true;
            if (!keep || out.failed) std::remove(out.temporary.c_str());
            out.temporary.clear();
        }
    }
    out.file = nullptr;
    return !out.failed;
}

bool outputIsALog(const std::string& output, const std::vector<std::string>& logs, std::string& why) {
    const os::FileIdentity written = os::fileIdentity(output);
    if (!written.known) return false;
    for (const std::string& l : logs) {
        const os::FileIdentity read = l == "-" ? os::streamIdentity(stdin) : os::fileIdentity(l);
        if (os::sameFile(read, written)) {
            why = "is the log " + (l == "-" ? std::string("that standard input reads") : shownPath(l));
            return true;
        }
        // A file whose identity the system does not give (Wine's standard
        // input): it may be the output's, so it is taken to be.
        if (!read.known && read.diskFile && written.diskFile) {
            why = "may be the log that standard input reads (the system does not tell which file that is)";
            return true;
        }
    }
    return false;
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
