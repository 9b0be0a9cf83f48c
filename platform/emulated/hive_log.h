// One hive as it was last flushed, and its changes since, in order: what a
// power cut leaves of the hive is the flushed one with some prefix of them
// made again.
#pragma once

#include "platform/emulated/registry_node.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace platform::emulated {

struct HiveChange {
    enum class Kind { CreateKey, SetValue, DeleteValue, ReplaceKey, DeleteKey };
    Kind kind = Kind::SetValue;
    // The key's names from the hive's own key down (for DeleteKey, those of
    // the key deleted); a created key's names as they were spelled.
    std::vector<std::string> path;
    RegistryValue value;                          // SetValue; only its name for DeleteValue
    std::shared_ptr<const RegistryNode> contents; // ReplaceKey: what the key holds afterwards
};

class HiveLog {
public:
    explicit HiveLog(RegistryNode flushed)
        : flushed_(std::make_shared<RegistryNode>(std::move(flushed))) {}

    void record(HiveChange change) { changes_.push_back(std::move(change)); }
    std::size_t changes() const { return changes_.size(); }
    // The hive as flushed with its first `count` changes made again; with
    // none, the flushed hive itself, shared.
    std::shared_ptr<const RegistryNode> replayed(std::size_t count) const;
    // The hive as flushed, where the machine's setup goes too: it was on
    // disk before anything ran.
    RegistryNode& flushedForSetup();

private:
    std::shared_ptr<RegistryNode> flushed_; // shared only as const
    std::vector<HiveChange> changes_;
};

} // namespace platform::emulated
