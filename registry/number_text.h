// Reading registry texts as numbers.
#pragma once

#include <optional>
#include <string_view>

namespace tarrow {

// The number that the whole text spells, surrounding white space ignored:
// an optional sign, digits with an optional decimal fraction, and an optional
// exponent. Anything else (an empty text, "yes", "1x", "inf") is no number.
std::optional<double> ParseNumber(std::string_view text);

} // namespace tarrow
