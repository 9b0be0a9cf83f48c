// Reading a number from the start of a text the classic way, as the rating
// adds up the time-outs: forgiving, never failing.
#pragma once

#include <string_view>

namespace tarrow::shutdown {

// Blanks, tabs and line feeds are skipped wherever they stand, so "20 000"
// reads as 20000. Then an optional sign, digits with an optional decimal
// point and fraction, and an optional exponent (E or D, with an optional
// sign) make the number; the first other character ends it. Text that
// starts with no number ("NO", "", "x1") reads as 0. A number too large for
// a double reads as an infinity of its sign.
double ReadClassicNumber(std::string_view text);

} // namespace tarrow::shutdown
