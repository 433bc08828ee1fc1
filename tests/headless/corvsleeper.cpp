// A process for the headless tests to log, by PID and by name: it only
// waits. Argument: seconds (default 60).
#include <chrono>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
    const long seconds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 60;
    std::this_thread::sleep_for(std::chrono::seconds(seconds > 0 ? seconds : 1));
    return 0;
}
