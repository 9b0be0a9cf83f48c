// The registry roots and value kinds that cross the registry layer.
#pragma once

#include "platform/types.h"

#include <cstdint>

namespace tarrow {

// Predefined root keys, as the 32-bit handle numbers Windows gives them.
enum class RegistryRoot : std::uint32_t {
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
    Users = 0x80000003u,
};

// The kind a value is written as. Every caller in the programs writes Text;
// any other number is accepted and writes nothing.
enum class ValueKind : std::uint32_t {
    Text = 1,   // REG_SZ
    Binary = 3, // REG_BINARY, one byte
    Number = 4, // REG_DWORD
};

inline platform::Key RootKey(RegistryRoot root) {
    return static_cast<platform::Key>(root);
}

} // namespace tarrow
