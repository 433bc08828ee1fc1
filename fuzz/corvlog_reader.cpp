// corvlog's log reader, two ways.
//
// Odd first byte: a session written by Corvane's own log writer (on the
// scripted OS) with fuzzed names, figures, start time and pass timing paced
// as the monitor paces it (passes that take from no time to longer than
// the interval, jitter and stalls; whole sessions and sessions ended
// early), read back: every record must come back with its name, figures,
// place, series, pass and time (over midnight too), and a pass length
// other than the session's never without a note. Names avoid the layouts the format
// cannot tell apart (a trailing blank; a name of 35 bytes or more ending in
// '-' before a three-digit share; a name longer than 35 bytes with a blank
// as its 35th byte, which reads as padding); shares stay below 1000 as the
// monitor's do.
//
// Even first byte: arbitrary bytes behind an optional valid header. The
// reader must end, with records or with one error line, holding a bounded
// number of records, and every record must be consistent with its pass.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "corvlog/log_reader.h"
#include "fuzz/fuzz_input.h"
#include "log/log_writer.h"
#include "probe/process_table.h"
#include "state/monitor_state.h"
#include "tests/fake/fake_os.h"

namespace {

using namespace corvlog;

std::string cleanName(std::string name) {
    for (char& c : name) {
        if (c == '\r' || c == '\n' || c == '\0') c = 'x';
    }
    while (!name.empty() && name.back() == ' ') name.back() = 'y';
    if (name.size() >= 35 && name.back() == '-') name.back() = 'z';
    // 35 bytes and a blank, then digits: the bytes of a padded name.
    if (name.size() > 35 && name[34] == ' ') name[34] = 'w';
    return name;
}

std::FILE* scratchFile() {
    static std::FILE* file = std::tmpfile();
    if (!file) std::abort();
    return file;
}

// The duration text that makes the header's session write `passes` passes
// of `interval` ms: nearest(D × 1000 / interval + 1) − 1 = passes.
std::string durationFor(std::int64_t passes, std::int64_t interval) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", static_cast<double>(passes) * static_cast<double>(interval) / 1000.0);
    return text;
}

void structured(fuzz::Input& in) {
    fakeos::reset();
    resetMonitorState();
    const int names = 1 + in.byte() % 4;
    const std::int64_t interval = 2 + static_cast<std::int64_t>(in.u32() % 3'600'000);
    MonitorState& s = monitorState;
    s.intervalText = std::to_string(interval);
    s.cpuClockGHz = 2.39f;
    s.totalMemoryMB = 768;
    fakeos::state().startTime = {2000 + in.byte() % 100,
                                 1 + in.byte() % 12,
                                 1 + in.byte() % 28,
                                 in.byte() % 24,
                                 in.byte() % 60,
                                 in.byte() % 60,
                                 0};
    fakeos::state().clock = 1000.0;
    fakeos::state().clockReadSeconds = 0;
    const os::LocalTime start = fakeos::state().startTime;
    const std::int64_t startMs = ((start.hour * 60 + start.minute) * 60 + start.second) * 1000LL;

    processTable.assign(static_cast<std::size_t>(names) + 1, ProcessEntry{});
    for (int i = 1; i <= names; ++i) {
        // Often the same name twice: two series.
        processTable[static_cast<std::size_t>(i)].name =
            i > 1 && in.byte() % 2 ? processTable[static_cast<std::size_t>(i - 1)].name : cleanName(in.text(48));
    }
    const int passes = 1 + in.byte() % 8;
    // Mostly a session that runs to its end; else one ended early (the
    // space key in the window, a kill), which the header cannot tell.
    const std::int64_t sessionPasses = in.byte() % 4 != 0 ? passes : passes + 1 + in.byte() % 8;
    s.durationText = durationFor(sessionPasses, interval);
    std::FILE* file = scratchFile();
    FUZZ_CHECK(ftruncate(fileno(file), 0) == 0);
    std::rewind(file);
    LogWriter writer;
    writer.file = file;
    writeLogHeader(writer);

    struct Expected {
        std::string name;
        std::int32_t cpu, ram;
        std::int64_t timeMs;
    };
    std::vector<Expected> expected;
    // The sampling work of a pass, as the monitor's rows take it: before
    // each marked row and after the last one, so that a pass takes from no
    // time to one and a half intervals (overrunning the interval, when the
    // next pass starts at once, as log/log_session.cpp paces them). Each
    // record is a little late or early; with stalls, now and then by up to
    // an interval.
    std::vector<std::int64_t> work(static_cast<std::size_t>(names) + 1);
    for (std::int64_t& w : work) w = in.u32() % (interval * 3 / (2 * (names + 1)) + 1);
    const bool stalls = in.byte() % 2;
    std::int64_t passWork = 0;
    for (const std::int64_t w : work) passWork += w;
    // Header, priming pass and pause, then the unwritten first pass.
    std::int64_t passStart = passWork + interval;
    std::int64_t passEnd = passStart + passWork;
    int passesWritten = 0;  // fewer than `passes` when the input runs out
    for (int pass = 0; pass < passes && !in.done(); ++pass, ++passesWritten) {
        passStart = std::max(passStart + interval, passEnd);
        std::int64_t within = passStart;
        for (int i = 1; i <= names; ++i) {
            within += work[static_cast<std::size_t>(i) - 1] + in.byte() % (interval / 16 + 1);
            if (stalls && in.byte() % 8 == 0) within += in.u32() % interval;
            fakeos::state().clock = 1000.0 + static_cast<double>(within) / 1000.0;
            ProcessEntry& e = processTable[static_cast<std::size_t>(i)];
            e.cpuPercent = static_cast<std::int32_t>(in.u32() % 1000);
            e.ramKB = in.edgyInt(0, 1 << 24);
            writeSampleRecord(writer, i);
            expected.push_back({e.name, e.cpuPercent, e.ramKB, startMs + within});
        }
        passEnd = within + work.back();
    }

    flushLog(writer);
    std::string written;
    std::rewind(file);
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) written.append(buffer, got);

    LogReader reader;
    FUZZ_CHECK(openLogBytes(reader, written, "fuzz.txt"));
    FUZZ_CHECK(reader.header.intervalMs == static_cast<double>(interval));
    FUZZ_CHECK(writtenPasses(reader.header) == sessionPasses);
    LogRecord rec;
    std::vector<LogRecord> read;
    ReadResult result;
    while ((result = nextRecord(reader, rec)) == ReadResult::record) read.push_back(rec);
    if (result != ReadResult::end) std::fprintf(stderr, "%s\n", reader.error.c_str());
    FUZZ_CHECK(result == ReadResult::end);
    FUZZ_CHECK(read.size() == expected.size());
    FUZZ_CHECK(reader.note.empty());
    const bool wholeSession = passesWritten == sessionPasses;
    if (read.empty()) return;
    // Never merged silently: a pass length other than the session's comes
    // with a note naming it. A whole session whose records keep to their
    // schedule within a sixteenth of an interval is always read right.
    const auto length = static_cast<std::size_t>(names);
    if (std::getenv("FUZZ_DEBUG")) {  // what the session was and how it was read
        std::fprintf(stderr, "%d names, %d of %lld passes, interval %lld, stalls %d: read as %zu; %s\n%s\n", names,
                     passesWritten, static_cast<long long>(sessionPasses), static_cast<long long>(interval), stalls,
                     reader.passLength, reader.passNote.c_str(), written.substr(0, 2000).c_str());
    }
    if (wholeSession && !stalls) FUZZ_CHECK(reader.passLength == length && reader.passNote.empty());
    if (reader.passLength != length) {
        if (reader.passNote.empty()) {
            // Only a session ended early can look like a whole session of
            // another pass length, or like passes that keep to the schedule.
            FUZZ_CHECK(!wholeSession);
        } else {
            FUZZ_CHECK(reader.passNote.find("read as passes of " + std::to_string(reader.passLength) + " record") !=
                       std::string::npos);
        }
    }
    for (std::size_t k = 0; k < read.size(); ++k) {
        const Expected& e = expected[k];
        const LogRecord& r = read[k];
        if (r.name != e.name) {
            std::fprintf(stderr, "record %zu: read \"%s\" (%zu bytes), written \"%s\" (%zu bytes)\n", k, r.name.c_str(),
                         r.name.size(), e.name.c_str(), e.name.size());
        }
        FUZZ_CHECK(r.name == e.name);
        FUZZ_CHECK(r.cpuPercent == e.cpu);
        FUZZ_CHECK(r.ramKB == e.ram);
        const std::size_t n = reader.passLength;
        FUZZ_CHECK(r.place == static_cast<std::int32_t>(k % n));
        FUZZ_CHECK(r.pass == static_cast<std::int64_t>(k / n) + 1);
        std::int32_t series = 1;
        for (std::size_t j = 0; j < k % n; ++j) series += expected[j].name == e.name;
        FUZZ_CHECK(r.series == series);
        if (n == length) FUZZ_CHECK(r.timeMs == e.timeMs);
    }
}

void arbitrary(fuzz::Input& in, const std::uint8_t* data, std::size_t size) {
    std::string bytes;
    if (in.byte() % 2) {
        bytes =
            "Log vom 09.12.2026          Startzeit:  23:59:58\r\n\r\nDauer:               4  Sekunden\r\n"
            "Intervall:         400  Millisekunden\r\n\r\nCPU-Takt: 2.39 GHz\r\n"
            "Verf\xFCgbarer Speicher: 768 MB\r\n\r\n\r\n";
    }
    bytes.append(reinterpret_cast<const char*>(data) + 2, size > 2 ? size - 2 : 0);
    LogReader reader;
    if (!openLogBytes(reader, bytes, "fuzz.txt")) {
        FUZZ_CHECK(!reader.error.empty() && reader.error.find('\n') == std::string::npos);
        return;
    }
    LogRecord rec;
    ReadResult result;
    std::int64_t count = 0, lastLine = 0;
    while ((result = nextRecord(reader, rec)) == ReadResult::record) {
        FUZZ_CHECK(reader.passLength > 0 && static_cast<std::size_t>(rec.place) < reader.passLength);
        FUZZ_CHECK(rec.series >= 1 && rec.series <= rec.place + 1);
        FUZZ_CHECK(rec.pass == count / static_cast<std::int64_t>(reader.passLength) + 1);
        FUZZ_CHECK(rec.timeMs >= 0 && rec.line > lastLine);
        FUZZ_CHECK(rec.name == reader.passNames[static_cast<std::size_t>(rec.place)]);
        FUZZ_CHECK(reader.held.size() <= MAX_HELD_RECORDS);
        lastLine = rec.line;
        ++count;
    }
    FUZZ_CHECK(count <= reader.lineNumber);
    FUZZ_CHECK((result == ReadResult::failed) == !reader.error.empty());
    FUZZ_CHECK(reader.error.find('\n') == std::string::npos && reader.note.find('\n') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    if (in.byte() % 2) {
        structured(in);
    } else {
        arbitrary(in, data, size);
    }
    return 0;
}
