#include "shutdown/classic_number.h"

#include "registry/number_text.h"

#include <algorithm>
#include <string>

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
    long exponent = 0;
    const char marker = cursor.peek();
    if (marker == 'e' || marker == 'E' || marker == 'd' || marker == 'D') {
        cursor.next();
        bool down = false;
        if (cursor.peek() == '+' || cursor.peek() == '-') {
            down = cursor.peek() == '-';
            cursor.next();
        }
        // A marker without digits is no exponent: the number ends before it.
        // Past any double's range, more digits change nothing.
        constexpr long kFarBeyond = 100'000;
        for (const char digit : TakeDigits(cursor)) {
            exponent = std::min(exponent * 10 + (digit - '0'), kFarBeyond);
        }
        exponent = down ? -exponent : exponent;
    }

    const double value =
        DecimalValue(whole + fraction, exponent - static_cast<long>(fraction.size()));
    return negative ? -value : value;
}

} // namespace tarrow::shutdown
