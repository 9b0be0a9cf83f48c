// One registry key: its values and subkeys, both found by name without regard
// to case while keeping the spelling they were first given.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform::emulated {

struct RegistryValue {
    std::string name;
    std::uint32_t kind = 0;
    // As Windows stores it: strings (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) as
    // wide text, two bytes a character, low byte first.
    std::vector<std::uint8_t> bytes;
};

struct RegistryNode {
    explicit RegistryNode(std::string keyName = {}) : name(std::move(keyName)) {}

    std::string name;
    // Both keyed by the lower-case name; the entries keep the first spelling.
    std::map<std::string, RegistryValue> values;
    std::map<std::string, std::shared_ptr<RegistryNode>> subkeys;
    // Set when the key was removed from the tree while handles still refer to it.
    bool deleted = false;

    RegistryNode* child(std::string_view childName) const;
    // The subkey named so, created when missing.
    RegistryNode& childOrNew(std::string_view childName);
    const RegistryValue* value(std::string_view valueName) const;
    // Stores kind and bytes; an existing value keeps the spelling of its name.
    void setValue(std::string_view valueName, std::uint32_t kind, std::vector<std::uint8_t> bytes);
    // False when there was no such value.
    bool removeValue(std::string_view valueName);
    // Takes the subkey out of the tree, marked deleted for the handles that
    // still refer to it. False when there was no such subkey.
    bool removeChild(std::string_view childName);
};

// Gives `target` the values and subkeys of `source` in place, so handles to
// `target` stay valid; its former subkeys are marked deleted.
void ReplaceContents(RegistryNode& target, RegistryNode&& source);

// A copy of the key and everything below it that shares nothing with it.
RegistryNode DeepCopy(const RegistryNode& node);

} // namespace platform::emulated
