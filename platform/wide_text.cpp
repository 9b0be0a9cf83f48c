#include "platform/wide_text.h"

#include <climits>

namespace platform {

std::optional<std::u16string> WideFromAnsiCodePage(Platform& platform, std::string_view text) {
    if (text.empty()) {
        return std::u16string();
    }
    if (text.size() > INT_MAX) {
        return std::nullopt;
    }
    const auto length = static_cast<int>(text.size());
    const int needed = platform.MultiByteToWideChar(kCpAcp, 0, text.data(), length, nullptr, 0);
    if (needed <= 0) {
        return std::nullopt;
    }
    std::u16string wide(static_cast<std::size_t>(needed), u'\0');
    const int written =
        platform.MultiByteToWideChar(kCpAcp, 0, text.data(), length, wide.data(), needed);
    if (written <= 0) {
        return std::nullopt;
    }
    wide.resize(static_cast<std::size_t>(written));
    return wide;
}

std::optional<std::string> AnsiCodePageFromWide(Platform& platform, std::u16string_view text) {
    if (text.empty()) {
        return std::string();
    }
    if (text.size() > INT_MAX) {
        return std::nullopt;
    }
    const auto length = static_cast<int>(text.size());
    const int needed =
        platform.WideCharToMultiByte(kCpAcp, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return std::nullopt;
    }
    std::string ansi(static_cast<std::size_t>(needed), '\0');
    const int written = platform.WideCharToMultiByte(kCpAcp, 0, text.data(), length, ansi.data(),
                                                     needed, nullptr, nullptr);
    if (written <= 0) {
        return std::nullopt;
    }
    ansi.resize(static_cast<std::size_t>(written));
    return ansi;
}

bool SurvivesAnsiCodePage(Platform& platform, std::u16string_view text) {
    const auto ansi = AnsiCodePageFromWide(platform, text);
    if (!ansi) {
        return false;
    }
    const auto back = WideFromAnsiCodePage(platform, *ansi);
    return back && *back == text;
}

std::optional<std::u16string> WideTextOfBytes(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() % 2 != 0) {
        return std::nullopt;
    }
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return text;
}

} // namespace platform
