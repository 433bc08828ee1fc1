#include "log/log_writer.h"

#include <cerrno>
#include <cstring>

#include "figures/clock_text.h"
#include "os/os.h"
#include "state/monitor_state.h"

namespace {

// Decimal with at least `digits` digits, leading zeros (non-negative values).
std::string zeroPadded(int value, std::size_t digits) {
    std::string text = std::to_string(value);
    if (text.size() < digits && value >= 0) text.insert(0, digits - text.size(), '0');
    return text;
}

// The error of the call that just failed; some failures set none.
int lastError() { return errno != 0 ? errno : EIO; }

}  // namespace

void openLog(LogWriter& writer, const std::string& path) {
    writer = LogWriter{};
    errno = 0;
    writer.file = std::fopen(path.c_str(), "wb");
    if (!writer.file) {
        failLog(writer, lastError());
        return;
    }
    // Unbuffered: each commit is one write to the system, never split.
    std::setvbuf(writer.file, nullptr, _IONBF, 0);
}

void failLog(LogWriter& writer, int error) {
    if (!writer.failed) {
        writer.failed = true;
        writer.failure = error;
    }
    if (writer.file) std::fclose(writer.file);
    writer.file = nullptr;
}

std::string logFailureText(const LogWriter& writer) { return std::strerror(writer.failure); }

void commitLog(LogWriter& writer) {
    if (writer.file && !writer.pending.empty()) {
        errno = 0;
        const std::size_t done = std::fwrite(writer.pending.data(), 1, writer.pending.size(), writer.file);
        if (done == writer.pending.size()) {
            writer.committed += done;
        } else {
            const int error = lastError();
            // A disk that filled up may have taken part of the piece (and
            // the count need not say so): cut the file back to what it held,
            // so that it ends after its last whole record.
            os::cutFile(writer.file, writer.committed);
            failLog(writer, error);
        }
    }
    writer.pending.clear();
}

void flushLog(LogWriter& writer) {
    commitLog(writer);
    errno = 0;
    if (writer.file && std::fflush(writer.file) != 0) failLog(writer, lastError());
}

void closeLog(LogWriter& writer) {
    commitLog(writer);
    if (!writer.file) return;
    errno = 0;
    const int closed = std::fclose(writer.file);
    writer.file = nullptr;
    if (closed != 0) failLog(writer, lastError());
}

void writeText(LogWriter& writer, std::string_view text) {
    writer.pending.append(text);
    const std::size_t lastBreak = text.find_last_of("\r\n");
    if (lastBreak == std::string_view::npos) {
        writer.column += static_cast<std::int32_t>(text.size());
    } else {
        writer.column = static_cast<std::int32_t>(text.size() - lastBreak - 1);
    }
}

void padToZone(LogWriter& writer) {
    const std::int32_t spaces = ZONE_WIDTH - writer.column % ZONE_WIDTH;
    writeText(writer, std::string(static_cast<std::size_t>(spaces), ' '));
}

void endLine(LogWriter& writer) { writeText(writer, "\r\n"); }

std::string rightAlign(std::string_view text, std::int32_t width) {
    std::string out;
    if (width > 0 && text.size() < static_cast<std::size_t>(width)) {
        out.assign(static_cast<std::size_t>(width) - text.size(), ' ');
    }
    out.append(text);
    return out;
}

std::string padRight(std::string_view text, std::int32_t width) {
    std::string out(text);
    if (width > 0 && out.size() < static_cast<std::size_t>(width)) {
        out.append(static_cast<std::size_t>(width) - out.size(), ' ');
    }
    return out;
}

void writeLogHeader(LogWriter& writer) {
    const MonitorState& s = monitorState;
    const os::LocalTime now = os::localTime();

    writeText(writer,
              "Log vom " + zeroPadded(now.day, 2) + "." + zeroPadded(now.month, 2) + "." + zeroPadded(now.year, 4));
    padToZone(writer);
    writeText(writer, "Startzeit:  " + zeroPadded(now.hour, 2) + ":" + zeroPadded(now.minute, 2) + ":" +
                          zeroPadded(now.second, 2) + "\r\n");
    endLine(writer);

    writeText(writer, "Dauer:    ");
    padToZone(writer);
    writeText(writer, rightAlign(s.durationText, 8) + "  Sekunden");
    endLine(writer);

    writeText(writer, "Intervall:");
    padToZone(writer);
    writeText(writer, rightAlign(s.intervalText, 8) + "  Millisekunden\r\n");
    endLine(writer);

    writeText(writer, "CPU-Takt: " + clockText(s.cpuClockGHz) + " GHz");
    endLine(writer);

    writeText(writer,
              "Verf\xFC"
              "gbarer Speicher: " +
                  std::to_string(s.totalMemoryMB) + " MB\r\n\r\n");
    endLine(writer);

    flushLog(writer);
}

void writeSampleRecord(LogWriter& writer, std::int32_t row) {
    if (row < 1 || static_cast<std::size_t>(row) >= processTable.size()) return;
    const ProcessEntry& entry = processTable[static_cast<std::size_t>(row)];
    const os::LocalTime now = os::localTime();

    writeText(writer, zeroPadded(now.hour, 2) + ":" + zeroPadded(now.minute, 2) + ":" + zeroPadded(now.second, 2) +
                          ":" + zeroPadded(now.millisecond, 3));
    padToZone(writer);
    writeText(writer, padRight(entry.name, NAME_WIDTH) + rightAlign(std::to_string(entry.cpuPercent), 3) + "% CPU" +
                          rightAlign(std::to_string(entry.ramKB), 17) + " KB RAM\r\n");
    endLine(writer);

    commitLog(writer);  // the record and its empty line in one write
}
