// The programs under test and the process they log, handed over on the
// command line of the robustness test binary.
#pragma once

#include <cstdint>
#include <string>

namespace robust {

extern std::string corvane;      // native path of the built program
extern std::string sleeper;      // native path of the waiting process
extern std::string sleeperName;  // its name as the process table shows it
extern std::string flash;        // a program that ends at once

#ifdef _WIN32
constexpr bool onWindows = true;
// Starting a program under Wine takes a good deal longer.
constexpr int watchdogSeconds = 40;
#else
constexpr bool onWindows = false;
constexpr int watchdogSeconds = 20;
#endif

// A new empty scratch folder whose name no other run of these tests uses
// (several builds may run them at once).
std::string scratch(const std::string& name);

// The PID as the selection compares it: decimal, zeros up to four digits.
std::string pidText(std::int32_t pid);

}  // namespace robust
