// Reading registry texts as numbers, the same in every locale.
#pragma once

#include <optional>
#include <string_view>

namespace tarrow {

// The number that the whole text spells, surrounding white space ignored:
// an optional sign, digits with an optional decimal fraction, and an optional
// exponent. Anything else (an empty text, "yes", "1x", "inf") is no number.
// So is one beyond a double's range.
std::optional<double> ParseNumber(std::string_view text);

// The value of decimal digits (only '0' to '9', the first of them the most
// significant) times ten to `exponent`: "25", -1 is 2.5. Exact for whole
// numbers and for the short fractions that time-outs are written with; an
// infinity when too large for a double, 0 when too small.
double DecimalValue(std::string_view digits, long exponent);

} // namespace tarrow
