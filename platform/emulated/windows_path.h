// Windows paths on drive C: taken apart the way Win32 normalises them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::emulated {

// The names of a full path on drive C: ("C:\a\b" or "c:/a/b" -> {"a", "b"}):
// the drive letter in any case, backslashes or slashes, repeated separators
// collapsed, "." and ".." resolved, trailing dots and spaces of names dropped.
// Nothing for a relative path or another drive.
std::optional<std::vector<std::string>> ParseDrivePath(std::string_view path);

// The lower-case spelling of a parsed path, "c:\a\b": how the drive keys
// attributes and fault injections.
std::string PathKey(const std::vector<std::string>& names);

// The key of a path as the drive knows it ("c:\a\b"); a path that is not
// on drive C: in lower case as given.
std::string PathKeyOf(std::string_view path);

// Whether a name holds a character that Windows refuses in file names.
bool HasInvalidNameChar(std::string_view name);

} // namespace platform::emulated
