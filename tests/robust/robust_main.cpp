// Usage: test_robust_headless <Corvane> <robustsleeper> <robustflash> [gtest flags]
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "tests/headless/child_process.h"
#include "tests/robust/robust_programs.h"

namespace robust {

std::string corvane;
std::string sleeper;
std::string sleeperName;
std::string flash;

std::string scratch(const std::string& name) {
    static const std::string tag = std::to_string(std::random_device{}());
    return scratchFolder("robust-" + name + "-" + tag);
}

std::string pidText(std::int32_t pid) {
    std::string text = std::to_string(pid);
    if (text.size() < 4) text.insert(0, 4 - text.size(), '0');
    return text;
}

}  // namespace robust

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <Corvane> <robustsleeper> <robustflash>\n", argv[0]);
        return 2;
    }
    // Absolute: the runs are started in folders of their own.
    robust::corvane = nativePath(std::filesystem::absolute(argv[1]).string());
    robust::sleeper = nativePath(std::filesystem::absolute(argv[2]).string());
    robust::flash = nativePath(std::filesystem::absolute(argv[3]).string());
    robust::sleeperName = std::filesystem::path(argv[2]).filename().string();
    return RUN_ALL_TESTS();
}
