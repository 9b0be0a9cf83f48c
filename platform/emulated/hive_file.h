// The hive files that RegSaveKeyA writes and RegRestoreKeyA reads: readable
// text in the manner of a .reg file.
//
//   TARROW REGISTRY HIVE 1
//   []
//   "Wallpaper"=hex(1):43,3a,00
//   [Desktop\Colors]
//   ""=hex(4):01,00,00,00
//
// Each section names a key by its path from the saved key ("[]" is the saved
// key itself) and lists its values as "name"=hex(kind):bytes. In value names
// `"` and `\` are escaped with a backslash and control characters as \xHH; in
// key paths '%' and control characters are written as %HH.
#pragma once

#include "platform/emulated/registry_node.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform::emulated {

std::string SaveHive(const RegistryNode& key);

// The key that a hive file describes (its name left empty), or nothing when
// the text is not a well-formed hive.
std::optional<RegistryNode> LoadHive(std::string_view text);

} // namespace platform::emulated
