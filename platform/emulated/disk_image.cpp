#include "platform/emulated/disk_image.h"

#include "platform/emulated/hive_file.h"

namespace platform::emulated {

std::string DiskImage::canonical() const {
    std::string text;
    for (const auto& [key, file] : files) {
        text += "file " + file.spelling + " attributes " + std::to_string(file.attributes) +
                " size " + std::to_string(file.content.size()) + '\n';
        text += file.content;
        text += '\n';
    }
    for (const auto& [name, hive] : hives) {
        text += "hive " + name + '\n';
        text += SaveHive(hive);
    }
    return text;
}

std::uint64_t DiskImage::hash() const {
    // FNV-1a over the canonical text.
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : canonical()) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace platform::emulated
