#include "tests/headless/log_file_check.h"

#include <fstream>
#include <iterator>

namespace {

bool digits(const std::string& s, std::size_t from, std::size_t count) {
    if (s.size() < from + count) return false;
    for (std::size_t i = from; i < from + count; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
    }
    return true;
}

// A right-aligned number field: spaces, then at least one digit.
bool alignedNumber(const std::string& field, long& value) {
    std::size_t at = field.find_first_not_of(' ');
    if (at == std::string::npos) return false;
    if (!digits(field, at, field.size() - at)) return false;
    value = std::stol(field.substr(at));
    return true;
}

bool isTime(const std::string& s) {
    return s.size() == 12 && digits(s, 0, 2) && s[2] == ':' && digits(s, 3, 2) && s[5] == ':' && digits(s, 6, 2) &&
           s[8] == ':' && digits(s, 9, 3);
}

void checkHeader(LogFile& log, const std::string& duration, const std::string& interval) {
    const std::vector<std::string>& h = log.header;
    auto problem = [&](const std::string& what) { log.problems.push_back(what); };
    const std::string& l1 = h[0];
    if (!(l1.size() == 48 && l1.compare(0, 8, "Log vom ") == 0 && digits(l1, 8, 2) && l1[10] == '.' &&
          digits(l1, 11, 2) && l1[13] == '.' && digits(l1, 14, 4) && l1.compare(18, 10, std::string(10, ' ')) == 0 &&
          l1.compare(28, 12, "Startzeit:  ") == 0 && digits(l1, 40, 2) && l1[42] == ':' && digits(l1, 43, 2) &&
          l1[45] == ':' && digits(l1, 46, 2))) {
        problem("line 1: " + l1);
    }
    auto rightAligned = [](const std::string& t) { return t.size() >= 8 ? t : std::string(8 - t.size(), ' ') + t; };
    if (h[2] != "Dauer:        " + rightAligned(duration) + "  Sekunden") problem("line 3: " + h[2]);
    if (h[3] != "Intervall:    " + rightAligned(interval) + "  Millisekunden") problem("line 4: " + h[3]);
    const std::string clock = h[5];
    if (!(clock.size() > 14 && clock.compare(0, 10, "CPU-Takt: ") == 0 &&
          clock.compare(clock.size() - 4, 4, " GHz") == 0)) {
        problem("line 6: " + clock);
    }
    const std::string memoryLabel = "Verf\xFCgbarer Speicher: ";
    const std::string& memory = h[6];
    long mb = 0;
    if (!(memory.size() > memoryLabel.size() + 3 && memory.compare(0, memoryLabel.size(), memoryLabel) == 0 &&
          memory.compare(memory.size() - 3, 3, " MB") == 0 &&
          alignedNumber(memory.substr(memoryLabel.size(), memory.size() - memoryLabel.size() - 3), mb) && mb > 0)) {
        problem("line 7: " + memory);
    }
    for (int empty : {1, 4, 7, 8}) {
        if (!h[static_cast<std::size_t>(empty)].empty()) problem("line " + std::to_string(empty + 1) + " not empty");
    }
}

void checkRecord(LogFile& log, const std::string& line) {
    LogRecord r;
    const std::size_t cpuMark = line.find("% CPU");
    // Names of up to 35 bytes give the fixed columns of the format.
    if (!(line.size() == 81 && isTime(line.substr(0, 12)) && line.compare(12, 2, "  ") == 0 && cpuMark == 52 &&
          line.compare(74, 7, " KB RAM") == 0 && alignedNumber(line.substr(49, 3), r.cpuPercent) &&
          alignedNumber(line.substr(57, 17), r.ramKB))) {
        // A longer name shifts the fields; it must still hold them all.
        if (!(line.size() > 81 && cpuMark != std::string::npos && isTime(line.substr(0, 12)))) {
            log.problems.push_back("record: " + line);
            return;
        }
    }
    r.time = line.substr(0, 12);
    const std::string field = line.substr(14, cpuMark >= 17 ? cpuMark - 3 - 14 : 0);
    r.name = field.substr(0, field.find_last_not_of(' ') + 1);
    log.records.push_back(r);
}

}  // namespace

LogFile readLogFile(const std::string& path, const std::string& duration, const std::string& interval) {
    LogFile log;
    std::ifstream in(path, std::ios::binary);
    if (!in) return log;
    log.exists = true;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) {
            log.problems.push_back("the file does not end with CR LF");
            break;
        }
        const std::string line = bytes.substr(at, end - at);
        if (line.find_first_of("\r\n") != std::string::npos) log.problems.push_back("a lone CR or LF");
        lines.push_back(line);
        at = end + 2;
    }
    if (lines.size() < 9) {
        log.problems.push_back("header of " + std::to_string(lines.size()) + " lines");
        return log;
    }
    log.header.assign(lines.begin(), lines.begin() + 9);
    checkHeader(log, duration, interval);
    for (std::size_t i = 9; i < lines.size(); i += 2) {
        checkRecord(log, lines[i]);
        if (i + 1 >= lines.size() || !lines[i + 1].empty()) log.problems.push_back("record without its empty line");
    }
    return log;
}

int countRecords(const LogFile& log, const std::string& name) {
    int n = 0;
    for (const LogRecord& r : log.records) n += r.name == name;
    return n;
}
