// A process with a long, unmistakable name for the end-to-end tests to find
// in the list and mark; it just waits. Argument: seconds (default 120).
#include <chrono>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
    const long seconds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 120;
    std::this_thread::sleep_for(std::chrono::seconds(seconds > 0 ? seconds : 1));
    return 0;
}
