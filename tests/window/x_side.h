// The X server's side of the window tests: shell commands (xdotool,
// xwininfo, import) run against the private Xvfb display and their output
// read back. Under Wine the commands are Unix programs started through the
// Windows process API, which Wine hands to the host system.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xside {

// True when the test runs on the private display the wrapper started.
bool available();

// Runs a shell command line and returns what it printed (stdout and
// stderr), or "" after 20 seconds.
std::string shell(const std::string& command);

std::string trim(const std::string& text);

// The id of the first visible window titled exactly `title`, "" if none
// shows up within `waitMs`.
std::string findWindow(const std::string& title, int waitMs = 5000);

struct Geometry {
    int x = -1, y = -1, width = -1, height = -1;
    bool viewable = false;
};
Geometry geometry(const std::string& id);

// A screenshot of the whole display; pixels 0xRRGGBB, 0xFFFFFFFF outside.
struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const;
};
Picture screenshot(const std::string& pngCopy = "");

}  // namespace xside
