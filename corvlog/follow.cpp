// follow: keeps one file in a textfile collector's folder current while
// Corvane writes a log. After every whole pass the file is written anew
// beside the target and renamed over it, so a scrape never reads half a
// file; when the session is over the file goes (unless --keep).
//
// Polling reads only what was appended. While the pass length is not known
// yet (the first pass ends where the second begins) the few lines so far are
// read again from the start; once it is known the reader is kept and fed the
// appended whole lines.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "corvlog/log_walk.h"
#include "corvlog/metric_text.h"
#include "corvlog/session_length.h"
#include "os/os.h"
#include "os/output_file.h"

namespace corvlog {

namespace {

// Set by Ctrl+C or a polite kill: the file goes as at a session's end, so a
// collector does not go on serving figures nobody keeps current.
volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

std::int64_t unixNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// "DIR/corvane-<log stem>.prom": the log's name without folder and extension.
std::string targetPath(const std::string& dir, const std::string& log) {
    std::size_t start = log.find_last_of(std::string("/") + os::pathSeparator);
    start = start == std::string::npos ? 0 : start + 1;
    std::string stem = log.substr(start);
    const std::size_t dot = stem.rfind('.');
    if (dot != std::string::npos && dot > 0) stem.resize(dot);
    std::string folder = dir;
    if (folder.back() != '/' && folder.back() != os::pathSeparator) folder += os::pathSeparator;
    return folder + "corvane-" + stem + ".prom";
}

struct Follower {
    const Options& options;
    std::string target, temporary;
    std::string extra;
    std::FILE* file = nullptr;
    std::string seen;  // whole lines not yet given to the reader (all of them until the pass is known)
    std::string tail;  // an unfinished last line
    LogReader reader;
    bool passKnown = false;
    bool written = false;
    std::int64_t records = 0;
    // The pass being read and the last whole one, by place.
    std::vector<LogRecord> current, shown;
    std::vector<std::string> labels;  // by place
    std::string text;

    explicit Follower(const Options& o) : options(o) {}

    ~Follower() {
        if (file) std::fclose(file);
    }

    // Reads what was appended. True when a whole line came.
    bool readMore() {
        if (!file) {
            file = std::fopen(options.logs[0].c_str(), "rb");
            if (!file) return false;
        }
        // Re-synchronises the stream with the file after its end was met
        // (clearerr alone leaves Windows' C library at the old end).
        std::clearerr(file);
        std::fseek(file, 0, SEEK_CUR);
        char chunk[1 << 16];
        bool lines = false;
        for (;;) {
            const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
            if (got == 0) break;
            const char* lf = static_cast<const char*>(std::memchr(chunk, '\n', got));
            if (!lf) {
                tail.append(chunk, got);
                continue;
            }
            const char* lastLf = chunk + got;
            const char* const chunkEnd = chunk + got;
            while (lastLf[-1] != '\n') --lastLf;
            seen += tail;
            seen.append(chunk, static_cast<std::size_t>(lastLf - chunk));
            tail.assign(lastLf, static_cast<std::size_t>(chunkEnd - lastLf));
            lines = true;
            if (got < sizeof chunk) break;
        }
        return lines;
    }

    // Whole lines that can still be the start of a header, and fewer than
    // nine of them: the log is being written, not wrong.
    bool headerStillComing() const {
        LogHeader header;
        std::size_t number = 0, at = 0;
        while (at < seen.size()) {
            std::size_t lf = seen.find('\n', at);
            std::string_view line(seen.data() + at, lf - at);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            std::string why;
            if (++number > HEADER_LINES || !parseHeaderLine(number, line, header, why)) return false;
            at = lf + 1;
        }
        return tail.size() <= MAX_LINE_BYTES + 1;
    }

    void writePass() {
        text.clear();
        for (const std::string_view metric : {CPU_METRIC, MEMORY_METRIC}) {
            text += familyHead(metric);
            for (std::size_t place = 0; place < shown.size(); ++place) {
                text += metric;
                text += '{';
                text += labels[place];
                text += "} ";
                if (metric == CPU_METRIC)
                    appendPercentRatio(text, shown[place].cpuPercent);
                else
                    appendKilobytes(text, shown[place].ramKB);
                text += '\n';
            }
        }
        const std::string machineLabels = extra.empty() ? std::string() : "{" + extra.substr(1) + "}";
        text += familyHead(MACHINE_MEMORY_METRIC);
        text += std::string(MACHINE_MEMORY_METRIC) + machineLabels + " ";
        appendInteger(text, machineMemoryBytes(reader.header));
        text += '\n';
        text += familyHead(MACHINE_CLOCK_METRIC);
        text += std::string(MACHINE_CLOCK_METRIC) + machineLabels + " ";
        appendInteger(text, machineClockHertz(reader.header));
        text += '\n';
    }

    bool publish() {
        writePass();
        std::FILE* out = std::fopen(temporary.c_str(), "wb");
        bool ok = out != nullptr;
        if (ok) {
            ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
            ok = std::fclose(out) == 0 && ok;
        }
        std::string why;
        if (ok) ok = os::replaceFile(temporary, target, why);
        if (!ok) {
            std::remove(temporary.c_str());
            report(target + ": cannot write" + (why.empty() ? "" : " (" + why + ")"));
            return false;
        }
        written = true;
        return true;
    }

    void take(const LogRecord& rec) {
        const auto place = static_cast<std::size_t>(rec.place);
        if (place >= current.size()) current.resize(place + 1), labels.resize(place + 1);
        if (labels[place].empty()) labels[place] = processLabels(rec.name, rec.series, extra);
        current[place] = rec;
    }

    // Gives the reader's records to the pass; true when a pass was completed.
    // `failed` on a log that stopped being one.
    bool drain(bool& failed) {
        LogRecord rec;
        ReadResult result;
        bool whole = false;
        while ((result = nextRecord(reader, rec)) == ReadResult::record) {
            ++records;
            take(rec);
            if (static_cast<std::size_t>(rec.place) + 1 == reader.passLength) {
                shown = current;  // records of the next pass may follow in this drain
                whole = true;
            }
        }
        failed = result == ReadResult::failed;
        return whole;
    }

    void removeFiles() {
        std::remove(temporary.c_str());
        if (written && !options.keep) std::remove(target.c_str());
    }
};

}  // namespace

int runFollow(const Options& options) {
    std::error_code ec;
    if (!std::filesystem::is_directory(options.textfileDir, ec)) {
        report(options.textfileDir + ": not a folder");
        return EXIT_INPUT;
    }
    Follower f(options);
    f.target = targetPath(options.textfileDir, options.logs[0]);
    const std::size_t nameAt = f.target.find_last_of(std::string("/") + os::pathSeparator) + 1;
    f.temporary = f.target.substr(0, nameAt) + "." + f.target.substr(nameAt) + ".tmp";  // not *.prom: never read
    f.extra = extraLabels(options.labels);
    const std::string& path = options.logs[0];
    const double waitSeconds = options.waitSeconds;
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);

    // The header: a log that is missing, empty or half-written is waited for.
    const double headerDeadline = os::secondsClock() + waitSeconds;
    double pollSeconds = 0.1;
    for (;;) {
        f.readMore();
        const std::size_t headerLines = static_cast<std::size_t>(std::count(f.seen.begin(), f.seen.end(), '\n'));
        if (headerLines >= HEADER_LINES) break;
        if (!f.seen.empty() || !f.tail.empty()) {
            if (!f.headerStillComing()) {
                LogReader probe;
                openLogBytes(probe, f.seen + f.tail, path);
                report(probe.error.empty() ? path + ": not a Corvane log" : probe.error);
                return EXIT_INPUT;
            }
        }
        if (stopRequested) return 0;
        if (os::secondsClock() >= headerDeadline) {
            report(path + (f.file ? ": no whole log header" : ": no such log") + " after " +
                   std::to_string(options.waitSeconds) + " s");
            return EXIT_INPUT;
        }
        os::pauseMs(static_cast<std::int64_t>(pollSeconds * 1000));
    }
    {
        LogReader first;
        if (!openLogBytes(first, f.seen, path)) return inputFailed(first, nullptr);
        const LogHeader& h = first.header;
        pollSeconds = std::min(0.5, std::max(0.05, pacingIntervalMs(h.intervalMs) / 2000));
    }

    LocalClock clock;
    double lastNews = os::secondsClock();
    std::int64_t plannedRecords = -1;  // once the pass length is known
    std::int32_t plannedPasses = 0;
    std::int64_t plannedEndUnixMs = 0;
    bool headerRead = false;
    bool news = true;
    for (;;) {
        if (news) {
            lastNews = os::secondsClock();
            bool failed = false;
            bool whole = false;
            if (!f.passKnown) {
                // The lines so far, from the start, until the second pass shows the first one's length.
                f.reader = LogReader{};
                f.records = 0;
                if (!openLogBytes(f.reader, f.seen, path)) {
                    f.removeFiles();
                    return inputFailed(f.reader, nullptr);
                }
                if (!headerRead) {
                    headerRead = true;
                    const LogHeader& h = f.reader.header;
                    plannedPasses = plannedPassCount(h.durationSeconds, h.intervalMs) - 1;
                    const double interval = pacingIntervalMs(h.intervalMs);
                    plannedEndUnixMs = clock.unixMs(
                        h, h.startMs + static_cast<std::int64_t>(std::min(1e15, interval * (plannedPasses + 1))));
                    if (plannedPasses <= 0) return 0;  // a session of the header alone
                }
                whole = f.drain(failed);
                f.passKnown =
                    !failed && f.reader.passLength > 0 && f.records > static_cast<std::int64_t>(f.reader.passLength);
                if (f.passKnown) {
                    plannedRecords = std::int64_t{plannedPasses} * static_cast<std::int64_t>(f.reader.passLength);
                    f.seen.clear();
                } else {
                    whole = false;  // the first pass may still grow
                }
            } else {
                // The reader has consumed its bytes: hand it the new ones.
                f.reader.memory = f.seen;
                f.reader.limit = f.seen.size();
                f.reader.consumed = 0;
                f.reader.sourceDone = false;
                whole = f.drain(failed);
                f.seen.clear();
            }
            if (failed) {
                f.removeFiles();
                return inputFailed(f.reader, nullptr);
            }
            if (whole && !f.publish()) {
                f.removeFiles();
                return EXIT_INPUT;
            }
            if (f.passKnown && f.records >= plannedRecords) break;  // every planned pass is written
        }
        const double now = os::secondsClock();
        if (unixNowMs() > plannedEndUnixMs && now - lastNews >= waitSeconds) {
            // Past the plan and silent: the session ended early (or was cut).
            // A first pass never followed by a second is whole now.
            if (!f.passKnown && f.records > 0 && f.reader.passLength > 0 && !f.publish()) {
                f.removeFiles();
                return EXIT_INPUT;
            }
            break;
        }
        if (stopRequested) break;
        os::pauseMs(static_cast<std::int64_t>(pollSeconds * 1000));
        news = f.readMore();
        if (f.tail.size() > MAX_LINE_BYTES + 1) {  // no log line is that long: it is not kept
            report(path + ": more than " + std::to_string(MAX_LINE_BYTES) +
                   " bytes without a line end, not a Corvane log");
            f.removeFiles();
            return EXIT_INPUT;
        }
    }
    f.removeFiles();
    return 0;
}

}  // namespace corvlog
