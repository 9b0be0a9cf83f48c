#include "platform/emulated/hive_log.h"

namespace platform::emulated {

namespace {

// The key at `path` below `hive`, or nullptr when it is not there.
RegistryNode* Find(RegistryNode& hive, const std::vector<std::string>& path) {
    RegistryNode* node = &hive;
    for (const std::string& name : path) {
        node = node->child(name);
        if (node == nullptr) {
            return nullptr;
        }
    }
    return node;
}

void MakeAgain(RegistryNode& hive, const HiveChange& change) {
    if (change.kind == HiveChange::Kind::CreateKey) {
        RegistryNode* node = &hive;
        for (const std::string& name : change.path) {
            node = &node->childOrNew(name);
        }
        return;
    }
    if (change.kind == HiveChange::Kind::DeleteKey) {
        if (change.path.empty()) {
            return;
        }
        const std::vector<std::string> parentPath(change.path.begin(), change.path.end() - 1);
        if (RegistryNode* parent = Find(hive, parentPath)) {
            parent->removeChild(change.path.back());
        }
        return;
    }
    RegistryNode* node = Find(hive, change.path);
    if (node == nullptr) {
        return;
    }
    switch (change.kind) {
    case HiveChange::Kind::SetValue:
        node->setValue(change.value.name, change.value.kind, change.value.bytes);
        break;
    case HiveChange::Kind::DeleteValue:
        node->removeValue(change.value.name);
        break;
    case HiveChange::Kind::ReplaceKey:
        ReplaceContents(*node, DeepCopy(*change.contents));
        break;
    case HiveChange::Kind::CreateKey:
    case HiveChange::Kind::DeleteKey:
        break;
    }
}

} // namespace

std::shared_ptr<const RegistryNode> HiveLog::replayed(std::size_t count) const {
    if (count == 0) {
        return flushed_;
    }
    auto hive = std::make_shared<RegistryNode>(DeepCopy(*flushed_));
    for (std::size_t k = 0; k < count && k < changes_.size(); ++k) {
        MakeAgain(*hive, changes_[k]);
    }
    return hive;
}

RegistryNode& HiveLog::flushedForSetup() {
    // Images that share the hive keep it as it was.
    if (flushed_.use_count() > 1) {
        flushed_ = std::make_shared<RegistryNode>(DeepCopy(*flushed_));
    }
    return *flushed_;
}

} // namespace platform::emulated
