#include "figures/clock_text.h"

#include <algorithm>
#include <cstdio>

std::string clockText(float gigahertz) {
    char buffer[48];
    const int n = std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(gigahertz));
    std::string text(buffer, n > 0 ? std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buffer - 1) : 0);
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}
