#include "registry/number_text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <string>

namespace tarrow {

namespace {

bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}
bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Length of the digit run starting at `at`.
std::size_t Digits(std::string_view text, std::size_t at) {
    std::size_t count = 0;
    while (at + count < text.size() && IsDigit(text[at + count])) {
        ++count;
    }
    return count;
}

// An exponent's digits as a number, held within a range far beyond any
// double's, so that no count of digits can overflow it.
long ExponentOf(std::string_view digits, bool negative) {
    constexpr long kFarBeyond = 100'000;
    long exponent = 0;
    for (const char digit : digits) {
        exponent = std::min(exponent * 10 + (digit - '0'), kFarBeyond);
    }
    return negative ? -exponent : exponent;
}

} // namespace

std::optional<double> ParseNumber(std::string_view text) {
    text = Trim(text);
    std::size_t at = 0;
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        ++at;
    }
    const std::size_t whole = Digits(text, at);
    std::string digits(text.substr(at, whole));
    at += whole;
    std::size_t fraction = 0;
    if (at < text.size() && text[at] == '.') {
        fraction = Digits(text, at + 1);
        digits += text.substr(at + 1, fraction);
        at += 1 + fraction;
    }
    if (whole + fraction == 0) {
        return std::nullopt;
    }
    long exponent = 0;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        std::size_t exponentAt = at + 1;
        const bool down = exponentAt < text.size() && text[exponentAt] == '-';
        if (exponentAt < text.size() && (text[exponentAt] == '+' || text[exponentAt] == '-')) {
            ++exponentAt;
        }
        const std::size_t count = Digits(text, exponentAt);
        if (count == 0) {
            return std::nullopt;
        }
        exponent = ExponentOf(text.substr(exponentAt, count), down);
        at = exponentAt + count;
    }
    if (at != text.size()) {
        return std::nullopt;
    }
    const double value = DecimalValue(digits, exponent - static_cast<long>(fraction));
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

double DecimalValue(std::string_view digits, long exponent) {
    // Leading zeros add nothing; of the rest, the first 19 fit a 64-bit
    // whole number exactly, and each one after them only moves the point.
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string_view::npos) {
        return 0.0;
    }
    digits.remove_prefix(first);
    constexpr std::size_t kExactDigits = 19;
    std::uint64_t mantissa = 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i < kExactDigits) {
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(digits[i] - '0');
        } else {
            ++exponent;
        }
    }
    // Scaled in long double, whose range reaches far beyond a double's, so
    // that the result turns into an infinity or 0 only where a double must.
    constexpr long kBeyondRange = 5000;
    exponent = std::clamp(exponent, -kBeyondRange, kBeyondRange);
    long double value = static_cast<long double>(mantissa);
    for (; exponent > 0; --exponent) {
        value *= 10.0L;
    }
    for (; exponent < 0; ++exponent) {
        value /= 10.0L;
    }
    return static_cast<double>(value);
}

} // namespace tarrow
