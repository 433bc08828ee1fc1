// The log writer: arbitrary texts, names and figures through the header and
// the records, and the file's bytes read back and checked line by line.
//
// Input: duration and interval texts, clock bits, memory figure, start time,
// then records (row number, name, CPU share, working set, time step) until
// the input ends.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "log/log_writer.h"
#include "probe/process_table.h"
#include "state/monitor_state.h"
#include "tests/fake/fake_os.h"

namespace {

// Windows hands over no name or argument with a CR or LF in it, and the
// log's texts go out as they stand, so the fuzzer keeps them out.
std::string withoutLineBreaks(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = static_cast<char>(c ^ 0x40);
    }
    return text;
}

bool isDigits(const std::string& text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) return false;
    for (std::size_t k = at; k < at + count; ++k) {
        if (text[k] < '0' || text[k] > '9') return false;
    }
    return true;
}

int number(const std::string& text, std::size_t at, std::size_t count) {
    return std::atoi(text.substr(at, count).c_str());
}

// Splits at CR LF after checking that no CR or LF stands alone.
std::vector<std::string> crlfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        const char c = bytes[k];
        if (c == '\n') FUZZ_CHECK(false && "LF without CR");
        if (c == '\r') {
            FUZZ_CHECK(k + 1 < bytes.size() && bytes[k + 1] == '\n');
            lines.push_back(line);
            line.clear();
            ++k;
            continue;
        }
        line.push_back(c);
    }
    FUZZ_CHECK(line.empty());  // the file ends with CR LF
    return lines;
}

// `text` right-aligned in `width` columns, never cut: checks and returns
// the columns it took.
std::size_t checkRightAligned(const std::string& line, std::size_t at, const std::string& text, std::size_t width) {
    const std::size_t spaces = text.size() < width ? width - text.size() : 0;
    FUZZ_CHECK(line.size() >= at + spaces + text.size());
    FUZZ_CHECK(line.compare(at, spaces, std::string(spaces, ' ')) == 0);
    FUZZ_CHECK(line.compare(at + spaces, text.size(), text) == 0);
    return spaces + text.size();
}

struct Record {
    std::string name;
    std::int32_t cpu;
    std::int32_t ram;
};

std::FILE* scratchFile() {
    static std::FILE* file = std::tmpfile();
    if (!file) std::abort();
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    fakeos::reset();
    resetMonitorState();

    MonitorState& s = monitorState;
    s.durationText = withoutLineBreaks(in.text(12));
    s.intervalText = withoutLineBreaks(in.text(12));
    const std::uint32_t clockBits = in.u32();
    float clock = 0;
    std::memcpy(&clock, &clockBits, sizeof clock);
    s.cpuClockGHz = clock;
    s.totalMemoryMB = in.edgyInt(0, 65536);
    // Any time the system can report (its years run from 1601 to 30827).
    os::LocalTime& start = fakeos::state().startTime;
    start = {1601 + static_cast<int>(in.u32() % 29227),
             1 + in.byte() % 12,
             1 + in.byte() % 28,
             in.byte() % 24,
             in.byte() % 60,
             in.byte() % 60,
             static_cast<int>(in.u32() % 1000)};
    const os::LocalTime headerTime = start;

    std::FILE* file = scratchFile();
    FUZZ_CHECK(ftruncate(fileno(file), 0) == 0);
    std::rewind(file);
    LogWriter writer;
    writer.file = file;

    writeLogHeader(writer);
    FUZZ_CHECK(writer.pending.empty() && writer.column == 0);

    std::vector<Record> written;
    while (!in.done() && written.size() < 200) {
        // Rows past the table, zero and negative ones write nothing.
        const std::int32_t row = in.edgyInt(-1, 4);
        Record r{in.text(60), in.edgyInt(0, 1500), in.edgyInt(0, 1 << 24)};
        r.name = withoutLineBreaks(r.name);
        if (processTable.size() < 5) processTable.resize(5);
        if (row >= 1 && row < static_cast<std::int32_t>(processTable.size())) {
            processTable[static_cast<std::size_t>(row)] = ProcessEntry{r.name, 1, r.cpu, r.ram};
            written.push_back(r);
        }
        fakeos::advance(in.byte() * 0.001);
        writeSampleRecord(writer, row);
        FUZZ_CHECK(writer.pending.empty() && writer.column == 0);
    }
    flushLog(writer);

    std::string bytes;
    std::rewind(file);
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    const std::vector<std::string> lines = crlfLines(bytes);
    FUZZ_CHECK(lines.size() == 9 + 2 * written.size());

    // Header: zones of 14, texts whole, figures as they are.
    char date[32], time[32];
    std::snprintf(date, sizeof date, "Log vom %02d.%02d.%04d", headerTime.day, headerTime.month, headerTime.year);
    std::snprintf(time, sizeof time, "Startzeit:  %02d:%02d:%02d", headerTime.hour, headerTime.minute,
                  headerTime.second);
    const std::size_t dateLength = std::strlen(date);
    FUZZ_CHECK(lines[0] == date + std::string(14 - dateLength % 14, ' ') + time);
    FUZZ_CHECK(lines[1].empty());
    FUZZ_CHECK(lines[2].compare(0, 14, "Dauer:        ") == 0);
    std::size_t used = checkRightAligned(lines[2], 14, s.durationText, 8);
    FUZZ_CHECK(lines[2].substr(14 + used) == "  Sekunden");
    FUZZ_CHECK(lines[3].compare(0, 14, "Intervall:    ") == 0);
    used = checkRightAligned(lines[3], 14, s.intervalText, 8);
    FUZZ_CHECK(lines[3].substr(14 + used) == "  Millisekunden");
    FUZZ_CHECK(lines[4].empty());

    const std::string clockLine = lines[5];
    FUZZ_CHECK(clockLine.size() > 14 && clockLine.compare(0, 10, "CPU-Takt: ") == 0);
    FUZZ_CHECK(clockLine.compare(clockLine.size() - 4, 4, " GHz") == 0);
    const std::string clockText = clockLine.substr(10, clockLine.size() - 14);
    FUZZ_CHECK(!clockText.empty() && clockText.back() != '.');
    if (std::isfinite(clock)) {
        // Seven significant digits: within half a unit of the seventh.
        const double back = std::strtod(clockText.c_str(), nullptr);
        FUZZ_CHECK(std::fabs(back - clock) <= std::fabs(static_cast<double>(clock)) * 5.0000001e-7);
        FUZZ_CHECK(clockText.find_first_not_of("0123456789.e+-") == std::string::npos);
    }
    FUZZ_CHECK(lines[6] ==
               "Verf\xFC"
               "gbarer Speicher: " +
                   std::to_string(s.totalMemoryMB) + " MB");
    FUZZ_CHECK(lines[7].empty() && lines[8].empty());

    // Records: a valid time stamp, two spaces, the whole name in at least 35
    // columns, the share in at least 3, the working set in at least 17.
    for (std::size_t k = 0; k < written.size(); ++k) {
        const std::string& line = lines[9 + 2 * k];
        const Record& r = written[k];
        FUZZ_CHECK(lines[10 + 2 * k].empty());
        FUZZ_CHECK(isDigits(line, 0, 2) && line[2] == ':' && isDigits(line, 3, 2) && line[5] == ':' &&
                   isDigits(line, 6, 2) && line[8] == ':' && isDigits(line, 9, 3));
        FUZZ_CHECK(number(line, 0, 2) < 24 && number(line, 3, 2) < 60 && number(line, 6, 2) < 60);
        FUZZ_CHECK(line.compare(12, 2, "  ") == 0);
        FUZZ_CHECK(line.compare(14, r.name.size(), r.name) == 0);
        std::size_t at = 14 + r.name.size();
        if (r.name.size() < 35) {
            FUZZ_CHECK(line.compare(at, 35 - r.name.size(), std::string(35 - r.name.size(), ' ')) == 0);
            at = 14 + 35;
        }
        at += checkRightAligned(line, at, std::to_string(r.cpu), 3);
        FUZZ_CHECK(line.compare(at, 5, "% CPU") == 0);
        at += 5;
        at += checkRightAligned(line, at, std::to_string(r.ram), 17);
        FUZZ_CHECK(line.substr(at) == " KB RAM");
    }
    return 0;
}
