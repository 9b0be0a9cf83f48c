// Raw registry access for tests: writing values of any kind and looking at
// them through the seam, without the layer under test.
#pragma once

#include "platform/handles.h"
#include "registry/registry_types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarrow::testing {

inline bool WriteRaw(platform::Platform& p, RegistryRoot root, const std::string& keyPath,
                     const std::string& name, std::uint32_t kind,
                     const std::vector<std::uint8_t>& bytes) {
    platform::UniqueKey key(p);
    if (p.RegCreateKeyExA(RootKey(root), keyPath, "", 0, platform::kKeyAllAccess, nullptr,
                          key.put(), nullptr) != platform::kErrorSuccess) {
        return false;
    }
    // Windows looks at the byte after a string's data for a NUL that the
    // count left out: give it one to look at, outside the count.
    std::vector<std::uint8_t> guarded = bytes;
    guarded.push_back(0);
    return p.RegSetValueExA(key.get(), name, kind, guarded.data(),
                            static_cast<std::uint32_t>(bytes.size())) == platform::kErrorSuccess;
}

inline std::vector<std::uint8_t> Bytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

struct RawValue {
    long status = platform::kErrorFileNotFound;
    std::uint32_t kind = 0;
    std::vector<std::uint8_t> bytes;
};

// The value's kind and bytes, read with a buffer of exactly `bufferSize` bytes.
inline RawValue ReadRaw(platform::Platform& p, RegistryRoot root, const std::string& keyPath,
                        const std::string& name, std::uint32_t bufferSize = 64) {
    RawValue value;
    platform::UniqueKey key(p);
    value.status = p.RegOpenKeyExA(RootKey(root), keyPath, 0, platform::kKeyRead, key.put());
    if (value.status != platform::kErrorSuccess) {
        return value;
    }
    value.bytes.assign(bufferSize, 0);
    std::uint32_t size = bufferSize;
    value.status = p.RegQueryValueExA(key.get(), name, &value.kind, value.bytes.data(), &size);
    value.bytes.resize(value.status == platform::kErrorSuccess ? size : 0);
    return value;
}

inline bool KeyExists(platform::Platform& p, RegistryRoot root, const std::string& keyPath) {
    platform::UniqueKey key(p);
    return p.RegOpenKeyExA(RootKey(root), keyPath, 0, platform::kKeyRead, key.put()) ==
           platform::kErrorSuccess;
}

} // namespace tarrow::testing
