#include "tests/robust/log_shape.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

// What each of the nine header lines starts with (empty: the line is empty).
const char* const headerStarts[9] = {
    "Log vom ", "", "Dauer:", "Intervall:", "", "CPU-Takt: ", "Verf\xFCgbarer Speicher: ", "", ""};

}  // namespace

LogShape readLogShape(const std::string& path, const std::string& duration, const std::string& interval) {
    LogShape shape;
    std::ifstream in(path, std::ios::binary);
    if (!in) return shape;
    shape.exists = true;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();

    if (!bytes.empty() && (bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0)) {
        shape.problems.push_back("a cut line: the file does not end with CR LF");
    }
    std::size_t at = 0;
    int lines = 0;
    while (lines < 9 && at < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) break;
        const std::string line = bytes.substr(at, end - at);
        const std::string start = headerStarts[lines];
        const bool fits = start.empty() ? line.empty() : line.compare(0, start.size(), start) == 0;
        if (!fits) shape.problems.push_back("header line " + std::to_string(lines + 1) + ": " + line);
        ++lines;
        at = end + 2;
    }
    shape.headerLines = lines;
    shape.headerComplete = lines == 9;
    if (shape.headerComplete) {
        shape.log = readLogFile(path, duration, interval);
        shape.problems.insert(shape.problems.end(), shape.log.problems.begin(), shape.log.problems.end());
    }
    return shape;
}

std::vector<std::string> filesBelow(const std::string& folder) {
    std::vector<std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_regular_file(ec)) out.push_back(fs::relative(it->path(), folder, ec).string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string joinLines(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& i : items) out += (i.size() > 300 ? i.substr(0, 300) + "..." : i) + "\n";
    return out;
}
