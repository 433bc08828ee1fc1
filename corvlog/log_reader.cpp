#include "corvlog/log_reader.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "figures/rounding.h"

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
            // A failing disk or a dropped share is no end of the log (what
            // came before the error is read first).
            if (got == 0 && std::ferror(r.file)) {
                const int code = errno;
                r.sourceDone = true;
                return fail(r, 0, std::string("read error: ") + (code ? std::strerror(code) : "the system gave none"));
            }
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

// The shortest decimal of a figure, "400" or "0.5".
std::string figureText(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
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

std::int64_t forwardDistance(std::int64_t from, std::int64_t to) {
    return ((to - from) % MS_PER_DAY + MS_PER_DAY) % MS_PER_DAY;
}

// ---- the pass length --------------------------------------------------------

// Counts record lines: lines with something besides their line end, and a
// last line without one when it reads as a record (a cut one is dropped).
struct RecordCounter {
    std::int64_t records = 0;
    std::size_t length = 0;  // of the current line
    std::string tail;        // its first bytes, for a last line without a line end
    void feed(const char* data, std::size_t size) {
        while (size > 0) {
            const void* lf = std::memchr(data, '\n', size);
            const std::size_t part = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : size;
            if (tail.size() < MAX_LINE_BYTES + 2) tail.append(data, std::min(part, MAX_LINE_BYTES + 2 - tail.size()));
            length += part;
            if (!lf) return;
            if (length > 1 || (length == 1 && tail[0] != '\r')) ++records;
            length = 0;
            tail.clear();
            data += part + 1;
            size -= part + 1;
        }
    }
    void finish() {
        std::string_view line = tail;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        RecordLine parsed;
        std::string why;
        if (!line.empty() && length <= MAX_LINE_BYTES && parseRecordLine(line, parsed, why)) ++records;
    }
};

// The records of the whole log (as far as it was when opened): those held
// and those still to read, counted ahead without moving the reading on.
// False when the source cannot go back (a pipe).
bool countAhead(LogReader& r, std::int64_t& total) {
    RecordCounter counter;
    counter.feed(r.buffer.data() + r.begin, r.end - r.begin);
    if (!r.sourceDone && r.file) {
        std::fpos_t at{};
        if (std::fgetpos(r.file, &at) != 0) return false;
        std::vector<char> chunk(READ_CHUNK);
        std::uint64_t left = r.limit - r.consumed;
        while (left > 0) {
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
            const std::size_t got = std::fread(chunk.data(), 1, want, r.file);
            counter.feed(chunk.data(), got);
            left -= got;
            if (got < want) break;
        }
        const bool readFailed = std::ferror(r.file) != 0;
        const int code = errno;
        if (std::fsetpos(r.file, &at) != 0 || readFailed) {
            fail(r, 0, std::string("read error: ") + (code ? std::strerror(code) : "the system gave none"));
            return false;
        }
    } else if (!r.sourceDone) {
        const std::uint64_t stop = std::min<std::uint64_t>(r.limit, r.memory.size());
        counter.feed(r.memory.data() + r.consumed, static_cast<std::size_t>(stop - r.consumed));
    }
    counter.finish();
    total = static_cast<std::int64_t>(r.held.size()) + counter.records;
    return true;
}

// One pass length the names allow, and what the header says of it.
struct Candidate {
    std::size_t length = 0;
    bool whole = false;  // exactly the passes of a session that ran to its end
    bool fast = false;   // its passes would follow each other sooner than the schedule allows
    bool fits = false;   // its records keep to the schedule
    std::size_t pairs = 0;
};

// The interval as a timing yardstick: none when it is not positive, or so
// long that a time of day cannot tell one pass from the next.
double timingInterval(const LogHeader& h) {
    const double interval = intervalOf(h);
    return interval <= 6.0 * 3'600'000 ? interval : 0;
}

// Passes start on a fixed schedule: the first pass's start + k × interval,
// later only when a pass overran (and the schedule goes on from there). A
// record's time is taken when it is written, so under the right pass
// length, records one pass apart are one interval apart, give or take the
// sampling's jitter (a quarter of the interval, and a millisecond for the
// truncated time stamps), and every record stays on its place's schedule:
// the first pass's time + k × interval. A pass length whose passes would
// follow each other sooner than that, for a third of its records or more,
// is refuted ("fast"); one whose records all but a tenth stay on the
// schedule keeps to it ("fits"). Passes that overran drift off any
// schedule, and then the timing settles nothing.
void timeCandidate(const LogReader& r, Candidate& c, double interval) {
    const std::size_t k = r.held.size();
    if (interval <= 0 || c.length >= k) return;
    const std::size_t pairs = k - c.length;
    const std::size_t stride = std::max<std::size_t>(1, pairs / 65536);
    const double slack = 0.25 * interval + 1;
    std::size_t counted = 0, fast = 0;
    for (std::size_t i = 0; i < pairs; i += stride) {
        const auto gap = static_cast<double>(forwardDistance(r.held[i].timeOfDayMs, r.held[i + c.length].timeOfDayMs));
        ++counted;
        if (gap < interval - slack) ++fast;
    }
    c.pairs = counted;
    c.fast = 3 * fast > counted;
    // The schedule, over as many passes as a time of day can tell apart.
    const auto passes = static_cast<std::size_t>(
        std::min<double>(static_cast<double>((k + c.length - 1) / c.length), 20.0 * 3'600'000 / interval));
    if (passes < 2) return;
    const std::size_t last = std::min(k, passes * c.length);
    const std::size_t step = std::max<std::size_t>(1, (last - c.length) / 65536);
    std::size_t onSchedule = 0, checked = 0;
    for (std::size_t i = c.length; i < last; i += step) {
        const double since =
            static_cast<double>(forwardDistance(r.held[i % c.length].timeOfDayMs, r.held[i].timeOfDayMs));
        const double due = static_cast<double>(i / c.length) * interval;
        ++checked;
        if (std::fabs(since - due) <= slack) ++onSchedule;
    }
    c.fits = 10 * onSchedule >= 9 * checked;
}

// Whether a pass of this length would have taken three quarters of an
// interval or longer somewhere among the held records.
bool passesTakeLong(const LogReader& r, std::size_t length, double interval) {
    if (interval <= 0) return false;
    for (std::size_t at = 0; at < r.held.size(); at += length) {
        const std::size_t last = std::min(at + length, r.held.size()) - 1;
        const auto spread = static_cast<double>(forwardDistance(r.held[at].timeOfDayMs, r.held[last].timeOfDayMs));
        if (spread >= 0.75 * interval - 1) return true;
    }
    return false;
}

std::string lengthsText(const std::vector<std::size_t>& lengths) {
    std::string text;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == lengths.size() ? " or " : ", ") + std::to_string(lengths[i]);
    }
    return text;
}

std::string recordsText(std::size_t n) { return std::to_string(n) + (n == 1 ? " record" : " records"); }

// Fixes the pass length to `length` (a period of the held names).
void fixPass(LogReader& r, std::size_t length) {
    r.passLength = length;
    for (std::size_t i = 0; i < length; ++i) {
        r.passNames.push_back(r.heldNames[static_cast<std::size_t>(r.held[i].name)]);
        std::int32_t series = 1;
        for (std::size_t j = 0; j < i; ++j) series += r.passNames[j] == r.passNames[i] ? 1 : 0;
        r.passSeries.push_back(series);
    }
    r.heldIds.clear();
    r.border.clear();
    r.border.shrink_to_fit();
}

// Chooses the pass length from the held records: `total` is the number of
// records in the whole log (-1: not known), `final` that no more records
// will be held. False while the held records do not settle it yet, or
// (with `error`) when no length is possible.
bool choosePass(LogReader& r, std::int64_t total, bool final) {
    const std::size_t k = r.held.size();
    const std::int64_t written = writtenPasses(r.header);
    const double interval = timingInterval(r.header);

    // The periods of the held names, shortest first: the border chain.
    std::vector<std::size_t> periods;
    for (std::int32_t b = r.border[k - 1];; b = r.border[static_cast<std::size_t>(b) - 1]) {
        periods.push_back(k - static_cast<std::size_t>(b));
        if (b == 0) break;
    }
    // A session writes no more passes than its header gives.
    std::size_t shortest = 1;
    if (total >= 0 && written > 0) shortest = static_cast<std::size_t>((total + written - 1) / written);
    std::vector<Candidate> alive;
    for (const std::size_t p : periods) {
        if (p > MAX_PASS_RECORDS || alive.size() == 64) break;
        if (p >= shortest) alive.push_back({p});
    }
    bool countIgnored = false;
    if (alive.empty()) {
        countIgnored = true;  // more records than any pass length allows: the count says nothing
        for (const std::size_t p : periods) {
            if (p > MAX_PASS_RECORDS || alive.size() == 64) break;
            alive.push_back({p});
        }
    }
    if (alive.empty()) {
        return fail(r, r.lineNumber,
                    "no pass of at most " + std::to_string(MAX_PASS_RECORDS) + " records: not one session's passes");
    }
    for (Candidate& c : alive) {
        c.whole = !countIgnored && total >= 0 && written > 0 && static_cast<std::int64_t>(c.length) * written == total;
        timeCandidate(r, c, interval);
    }

    // A whole session, even one its times refute: then the count and the
    // times disagree, and nothing is settled but by the count.
    bool anyWhole = false;
    std::vector<std::size_t> wholes, fitting, notFast;
    for (const Candidate& c : alive) {
        anyWhole = anyWhole || c.whole;
        if (c.fast) continue;
        notFast.push_back(c.length);
        if (c.whole) wholes.push_back(c.length);
        if (c.fits) fitting.push_back(c.length);
    }
    // Every shorter length refuted by its timing.
    const auto shorterAreFast = [&](std::size_t length) {
        for (const Candidate& c : alive) {
            if (c.length < length && !c.fast) return false;
        }
        return true;
    };

    std::size_t choice = 0;
    bool settled = false;
    if (wholes.size() == 1) {
        // Exactly the passes of the whole session, and its timing agrees.
        choice = wholes[0];
        settled = true;
    } else if (!anyWhole && fitting.size() == 1 && shorterAreFast(fitting[0]) && (final || k >= 8 * fitting[0])) {
        // The only length whose records keep to the schedule.
        choice = fitting[0];
        settled = true;
    } else if (!anyWhole && notFast.size() == 1 && final && !passesTakeLong(r, notFast[0], interval)) {
        // The only length left, with quick passes.
        choice = notFast[0];
        settled = true;
    }
    if (!settled && !final) return false;
    if (!settled) {
        // A whole session first, then passes on the schedule, then the
        // shortest length left.
        choice = !wholes.empty()    ? wholes[0]
                 : !fitting.empty() ? fitting[0]
                 : !notFast.empty() ? notFast[0]
                                    : alive[0].length;
        std::vector<std::size_t> lengths;
        for (const Candidate& c : alive) {
            if ((!c.fast || c.length == choice) && lengths.size() < 4) lengths.push_back(c.length);
        }
        if (std::find(lengths.begin(), lengths.end(), choice) == lengths.end()) lengths.back() = choice;
        std::sort(lengths.begin(), lengths.end());
        std::string why;
        if (total >= 0 && written > 0 && !countIgnored) {
            why = anyWhole ? "its " + std::to_string(total) + " records make a whole session of " +
                                 std::to_string(written) + " passes only with passes its times refute"
                           : "its " + std::to_string(total) + " records are not the " + std::to_string(written) +
                                 " passes of a whole session";
        } else if (total < 0) {
            why = "a pipe's records cannot be counted ahead";
        } else {
            why = "the header gives no number of passes";
        }
        if (interval <= 0) {
            why += ", and its interval gives no schedule";
        } else if (fitting.empty()) {
            why += ", and its times keep to no " + figureText(r.header.intervalMs) + " ms schedule";
        } else {
            why += ", and its times keep to the " + figureText(r.header.intervalMs) + " ms schedule with " +
                   lengthsText(fitting) + " records a pass";
        }
        std::string names;
        for (std::size_t i = 0; i < choice && i < 4; ++i) {
            names += (i ? ", " : "") + messageText(r.heldNames[static_cast<std::size_t>(r.held[i].name)], 24);
        }
        if (choice > 4) names += ", ...";
        r.passNote = r.path + ":" + std::to_string(r.held[0].line) + ": " +
                     (lengths.size() > 1 ? "cannot tell whether a pass holds " + lengthsText(lengths) + " records"
                                         : "the passes do not keep to the schedule") +
                     " (" + why + "); read as passes of " + recordsText(choice) + ": " + names;
    }
    fixPass(r, choice);
    return true;
}

// How many records to hold before the pass length is chosen: enough for
// four passes of the shortest period seen and, once the log is counted, for
// three passes of the shortest length its header allows.
std::size_t holdTarget(const LogReader& r) {
    const std::size_t k = r.held.size();
    const std::size_t period = k - static_cast<std::size_t>(r.border[k - 1]);
    std::size_t target = std::max(DECIDE_AFTER_RECORDS, std::min(4 * period, MAX_HELD_RECORDS));
    const std::int64_t written = writtenPasses(r.header);
    if (r.countedRecords >= 0 && written > 0) {
        const auto shortest = static_cast<std::size_t>((r.countedRecords + written - 1) / written);
        target = std::max(target, std::min(3 * shortest, MAX_HELD_RECORDS));
    }
    return target;
}

// Holds a record while the pass length is open. False: `error`.
bool hold(LogReader& r, const RecordLine& parsed) {
    auto found = r.heldIds.find(std::string(parsed.name));
    if (found == r.heldIds.end()) {
        r.heldNameBytes += parsed.name.size() + 32;
        if (r.heldNameBytes > MAX_HELD_NAME_BYTES) {
            return fail(r, r.lineNumber,
                        "more than " + std::to_string(MAX_HELD_NAME_BYTES >> 20) +
                            " MB of different process names before the passes repeat: not one session's passes");
        }
        r.heldNames.emplace_back(parsed.name);
        found = r.heldIds.emplace(r.heldNames.back(), static_cast<std::int32_t>(r.heldNames.size() - 1)).first;
    }
    LogReader::Held h;
    h.timeOfDayMs = parsed.timeOfDayMs;
    h.line = r.lineNumber;
    h.name = found->second;
    h.cpuPercent = parsed.cpuPercent;
    h.ramKB = parsed.ramKB;
    r.held.push_back(h);
    // The border of the new prefix (Knuth-Morris-Pratt).
    const std::size_t i = r.held.size() - 1;
    std::int32_t b = i == 0 ? 0 : r.border[i - 1];
    while (b > 0 && r.held[i].name != r.held[static_cast<std::size_t>(b)].name) {
        b = r.border[static_cast<std::size_t>(b) - 1];
    }
    if (i > 0 && r.held[i].name == r.held[static_cast<std::size_t>(b)].name) ++b;
    r.border.push_back(b);
    return true;
}

// After a record was held: chooses the pass length when enough are held.
// A pipe, which cannot be counted ahead, is held on while its timing does
// not settle the length, looked at again each time the held records double.
bool considerPasses(LogReader& r) {
    const std::size_t k = r.held.size();
    if (k > MAX_PASS_RECORDS && k - static_cast<std::size_t>(r.border[k - 1]) > MAX_PASS_RECORDS) {
        return fail(r, r.lineNumber,
                    "no second pass within the first " + std::to_string(MAX_PASS_RECORDS) +
                        " records: not one session's passes");
    }
    if (k < r.decideAt || k < holdTarget(r)) return true;
    if (r.countedRecords == -1) {
        std::int64_t total = 0;
        if (countAhead(r, total)) {
            r.countedRecords = total;
            if (k < holdTarget(r)) return true;
        } else if (!r.error.empty()) {
            return false;
        } else {
            r.countedRecords = -2;
        }
    }
    const bool counted = r.countedRecords >= 0;
    if (!choosePass(r, counted ? r.countedRecords : -1, counted || k >= MAX_HELD_RECORDS)) {
        if (!r.error.empty()) return false;
        r.decideAt = std::min(2 * k, MAX_HELD_RECORDS);
    }
    return true;
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

std::int64_t writtenPasses(const LogHeader& h) {
    // As the monitor reckons it (log/session_plan.cpp): one pass when the
    // interval is not usable or the figure is not finite or below 1.
    const double interval = intervalOf(h);
    if (interval <= 0) return 0;
    const double passes = rounding::nearest(h.durationSeconds * 1000.0 / h.intervalMs + 1.0);
    if (!std::isfinite(passes) || passes < 1.0) return 0;
    if (passes >= 2147483647.0) return 2147483646;
    return static_cast<std::int64_t>(passes) - 1;
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

bool openLogStream(LogReader& r, std::FILE* stream, const std::string& name) {
    r.path = name;
    r.file = stream;
    r.ownsFile = false;
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
        if (r.passLength > 0 && r.heldNext < r.held.size()) {
            const LogReader::Held& h = r.held[r.heldNext++];
            const std::size_t at = static_cast<std::size_t>(r.records % static_cast<std::int64_t>(r.passLength));
            rec.name.assign(r.passNames[at]);
            rec.cpuPercent = h.cpuPercent;
            rec.ramKB = h.ramKB;
            rec.line = h.line;
            place(r, rec, h.timeOfDayMs);
            if (r.heldNext == r.held.size()) {
                r.held.clear();
                r.held.shrink_to_fit();
                r.heldNames.clear();
                r.heldNames.shrink_to_fit();
                r.heldNext = 0;
            }
            return ReadResult::record;
        }
        std::string_view line;
        bool whole = false;
        if (!nextLine(r, line, whole)) {
            if (!r.error.empty()) return ReadResult::failed;
            if (r.passLength == 0 && !r.held.empty()) {
                // Every record is held: the whole log is counted.
                if (!choosePass(r, static_cast<std::int64_t>(r.held.size()), true)) return ReadResult::failed;
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
        // The pass length is still open: hold the record.
        if (!hold(r, parsed) || !considerPasses(r)) return ReadResult::failed;
    }
}

}  // namespace corvlog
