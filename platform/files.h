// File helpers written once over the seam: attribute-filtered listings, whole
// file reads and writes, and Windows path pieces.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Entries matching `pattern` (a path whose last part may hold * and ?), in the
// order the file system gives them. Plain, read-only and archive entries are
// always listed; hidden, system and directory entries only when their
// attribute is in `attributeMask` (the classic Dir() rule). "." and ".." are
// listed when the pattern matches them and directories are asked for.
std::vector<FindData> ListEntries(Platform& platform, const std::string& pattern,
                                  std::uint32_t attributeMask);

// True when some entry matching `path` passes `attributeMask` as above.
bool EntryExists(Platform& platform, const std::string& path, std::uint32_t attributeMask);

// The whole content of a file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(Platform& platform, const std::string& path);

// Creates (or truncates) the file and writes `content` in one write.
bool WriteWholeFile(Platform& platform, const std::string& path, const std::string& content);

// "C:\a\b.exe" -> "C:\a"; a path without a backslash gives "".
std::string FolderOf(const std::string& path);
// "C:\a\b.exe" -> "b.exe".
std::string FileNameOf(const std::string& path);
// "b.exe" -> "b"; a name without a dot is returned unchanged.
std::string WithoutExtension(const std::string& fileName);

} // namespace platform
