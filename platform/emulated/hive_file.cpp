#include "platform/emulated/hive_file.h"

#include <charconv>

namespace platform::emulated {

namespace {

constexpr std::string_view kHeader = "TARROW REGISTRY HIVE 1";
constexpr char kDigits[] = "0123456789abcdef";

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

void AppendHexByte(std::string& out, unsigned char byte) {
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0f];
}

std::optional<unsigned char> HexByte(std::string_view text) {
    unsigned value = 0;
    if (text.size() != 2) {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + 2, value, 16);
    if (error != std::errc() || end != text.data() + 2) {
        return std::nullopt;
    }
    return static_cast<unsigned char>(value);
}

std::string EscapeKeyName(std::string_view name) {
    std::string out;
    for (const char c : name) {
        if (c == '%' || IsControl(c)) {
            out += '%';
            AppendHexByte(out, static_cast<unsigned char>(c));
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> UnescapeKeyName(std::string_view text) {
    std::string name;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            name += text[i];
            continue;
        }
        const auto byte = HexByte(text.substr(i + 1, 2));
        if (!byte) {
            return std::nullopt;
        }
        name += static_cast<char>(*byte);
        i += 2;
    }
    return name;
}

std::string QuoteValueName(std::string_view name) {
    std::string out = "\"";
    for (const char c : name) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (IsControl(c)) {
            out += "\\x";
            AppendHexByte(out, static_cast<unsigned char>(c));
        } else {
            out += c;
        }
    }
    return out + '"';
}

// Reads a quoted value name from the start of `text`, leaving `text` after it.
std::optional<std::string> UnquoteValueName(std::string_view& text) {
    if (text.empty() || text.front() != '"') {
        return std::nullopt;
    }
    std::string name;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return name;
        }
        if (c != '\\') {
            name += c;
            continue;
        }
        if (i + 1 >= text.size()) {
            return std::nullopt;
        }
        const char escaped = text[++i];
        if (escaped == '"' || escaped == '\\') {
            name += escaped;
        } else if (escaped == 'x') {
            const auto byte = HexByte(text.substr(i + 1, 2));
            if (!byte) {
                return std::nullopt;
            }
            name += static_cast<char>(*byte);
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

void SaveKey(const RegistryNode& key, const std::string& path, std::string& out) {
    out += '[' + path + "]\n";
    for (const auto& [folded, value] : key.values) {
        out += QuoteValueName(value.name) + "=hex(";
        char kind[16];
        const auto [end, error] = std::to_chars(kind, kind + sizeof kind, value.kind, 16);
        out.append(kind, end);
        out += "):";
        for (std::size_t i = 0; i < value.bytes.size(); ++i) {
            if (i != 0) {
                out += ',';
            }
            AppendHexByte(out, value.bytes[i]);
        }
        out += '\n';
    }
    for (const auto& [folded, child] : key.subkeys) {
        const std::string name = EscapeKeyName(child->name);
        SaveKey(*child, path.empty() ? name : path + '\\' + name, out);
    }
}

// The key that a section header "[a\b]" names, created under `root` as needed.
RegistryNode* SectionKey(RegistryNode& root, std::string_view path) {
    RegistryNode* key = &root;
    while (!path.empty()) {
        const std::size_t end = path.find('\\');
        const auto name = UnescapeKeyName(path.substr(0, end));
        if (!name || name->empty()) {
            return nullptr;
        }
        key = &key->childOrNew(*name);
        path = end == std::string_view::npos ? std::string_view() : path.substr(end + 1);
        if (end != std::string_view::npos && path.empty()) {
            return nullptr;
        }
    }
    return key;
}

// Parses `"name"=hex(kind):aa,bb` into `key`.
bool LoadValue(RegistryNode& key, std::string_view line) {
    const auto name = UnquoteValueName(line);
    constexpr std::string_view kPrefix = "=hex(";
    if (!name || !line.starts_with(kPrefix)) {
        return false;
    }
    line.remove_prefix(kPrefix.size());
    std::uint32_t kind = 0;
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), kind, 16);
    if (error != std::errc() || end == line.data()) {
        return false;
    }
    line.remove_prefix(static_cast<std::size_t>(end - line.data()));
    if (!line.starts_with("):")) {
        return false;
    }
    line.remove_prefix(2);
    std::vector<std::uint8_t> bytes;
    while (!line.empty()) {
        const auto byte = HexByte(line.substr(0, 2));
        if (!byte) {
            return false;
        }
        bytes.push_back(*byte);
        line.remove_prefix(2);
        if (!line.empty()) {
            if (line.front() != ',' || line.size() == 1) {
                return false;
            }
            line.remove_prefix(1);
        }
    }
    if (key.value(*name) != nullptr) {
        return false;
    }
    key.setValue(*name, kind, std::move(bytes));
    return true;
}

} // namespace

std::string SaveHive(const RegistryNode& key) {
    std::string out(kHeader);
    out += '\n';
    SaveKey(key, {}, out);
    return out;
}

std::optional<RegistryNode> LoadHive(std::string_view text) {
    RegistryNode root;
    RegistryNode* current = nullptr;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (first) {
            if (line != kHeader) {
                return std::nullopt;
            }
            first = false;
        } else if (line.empty()) {
            continue;
        } else if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 2) {
                return std::nullopt;
            }
            current = SectionKey(root, line.substr(1, line.size() - 2));
            if (current == nullptr) {
                return std::nullopt;
            }
        } else if (current == nullptr || !LoadValue(*current, line)) {
            return std::nullopt;
        }
    }
    if (first) {
        return std::nullopt;
    }
    return root;
}

} // namespace platform::emulated
