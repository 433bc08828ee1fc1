// The entry of Corvane: command line, first enumeration, then headless or
// windowed mode.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Runs the whole program; ends the process with status 0.
[[noreturn]] void runEntry(int argc, char** argv);

// Where the command line has options (os::commandLineHasOptions: Linux), a
// first argument beginning with '-' is one: --help and -h tell the usage,
// --version and -V the version, on standard output, and end the program
// with status 0; any other is a usage error, one line on standard error and
// status 1. Otherwise (no such argument, or Windows) returns false.
bool answerOption(const std::vector<std::string>& args);
std::string usageText(const std::string& program);

// Start-up steps shared by both modes, up to and including the first
// enumeration: fills the command-line fields of monitorState, firstRow and
// lastRow, and the process table. args[0] is the program itself.
void startUp(const std::vector<std::string>& args);

// ASCII A..Z to a..z; every other byte unchanged.
std::string lowerAscii(const std::string& text);

// The ".txt" rule for the log file argument.
std::string withTxtSuffix(const std::string& name);

// The headless selection's working texts for one row.
std::string pidText(std::int32_t pid);
std::string nameStem(const std::string& name);

// Headless selection: sizes the per-row arrays to the table and marks every
// row whose PID text or name stem occurs in markSpec.
void selectMarkedRows();
