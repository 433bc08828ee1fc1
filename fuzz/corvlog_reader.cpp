// corvlog's log reader, two ways.
//
// Odd first byte: a session written by Corvane's own log writer (on the
// scripted OS) with fuzzed names, figures, pass timing and start time, read
// back: every record must come back with its name, figures, place, series,
// pass and time (over midnight too). Names avoid the layouts the format
// cannot tell apart (a trailing blank; a name of 35 bytes or more ending in
// '-' before a three-digit share; a name longer than 35 bytes with a blank
// as its 35th byte, which reads as padding); shares stay below 1000 as the
// monitor's do.
//
// Even first byte: arbitrary bytes behind an optional valid header. The
// reader must end, with records or with one error line, holding at most one
// pass, and every record must be consistent with its pass.
#include <unistd.h>

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

void structured(fuzz::Input& in) {
    fakeos::reset();
    resetMonitorState();
    const int names = 1 + in.byte() % 4;
    const std::int64_t interval = 2 + static_cast<std::int64_t>(in.u32() % 3'600'000);
    MonitorState& s = monitorState;
    s.durationText = "10";
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
    const std::int64_t step = interval / (2 * names + 1);
    std::int64_t elapsed = 2 * interval;  // the priming pause and the first pass
    const int passes = 1 + in.byte() % 6;
    for (int pass = 0; pass < passes && !in.done(); ++pass) {
        std::int64_t offset = 0;  // records of a pass follow each other quickly
        for (int i = 1; i <= names; ++i) {
            if (i > 1) offset += in.byte() % (step + 1);
            const std::int64_t within = elapsed + offset;
            fakeos::state().clock = 1000.0 + static_cast<double>(within) / 1000.0;
            ProcessEntry& e = processTable[static_cast<std::size_t>(i)];
            e.cpuPercent = static_cast<std::int32_t>(in.u32() % 1000);
            e.ramKB = in.edgyInt(0, 1 << 24);
            writeSampleRecord(writer, i);
            expected.push_back({e.name, e.cpuPercent, e.ramKB, startMs + within});
        }
        elapsed += interval;
    }

    flushLog(writer);
    std::string written;
    std::rewind(file);
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) written.append(buffer, got);

    LogReader reader;
    FUZZ_CHECK(openLogBytes(reader, written, "fuzz.txt"));
    FUZZ_CHECK(reader.header.intervalMs == static_cast<double>(interval));
    LogRecord rec;
    std::size_t k = 0;
    ReadResult result;
    while ((result = nextRecord(reader, rec)) == ReadResult::record) {
        FUZZ_CHECK(k < expected.size());
        const Expected& e = expected[k];
        if (rec.name != e.name) {
            std::fprintf(stderr, "record %zu: read \"%s\" (%zu bytes), written \"%s\" (%zu bytes)\n", k,
                         rec.name.c_str(), rec.name.size(), e.name.c_str(), e.name.size());
        }
        FUZZ_CHECK(rec.name == e.name);
        FUZZ_CHECK(rec.cpuPercent == e.cpu);
        FUZZ_CHECK(rec.ramKB == e.ram);
        FUZZ_CHECK(rec.timeMs == e.timeMs);
        FUZZ_CHECK(rec.place == static_cast<std::int32_t>(k % static_cast<std::size_t>(names)));
        FUZZ_CHECK(rec.pass == static_cast<std::int64_t>(k / static_cast<std::size_t>(names)) + 1);
        std::int32_t series = 1;
        for (std::size_t j = 0; j < k % static_cast<std::size_t>(names); ++j) series += expected[j].name == e.name;
        FUZZ_CHECK(rec.series == series);
        ++k;
    }
    if (result != ReadResult::end) std::fprintf(stderr, "%s\n", reader.error.c_str());
    FUZZ_CHECK(result == ReadResult::end);
    FUZZ_CHECK(k == expected.size());
    FUZZ_CHECK(reader.note.empty());
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
        FUZZ_CHECK(reader.firstPass.size() <= MAX_PASS_RECORDS + 1);
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
