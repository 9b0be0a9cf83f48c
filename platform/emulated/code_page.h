// The emulated machine's ANSI code page, Windows-1252, and the wide text
// (UTF-16) that the registry keeps its strings in. Every byte converts to one
// wide character and back unchanged (the five bytes that 1252 leaves
// undefined stand for the C1 controls of the same number, as on Windows); a
// wide character outside the code page becomes the default character, as
// Windows' conversion without best fit does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::emulated {

std::u16string WideFromAnsi(std::string_view ansi);
// `usedDefault`, when given, tells whether some character had to be replaced.
std::string AnsiFromWide(std::u16string_view wide, char defaultChar = '?',
                         bool* usedDefault = nullptr);

// Wide text as the registry stores it: two bytes a character, low byte first.
// An odd last byte is no character and is dropped.
std::vector<std::uint8_t> BytesOfWide(std::u16string_view wide);
std::u16string WideOfBytes(const std::vector<std::uint8_t>& bytes);

} // namespace platform::emulated
