#include "shutdown/classic_number.h"

#include <charconv>
#include <limits>
#include <string>
#include <system_error>

namespace tarrow::shutdown {

namespace {

bool Skipped(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Walks the text, passing over skipped characters, one meaningful
// character at a time.
class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) { skip(); }
    bool atEnd() const { return at_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[at_]; }
    void next() {
        ++at_;
        skip();
    }

private:
    void skip() {
        while (at_ < text_.size() && Skipped(text_[at_])) {
            ++at_;
        }
    }
    std::string_view text_;
    std::size_t at_ = 0;
};

std::string TakeDigits(Cursor& cursor) {
    std::string digits;
    while (IsDigit(cursor.peek())) {
        digits += cursor.peek();
        cursor.next();
    }
    return digits;
}

} // namespace

double ReadClassicNumber(std::string_view text) {
    Cursor cursor(text);
    bool negative = false;
    if (cursor.peek() == '+' || cursor.peek() == '-') {
        negative = cursor.peek() == '-';
        cursor.next();
    }
    const std::string whole = TakeDigits(cursor);
    std::string fraction;
    if (cursor.peek() == '.') {
        cursor.next();
        fraction = TakeDigits(cursor);
    }
    if (whole.empty() && fraction.empty()) {
        return 0.0;
    }
    std::string exponent;
    const char marker = cursor.peek();
    if (marker == 'e' || marker == 'E' || marker == 'd' || marker == 'D') {
        cursor.next();
        std::string sign;
        if (cursor.peek() == '+' || cursor.peek() == '-') {
            sign = cursor.peek() == '-' ? "-" : "";
            cursor.next();
        }
        const std::string digits = TakeDigits(cursor);
        // A marker without digits is no exponent: the number ends before it.
        if (!digits.empty()) {
            exponent = sign + digits;
        }
    }

    std::string number = (whole.empty() ? "0" : whole) + "." + (fraction.empty() ? "0" : fraction);
    if (!exponent.empty()) {
        number += "e" + exponent;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    static_cast<void>(end);
    if (error == std::errc::result_out_of_range) {
        // Too large or too small for a double: an exponent's sign tells
        // which; without one, only a fraction can be too small.
        const bool tiny = exponent.empty() ? whole.find_first_not_of('0') == std::string::npos
                                           : exponent.front() == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

} // namespace tarrow::shutdown
