#include "tests/log/log_test_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "os/os.h"

namespace fs = std::filesystem;

std::string freshFolder(const std::string& name) {
    const fs::path folder = fs::temp_directory_path() / ("corv-log-test-" + name);
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder);
    std::string text = folder.string();
    while (!text.empty() && (text.back() == '/' || text.back() == '\\')) text.pop_back();
    return text;
}

std::string inFolder(const std::string& folder, const std::string& name) { return folder + os::pathSeparator + name; }

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}
