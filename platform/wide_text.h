// Wide text and the ANSI code page, written once over the seam's
// conversions.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The text converted from (to) the ANSI code page; nothing when the
// conversion fails. Empty text converts to empty text.
std::optional<std::u16string> WideFromAnsiCodePage(Platform& platform, std::string_view text);
std::optional<std::string> AnsiCodePageFromWide(Platform& platform, std::u16string_view text);

// Whether the ANSI code page carries the wide text: converted to it and back,
// every character is as it was.
bool SurvivesAnsiCodePage(Platform& platform, std::u16string_view text);

// Wide text from the bytes a wide call hands over (two a character, low byte
// first); nothing for an odd count.
std::optional<std::u16string> WideTextOfBytes(const std::vector<std::uint8_t>& bytes);

} // namespace platform
