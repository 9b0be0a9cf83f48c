#include "registry/number_text.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
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

} // namespace

std::optional<double> ParseNumber(std::string_view text) {
    text = Trim(text);
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        ++at;
    }
    const std::size_t whole = Digits(text, at);
    at += whole;
    std::size_t fraction = 0;
    if (at < text.size() && text[at] == '.') {
        fraction = Digits(text, at + 1);
        at += 1 + fraction;
    }
    if (whole + fraction == 0) {
        return std::nullopt;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        std::size_t exponentAt = at + 1;
        if (exponentAt < text.size() && (text[exponentAt] == '+' || text[exponentAt] == '-')) {
            ++exponentAt;
        }
        const std::size_t exponent = Digits(text, exponentAt);
        if (exponent == 0) {
            return std::nullopt;
        }
        at = exponentAt + exponent;
    }
    if (at != text.size()) {
        return std::nullopt;
    }
    const double value = std::strtod(std::string(text).c_str(), nullptr);
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace tarrow
