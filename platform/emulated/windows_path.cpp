#include "platform/emulated/windows_path.h"

#include "platform/emulated/text.h"

namespace platform::emulated {

std::optional<std::vector<std::string>> ParseDrivePath(std::string_view path) {
    if (path.size() < 2 || FoldChar(path[0]) != 'c' || path[1] != ':') {
        return std::nullopt;
    }
    path.remove_prefix(2);
    if (!path.empty() && path.front() != '\\' && path.front() != '/') {
        return std::nullopt; // "C:name" is relative to the drive's current folder
    }
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("\\/", start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        std::string name(path.substr(start, end - start));
        start = end + 1;
        if (name == "..") {
            if (!names.empty()) {
                names.pop_back();
            }
            continue;
        }
        while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
            name.pop_back();
        }
        if (!name.empty()) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

std::string PathKey(const std::vector<std::string>& names) {
    std::string key = "c:";
    for (const auto& name : names) {
        key += '\\';
        key += FoldCase(name);
    }
    return key;
}

std::string PathKeyOf(std::string_view path) {
    const auto names = ParseDrivePath(path);
    return names ? PathKey(*names) : FoldCase(path);
}

bool HasInvalidNameChar(std::string_view name) {
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view("<>:\"|?*").find(c) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

} // namespace platform::emulated
