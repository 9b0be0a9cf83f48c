#include "platform/emulated/disk_image.h"

#include <string_view>

namespace platform::emulated {

namespace {

// Hands the image to `put` piece by piece, in a fixed order, each piece of
// free text after its length so that no two images read the same.
template <typename Put> class Walk {
public:
    explicit Walk(Put& put, std::string_view leftOut = {}) : put_(put), leftOut_(leftOut) {}

    void image(const DiskImage& image) {
        for (const auto& [key, file] : image.files) {
            if (!leftOut_.empty() && key.starts_with(leftOut_)) {
                continue;
            }
            put_("file ");
            text(file.spelling);
            number(file.attributes);
            text(file.content);
        }
        for (const auto& [name, hive] : image.hives) {
            put_("hive ");
            text(name);
            key(*hive);
        }
    }

private:
    void text(std::string_view piece) {
        number(piece.size());
        put_(piece);
    }
    void number(std::uint64_t value) {
        put_(std::to_string(value));
        put_(" ");
    }
    void key(const RegistryNode& node) {
        put_("[");
        text(node.name);
        for (const auto& [folded, value] : node.values) {
            text(value.name);
            number(value.kind);
            text(std::string_view(reinterpret_cast<const char*>(value.bytes.data()),
                                  value.bytes.size()));
        }
        for (const auto& [folded, child] : node.subkeys) {
            key(*child);
        }
        put_("]");
    }

    Put& put_;
    std::string_view leftOut_;
};

} // namespace

std::string DiskImage::canonical() const {
    std::string text;
    auto put = [&text](std::string_view piece) { text += piece; };
    Walk<decltype(put)>(put).image(*this);
    return text;
}

std::uint64_t DiskImage::hash(std::string_view leftOut) const {
    // FNV-1a over the canonical text, without writing it out.
    std::uint64_t hash = 14695981039346656037ull;
    auto put = [&hash](std::string_view piece) {
        for (const char c : piece) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 1099511628211ull;
        }
    };
    Walk<decltype(put)>(put, leftOut).image(*this);
    return hash;
}

} // namespace platform::emulated
