// The CPU clock figure as text, the same on the gauge and in the log header.
#pragma once

#include <string>

// "%.7g" of the widened value, with a trailing "." removed.
std::string clockText(float gigahertz);
