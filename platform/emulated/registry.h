// The registry: the trees under the predefined roots, the open key handles
// with the rights they were opened with, and the Win32 rules of the Reg* calls
// that reach keys and values. Calls return Win32 status codes.
#pragma once

#include "platform/emulated/handle_numbers.h"
#include "platform/emulated/registry_node.h"
#include "platform/types.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace platform::emulated {

class Registry {
public:
    explicit Registry(HandleNumbers& numbers);

    long open(Key parent, std::string_view subKey, std::uint32_t access, Key* result);
    long create(Key parent, std::string_view subKey, std::uint32_t access, Key* result,
                std::uint32_t* disposition);
    long query(Key key, std::string_view valueName, std::uint32_t* type, std::uint8_t* data,
               std::uint32_t* dataSize) const;
    long set(Key key, std::string_view valueName, std::uint32_t type, const std::uint8_t* data,
             std::uint32_t dataSize);
    long deleteValue(Key key, std::string_view valueName);
    long close(Key key);
    // The key behind a handle, for saving and restoring it.
    long node(Key key, std::shared_ptr<RegistryNode>* result) const;

    // Creates root\subKey with no rules applied: how the machine is set up.
    void ensure(Key root, std::string_view subKey);
    void failOpen(Key root, std::string_view subKey);
    void failValueWrites(Key root, std::string_view subKey);
    void limitAccess(Key root, std::string_view subKey, std::uint32_t allowed);
    std::size_t openCount() const { return open_.size(); }
    // Open handles other than `key` to its key or to keys below it.
    std::size_t otherHandlesAtOrBelow(Key key) const;

private:
    struct OpenKey {
        std::shared_ptr<RegistryNode> node;
        Key root = 0;
        std::string path; // lower case, from the root
        std::uint32_t access = 0;
    };
    using PathOfKey = std::pair<Key, std::string>;

    // The lower-case path by which the fault tables know root\subKey.
    static PathOfKey PathOf(Key root, std::string_view subKey);
    long resolve(Key key, OpenKey* result) const;
    // Whether an open of the key at `path` with `access` is refused.
    bool refused(const PathOfKey& path, std::uint32_t access) const;
    bool refusesNewSubkeys(const RegistryNode& node) const;
    Key add(OpenKey key);

    HandleNumbers& numbers_;
    std::map<Key, std::shared_ptr<RegistryNode>> roots_;
    std::map<Key, OpenKey> open_;
    std::set<PathOfKey> failingOpens_;
    std::set<PathOfKey> failingWrites_;
    std::map<PathOfKey, std::uint32_t> accessLimits_;
};

} // namespace platform::emulated
