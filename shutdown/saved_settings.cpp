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

std::string ComposeSavedText(const std::array<std::string, kTimeoutPairCount>& values) {
    std::string text;
    const auto& pairs = ReadingOrder();
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        text += SavedLine(pairs[k].place->index, values[k]);
    }
    text += kLineEnd;
    return text;
}

SavedEntries ParseSavedEntries(std::string_view text) {
    SavedEntries entries;
    std::size_t position = 0;
    for (std::string& value : entries.values) {
        const std::size_t space = text.find(' ', position);
        if (space == std::string_view::npos) {
            break;
        }
        const std::size_t end = text.find(kLineEnd, space + 1);
        if (end == std::string_view::npos) {
            break;
        }
        value = std::string(text.substr(space + 1, end - space - 1));
        ++entries.found;
        position = end + 1; // right after the CR; the LF is passed by the next search
    }
    return entries;
}

} // namespace tarrow
