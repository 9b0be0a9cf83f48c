// The text conversions, between wide text and the machine's ANSI code page,
// Windows-1252 (see code_page.h).
#include "platform/emulated/emulated_platform.h"

#include "platform/emulated/code_page.h"
#include "platform/emulated/emulated_state.h"

#include <algorithm>
#include <string_view>

namespace platform {

namespace {

constexpr std::uint32_t kWindows1252 = 1252;

bool IsAnsiCodePage(std::uint32_t codePage) {
    return codePage == kCpAcp || codePage == kWindows1252;
}

// The text a call is given: up to and with its NUL for a length of -1.
template <typename Char>
bool Input(const Char* text, int length, std::basic_string_view<Char>* input) {
    if (text == nullptr || length == 0 || length < -1) {
        return false;
    }
    *input = length == -1
                 ? std::basic_string_view<Char>(text, std::char_traits<Char>::length(text) + 1)
                 : std::basic_string_view<Char>(text, static_cast<std::size_t>(length));
    return true;
}

// Hands the converted text over as the calls do: its size when asked with no
// room, otherwise the count written, or 0 when it does not fit.
template <typename Char>
int Output(const std::basic_string<Char>& converted, Char* buffer, int size, std::uint32_t* error) {
    const auto needed = static_cast<int>(converted.size());
    if (size == 0) {
        return needed;
    }
    if (size < needed) {
        *error = static_cast<std::uint32_t>(kErrorInsufficientBuffer);
        return 0;
    }
    std::copy(converted.begin(), converted.end(), buffer);
    return needed;
}

} // namespace

int EmulatedPlatform::WideCharToMultiByte(std::uint32_t codePage, std::uint32_t,
                                          const char16_t* wide, int wideLength, char* multiByte,
                                          int multiByteSize, const char* defaultChar,
                                          bool* usedDefaultChar) {
    std::u16string_view input;
    if (!IsAnsiCodePage(codePage) || !Input(wide, wideLength, &input) || multiByteSize < 0 ||
        (multiByteSize > 0 && multiByte == nullptr)) {
        state_->fail(kErrorInvalidParameter);
        return 0;
    }
    const std::string converted =
        emulated::AnsiFromWide(input, defaultChar != nullptr ? *defaultChar : '?', usedDefaultChar);
    return Output(converted, multiByte, multiByteSize, &state_->lastError);
}

int EmulatedPlatform::MultiByteToWideChar(std::uint32_t codePage, std::uint32_t,
                                          const char* multiByte, int multiByteLength,
                                          char16_t* wide, int wideSize) {
    std::string_view input;
    if (!IsAnsiCodePage(codePage) || !Input(multiByte, multiByteLength, &input) || wideSize < 0 ||
        (wideSize > 0 && wide == nullptr)) {
        state_->fail(kErrorInvalidParameter);
        return 0;
    }
    return Output(emulated::WideFromAnsi(input), wide, wideSize, &state_->lastError);
}

} // namespace platform
