#include "corvlog/log_reader.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "os/terminal_text.h"

namespace corvlog {

namespace {

bool fail(LogReader& r, std::int64_t line, const std::string& why) {
    r.error = r.path + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + why;
    return false;
}

// Moves what is left to the front and reads more. False when nothing came.
bool refill(LogReader& r) {
    if (r.sourceDone) return false;
    if (r.begin > 0) {
        std::memmove(r.buffer.data(), r.buffer.data() + r.begin, r.end - r.begin);
        r.end -= r.begin;
        r.begin = 0;
    }
    std::uint64_t room = r.buffer.size() - r.end;
    if (r.limit - r.consumed < room) room = r.limit - r.consumed;
    std::size_t got = 0;
    if (room > 0) {
        if (r.file) {
            got = std::fread(r.buffer.data() + r.end, 1, static_cast<std::size_t>(room), r.file);
        } else {
            got = static_cast<std::size_t>(std::min<std::uint64_t>(room, r.memory.size() - r.consumed));
            std::memcpy(r.buffer.data() + r.end, r.memory.data() + r.consumed, got);
        }
    }
    r.end += got;
    r.consumed += got;
    if (got == 0) r.sourceDone = true;
    return got > 0;
}

double intervalOf(const LogHeader& h) {
    if (!(h.intervalMs > 0) || !std::isfinite(h.intervalMs)) return 0;
    return std::min(h.intervalMs, 1e12);
}

bool readHeader(LogReader& r) {
    std::string_view line;
    bool whole = false;
    for (std::size_t n = 1; n <= HEADER_LINES; ++n) {
        if (!nextLine(r, line, whole)) {
            if (!r.error.empty()) return false;
            if (n == 1) return fail(r, 0, "empty file, not a Corvane log");
            return fail(r, static_cast<std::int64_t>(n) - 1,
                        "the header ends after " + std::to_string(n - 1) + " of its 9 lines");
        }
        // A cut line fails as cut; the first also tells a file that is no log.
        const std::string cut = "the header ends after " + std::to_string(n - 1) + " of its 9 lines";
        if (!whole && n > 1) return fail(r, r.lineNumber, cut);
        if (n == 1) {
            for (const char c : line) {
                const auto b = static_cast<unsigned char>(c);
                if (b < 0x20 && c != '\t') return fail(r, 1, "binary data, not a Corvane log");
            }
        }
        std::string why;
        if (!parseHeaderLine(n, line, r.header, why)) return fail(r, r.lineNumber, why);
        if (!whole) return fail(r, r.lineNumber, cut);
        r.headerLines.emplace_back(line);
    }
    r.lastTimeMs = r.header.startMs;
    return true;
}

bool startReading(LogReader& r, std::size_t capacity) {
    r.buffer.assign(capacity, 0);
    return readHeader(r);
}

// Gives the record its place, series, pass and time.
void place(LogReader& r, LogRecord& rec, std::int64_t timeOfDayMs) {
    const std::size_t at = static_cast<std::size_t>(r.records % static_cast<std::int64_t>(r.passLength));
    rec.place = static_cast<std::int32_t>(at);
    rec.series = r.passSeries[at];
    rec.pass = r.records / static_cast<std::int64_t>(r.passLength) + 1;
    const auto interval = static_cast<std::int64_t>(std::llround(intervalOf(r.header)));
    std::int64_t expected = r.lastTimeMs;
    // The first written pass follows the header by the priming interval and its own.
    if (r.records == 0)
        expected = r.header.startMs + 2 * interval;
    else if (at == 0)
        expected = r.passStartMs + interval;
    rec.timeMs = placeOnDay(timeOfDayMs, expected, r.records == 0 ? 0 : r.lastTimeMs);
    if (at == 0) r.passStartMs = rec.timeMs;
    r.lastTimeMs = rec.timeMs;
    ++r.records;
}

// Fixes the pass length to `length` records of the held first pass (and
// places every record held).
void fixPass(LogReader& r, std::size_t length) {
    r.passLength = length;
    for (std::size_t i = 0; i < length; ++i) {
        r.passNames.push_back(r.firstPass[i].name);
        std::int32_t series = 1;
        for (std::size_t j = 0; j < i; ++j) series += r.passNames[j] == r.passNames[i] ? 1 : 0;
        r.passSeries.push_back(series);
    }
    for (LogRecord& rec : r.firstPass) place(r, rec, rec.timeMs);
}

std::int64_t forwardDistance(std::int64_t from, std::int64_t to) {
    return ((to - from) % MS_PER_DAY + MS_PER_DAY) % MS_PER_DAY;
}

}  // namespace

std::int64_t placeOnDay(std::int64_t timeOfDayMs, std::int64_t expectedMs, std::int64_t earliestMs) {
    const std::int64_t earliestDay = earliestMs / MS_PER_DAY;
    std::int64_t day = expectedMs / MS_PER_DAY;
    std::int64_t best = -1;
    for (std::int64_t d = day - 1; d <= day + 1; ++d) {
        if (d < earliestDay) continue;
        const std::int64_t candidate = timeOfDayMs + d * MS_PER_DAY;
        if (best < 0 || std::llabs(candidate - expectedMs) < std::llabs(best - expectedMs)) best = candidate;
    }
    return best < 0 ? timeOfDayMs + earliestDay * MS_PER_DAY : best;
}

bool openLogFile(LogReader& r, const std::string& path) {
    r.path = path;
    if (path == "-") {
        r.file = stdin;
        os::setBinaryMode(stdin);
    } else {
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec)) return fail(r, 0, "a folder, not a log file");
        r.file = std::fopen(path.c_str(), "rb");
        if (!r.file) return fail(r, 0, std::string("cannot open: ") + std::strerror(errno));
        r.ownsFile = true;
        // A log still being written is read as far as it was when opened,
        // so a file that keeps growing cannot keep the reader going.
        if (std::filesystem::is_regular_file(path, ec)) {
            const std::uintmax_t size = std::filesystem::file_size(path, ec);
            if (!ec) r.limit = size;
        }
    }
    return startReading(r, READ_CHUNK);
}

bool openLogBytes(LogReader& r, std::string_view bytes, const std::string& name) {
    r.path = name;
    r.memory = bytes;
    r.limit = bytes.size();
    // Room for the longest line and its line end, however short the bytes.
    return startReading(r, std::min(READ_CHUNK, std::max(bytes.size(), 2 * MAX_LINE_BYTES + 2)));
}

void closeLogFile(LogReader& r) {
    if (r.ownsFile && r.file) std::fclose(r.file);
    r.file = nullptr;
    r.ownsFile = false;
}

bool nextLine(LogReader& r, std::string_view& line, bool& whole) {
    for (;;) {
        const char* start = r.buffer.data() + r.begin;
        const void* lf = std::memchr(start, '\n', r.end - r.begin);
        if (lf) {
            const char* stop = static_cast<const char*>(lf);
            const std::size_t length = static_cast<std::size_t>(stop - start);
            r.begin += length + 1;
            ++r.lineNumber;
            line = std::string_view(start, length > 0 && stop[-1] == '\r' ? length - 1 : length);
            whole = true;
            if (line.size() > MAX_LINE_BYTES) {
                return fail(r, r.lineNumber,
                            "a line of more than " + std::to_string(MAX_LINE_BYTES) + " bytes, not a Corvane log");
            }
            return true;
        }
        if (r.end - r.begin > MAX_LINE_BYTES + 1) {
            return fail(r, r.lineNumber + 1,
                        "more than " + std::to_string(MAX_LINE_BYTES) + " bytes without a line end, not a Corvane log");
        }
        if (!refill(r)) {
            if (!r.error.empty() || r.begin == r.end) return false;
            line = std::string_view(r.buffer.data() + r.begin, r.end - r.begin);
            r.begin = r.end;
            ++r.lineNumber;
            whole = false;
            return true;
        }
    }
}

ReadResult nextRecord(LogReader& r, LogRecord& rec) {
    if (!r.error.empty()) return ReadResult::failed;
    for (;;) {
        if (r.passLength > 0 && r.firstPassNext < r.firstPass.size()) {
            rec = r.firstPass[r.firstPassNext++];
            if (r.firstPassNext == r.firstPass.size()) {
                r.firstPass.clear();
                r.firstPass.shrink_to_fit();
                r.firstPassNext = 0;
            }
            return ReadResult::record;
        }
        std::string_view line;
        bool whole = false;
        if (!nextLine(r, line, whole)) {
            if (!r.error.empty()) return ReadResult::failed;
            if (r.passLength == 0 && !r.firstPass.empty()) {
                fixPass(r, r.firstPass.size());
                continue;
            }
            return ReadResult::end;
        }
        const std::size_t bytes = line.size();
        if (!whole && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        RecordLine parsed;
        std::string why;
        const bool ok = parseRecordLine(line, parsed, why);
        if (!whole && !ok) {
            // Cut amid its last write: keep the whole records before it.
            r.droppedBytes = bytes;
            r.note = r.path + ":" + std::to_string(r.lineNumber) + ": the log is cut short here; dropped " +
                     std::to_string(bytes) + " bytes of an unfinished record";
            continue;
        }
        if (!ok) {
            fail(r, r.lineNumber, why);
            return ReadResult::failed;
        }
        if (r.passLength > 0) {
            const std::size_t at = static_cast<std::size_t>(r.records % static_cast<std::int64_t>(r.passLength));
            if (parsed.name != r.passNames[at]) {
                fail(r, r.lineNumber,
                     "a record of " + messageText(parsed.name) + " where every pass has " +
                         messageText(r.passNames[at]) + " (place " + std::to_string(at + 1) + " of " +
                         std::to_string(r.passLength) + "): not one session's passes");
                return ReadResult::failed;
            }
            rec.name.assign(r.passNames[at]);
            rec.cpuPercent = parsed.cpuPercent;
            rec.ramKB = parsed.ramKB;
            rec.line = r.lineNumber;
            place(r, rec, parsed.timeOfDayMs);
            return ReadResult::record;
        }
        // Still in the first pass: hold the record (its time of day for now).
        LogRecord held;
        held.name.assign(parsed.name);
        held.cpuPercent = parsed.cpuPercent;
        held.ramKB = parsed.ramKB;
        held.line = r.lineNumber;
        held.timeMs = parsed.timeOfDayMs;
        r.firstPass.push_back(std::move(held));
        const std::size_t n = r.firstPass.size();
        const double half = std::min(intervalOf(r.header) / 2, 6.0 * 3'600'000);
        if (n > 1 && r.firstPass[n - 1].name == r.firstPass[0].name &&
            static_cast<double>(forwardDistance(r.firstPass[0].timeMs, r.firstPass[n - 1].timeMs)) >= half) {
            fixPass(r, n - 1);
        } else if (n > MAX_PASS_RECORDS) {
            fail(r, r.lineNumber,
                 "no second pass within the first " + std::to_string(MAX_PASS_RECORDS) +
                     " records: not one session's passes");
            return ReadResult::failed;
        }
    }
}

}  // namespace corvlog
