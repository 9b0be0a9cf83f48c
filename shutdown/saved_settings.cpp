#include "shutdown/saved_settings.h"

namespace tarrow {

namespace {
constexpr std::string_view kLineEnd = "\r\n";
}

std::string SavedFilePath(const std::string& folder, std::string_view fileName) {
    std::string path = folder;
    path += '\\';
    path += fileName;
    return path;
}

std::string SavedLine(int placeIndex, std::string_view value) {
    std::string line = std::to_string(placeIndex);
    line += ": ";
    line += value;
    line += kLineEnd;
    return line;
}

std::string ComposeSavedText(const SavedValues& values) {
    std::string text;
    const auto& pairs = ReadingOrder();
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        text +=
            SavedLine(pairs[k].place->index, shutdown::SavedText(values[k], pairs[k].saveDefault));
    }
    text += kLineEnd;
    return text;
}

std::optional<SavedValues> ParseSavedText(std::string_view text) {
    SavedValues values;
    std::size_t position = 0;
    const auto& pairs = ReadingOrder();
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const std::string label = std::to_string(pairs[k].place->index) + ": ";
        if (text.substr(position, label.size()) != label) {
            return std::nullopt;
        }
        const std::size_t start = position + label.size();
        const std::size_t end = text.find(kLineEnd, start);
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view value = text.substr(start, end - start);
        if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
            return std::nullopt;
        }
        values[k] = shutdown::SavedValueFromText(value);
        position = end + kLineEnd.size();
    }
    return values;
}

} // namespace tarrow
