#include "tests/window/x_side.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace xside {
namespace {

#ifdef _WIN32
int processId() { return static_cast<int>(GetCurrentProcessId()); }
// Unix paths seen from the Windows side: Wine maps the root to drive Z:.
std::string hostPath(const std::string& unixPath) { return "Z:" + unixPath; }
#else
int processId() { return static_cast<int>(getpid()); }
std::string hostPath(const std::string& unixPath) { return unixPath; }
#endif

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

#ifdef _WIN32
bool exists(const std::string& path) { return std::ifstream(path, std::ios::binary).good(); }
#endif

}  // namespace

bool available() {
    const char* flag = std::getenv("CORV_TEST_XVFB");
    return flag != nullptr && std::string(flag) == "1" && std::getenv("DISPLAY") != nullptr;
}

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string shell(const std::string& command) {
#ifdef _WIN32
    // Wine starts Unix programs but gives no handle to wait on: the script
    // renames its output into place when done, and that is waited for.
    static int counter = 0;
    const std::string base = "/tmp/corv-window-" + std::to_string(processId()) + "-" + std::to_string(++counter);
    {
        std::ofstream script(hostPath(base + ".sh"), std::ios::binary);
        script << "{ " << command << "\n} >" << base << ".tmp 2>&1\nmv " << base << ".tmp " << base << ".out\n";
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = "/bin/sh " + base + ".sh";
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return "";
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!exists(hostPath(base + ".out")) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const std::string out = readFile(hostPath(base + ".out"));
    std::remove(hostPath(base + ".sh").c_str());
    std::remove(hostPath(base + ".out").c_str());
    return out;
#else
    const std::string line = "timeout 20 sh -c '" + command + "' 2>&1";
    // Single quotes inside the command would end the quoting above.
    if (command.find('\'') != std::string::npos) return "";
    FILE* pipe = popen(line.c_str(), "r");
    if (pipe == nullptr) return "";
    std::string out;
    char buffer[4096];
    while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    pclose(pipe);
    return out;
#endif
}

std::string findWindow(const std::string& title, int waitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    do {
        const std::string out = trim(shell("xdotool search --onlyvisible --name \"^" + title + "\\$\" | head -n1"));
        if (!out.empty() && out.find_first_not_of("0123456789") == std::string::npos) return out;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < deadline);
    return "";
}

Geometry geometry(const std::string& id) {
    Geometry g;
    std::istringstream in(shell("xwininfo -id " + id));
    std::string line;
    auto number = [](const std::string& text) { return std::atoi(text.substr(text.find(':') + 1).c_str()); };
    while (std::getline(in, line)) {
        line = trim(line);
        if (line.rfind("Absolute upper-left X:", 0) == 0) g.x = number(line);
        if (line.rfind("Absolute upper-left Y:", 0) == 0) g.y = number(line);
        if (line.rfind("Width:", 0) == 0) g.width = number(line);
        if (line.rfind("Height:", 0) == 0) g.height = number(line);
        if (line.rfind("Map State:", 0) == 0) g.viewable = line.find("IsViewable") != std::string::npos;
    }
    return g;
}

std::uint32_t Picture::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFFu;
    return pixels[static_cast<std::size_t>(y) * width + x];
}

Picture screenshot(const std::string& pngCopy) {
    const std::string path = "/tmp/corv-window-shot-" + std::to_string(processId()) + ".ppm";
    std::string command = "import -window root -depth 8 ppm:" + path;
    if (!pngCopy.empty()) command += " && import -window root png:" + pngCopy;
    shell(command);
    const std::string data = readFile(hostPath(path));
    std::remove(hostPath(path).c_str());

    // Binary PPM: "P6", width, height, maximum, one whitespace, RGB triples
    // of one byte per sample, or two (most significant first) above 255.
    Picture picture;
    std::size_t pos = 0;
    auto field = [&]() {
        while (pos < data.size()) {
            if (data[pos] == '#') {
                while (pos < data.size() && data[pos] != '\n') ++pos;
            } else if (std::isspace(static_cast<unsigned char>(data[pos]))) {
                ++pos;
            } else {
                break;
            }
        }
        const std::size_t start = pos;
        while (pos < data.size() && !std::isspace(static_cast<unsigned char>(data[pos]))) ++pos;
        return data.substr(start, pos - start);
    };
    if (field() != "P6") return picture;
    const int width = std::atoi(field().c_str());
    const int height = std::atoi(field().c_str());
    const int maximum = std::atoi(field().c_str());
    ++pos;
    const std::size_t sample = maximum > 255 ? 2 : 1;
    if (width <= 0 || height <= 0 || maximum <= 0 || maximum > 65535 ||
        data.size() < pos + 3 * sample * width * height) {
        return picture;
    }
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<std::size_t>(width) * height);
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data() + pos);
    auto channel = [&](std::size_t index) {
        const unsigned value = sample == 2 ? (bytes[2 * index] << 8) | bytes[2 * index + 1] : bytes[index];
        return static_cast<std::uint32_t>((value * 255 + maximum / 2) / maximum);
    };
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        picture.pixels[i] = (channel(3 * i) << 16) | (channel(3 * i + 1) << 8) | channel(3 * i + 2);
    }
    return picture;
}

}  // namespace xside
