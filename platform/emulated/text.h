// Text rules that Windows applies to names: ASCII case folding and the
// wildcards of file name patterns.
#pragma once

#include <string>
#include <string_view>

namespace platform::emulated {

char FoldChar(char c);
std::string FoldCase(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Whether `name` matches `pattern` (* and ?), without regard to case. A
// pattern ending in ".*" also matches the name without a dot, so "*.*"
// matches every name, as it does on Windows.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

} // namespace platform::emulated
