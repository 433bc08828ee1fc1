// The numeric value of a duration or interval text.
#pragma once

#include <string_view>

// The text read as a decimal floating-point number from its start: leading
// blanks (spaces, tabs) skipped, an optional sign, digits with an optional
// decimal point, an optional exponent written with E or D (either case).
// A text that does not begin with a number is 0; whatever follows the number
// is ignored. A number too large for a double is an infinity of its sign,
// one too small 0. Never NaN; the same on every locale.
double numericValue(std::string_view text);
