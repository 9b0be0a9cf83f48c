#include "platform/emulated/registry_node.h"

#include "platform/emulated/text.h"

namespace platform::emulated {

namespace {

void MarkDeleted(RegistryNode& node) {
    node.deleted = true;
    for (auto& [name, child] : node.subkeys) {
        MarkDeleted(*child);
    }
}

} // namespace

RegistryNode* RegistryNode::child(std::string_view childName) const {
    const auto it = subkeys.find(FoldCase(childName));
    return it == subkeys.end() ? nullptr : it->second.get();
}

RegistryNode& RegistryNode::childOrNew(std::string_view childName) {
    auto& slot = subkeys[FoldCase(childName)];
    if (!slot) {
        slot = std::make_shared<RegistryNode>(std::string(childName));
    }
    return *slot;
}

const RegistryValue* RegistryNode::value(std::string_view valueName) const {
    const auto it = values.find(FoldCase(valueName));
    return it == values.end() ? nullptr : &it->second;
}

void RegistryNode::setValue(std::string_view valueName, std::uint32_t kind,
                            std::vector<std::uint8_t> bytes) {
    const auto [it, inserted] = values.try_emplace(FoldCase(valueName));
    if (inserted) {
        it->second.name = std::string(valueName);
    }
    it->second.kind = kind;
    it->second.bytes = std::move(bytes);
}

bool RegistryNode::removeValue(std::string_view valueName) {
    return values.erase(FoldCase(valueName)) != 0;
}

bool RegistryNode::removeChild(std::string_view childName) {
    const auto it = subkeys.find(FoldCase(childName));
    if (it == subkeys.end()) {
        return false;
    }
    it->second->deleted = true;
    subkeys.erase(it);
    return true;
}

RegistryNode DeepCopy(const RegistryNode& node) {
    RegistryNode copy(node.name);
    copy.values = node.values;
    for (const auto& [name, child] : node.subkeys) {
        copy.subkeys[name] = std::make_shared<RegistryNode>(DeepCopy(*child));
    }
    return copy;
}

void ReplaceContents(RegistryNode& target, RegistryNode&& source) {
    for (auto& [name, child] : target.subkeys) {
        MarkDeleted(*child);
    }
    target.values = std::move(source.values);
    target.subkeys = std::move(source.subkeys);
}

} // namespace platform::emulated
