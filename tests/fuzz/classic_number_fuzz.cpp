// The rating's number reading against any text: it never crashes, never
// gives "not a number", and reads the same whatever follows a line end that
// ends its number.
#include "shutdown/classic_number.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double number = tarrow::shutdown::ReadClassicNumber(text);
    if (std::isnan(number)) {
        __builtin_trap();
    }
    // A CR ends the number: what follows it is not read.
    const std::string ended = std::string(text.substr(0, text.find('\r'))) + "\r";
    if (tarrow::shutdown::ReadClassicNumber(ended + "12345") !=
        tarrow::shutdown::ReadClassicNumber(ended)) {
        __builtin_trap();
    }
    return 0;
}
