// Scratch files for the log tests: a fresh folder per test, read back byte
// for byte.
#pragma once

#include <string>

// A new empty folder under the system's temporary folder (native separators,
// no trailing separator).
std::string freshFolder(const std::string& name);
// folder + separator + name.
std::string inFolder(const std::string& folder, const std::string& name);
// The whole file, or "<missing>" when it cannot be read.
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
