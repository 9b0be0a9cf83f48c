#include "platform/emulated/code_page.h"

#include <array>

namespace platform::emulated {

namespace {

// The characters of bytes 0x80 to 0x9F; every other byte is the character of
// its own number.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t WideOf(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : char16_t{byte};
}

// The byte of a wide character, or -1 when the code page has none.
int ByteOf(char16_t wide) {
    if (wide < 0x80 || (wide >= 0xA0 && wide <= 0xFF)) {
        return wide;
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == wide) {
            return static_cast<int>(0x80 + i);
        }
    }
    return -1;
}

} // namespace

std::u16string WideFromAnsi(std::string_view ansi) {
    std::u16string wide;
    wide.reserve(ansi.size());
    for (const char c : ansi) {
        wide += WideOf(static_cast<unsigned char>(c));
    }
    return wide;
}

std::string AnsiFromWide(std::u16string_view wide, char defaultChar, bool* usedDefault) {
    std::string ansi;
    ansi.reserve(wide.size());
    bool replaced = false;
    for (const char16_t c : wide) {
        const int byte = ByteOf(c);
        replaced = replaced || byte < 0;
        ansi += byte < 0 ? defaultChar : static_cast<char>(byte);
    }
    if (usedDefault != nullptr) {
        *usedDefault = replaced;
    }
    return ansi;
}

std::vector<std::uint8_t> BytesOfWide(std::u16string_view wide) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(wide.size() * 2);
    for (const char16_t c : wide) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

std::u16string WideOfBytes(const std::vector<std::uint8_t>& bytes) {
    std::u16string wide;
    wide.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        wide += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    }
    return wide;
}

} // namespace platform::emulated
