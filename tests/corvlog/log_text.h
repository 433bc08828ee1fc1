// Logs for corvlog's tests, byte for byte as the monitor lays them out.
#pragma once

#include <string>

namespace logtext {

inline std::string header(const std::string& date = "09.12.2026", const std::string& start = "05:25:17",
                          const std::string& duration = "4", const std::string& interval = "400",
                          const std::string& clock = "2.39", const std::string& memory = "768") {
    const auto aligned = [](const std::string& t) { return std::string(t.size() < 8 ? 8 - t.size() : 0, ' ') + t; };
    return "Log vom " + date + "          Startzeit:  " + start + "\r\n\r\n" + "Dauer:        " + aligned(duration) +
           "  Sekunden\r\n" + "Intervall:    " + aligned(interval) + "  Millisekunden\r\n\r\n" + "CPU-Takt: " + clock +
           " GHz\r\n" + "Verf\xFCgbarer Speicher: " + memory + " MB\r\n\r\n\r\n";
}

inline std::string recordLine(const std::string& time, const std::string& name, long long cpu, long long ram) {
    const std::string c = std::to_string(cpu), r = std::to_string(ram);
    return time + "  " + name + std::string(name.size() < 35 ? 35 - name.size() : 0, ' ') +
           std::string(c.size() < 3 ? 3 - c.size() : 0, ' ') + c + "% CPU" +
           std::string(r.size() < 17 ? 17 - r.size() : 0, ' ') + r + " KB RAM";
}

// A record line and the empty line after it.
inline std::string record(const std::string& time, const std::string& name, long long cpu, long long ram) {
    return recordLine(time, name, cpu, ram) + "\r\n\r\n";
}

}  // namespace logtext
