// The saved-settings reader against any bytes at all: it never crashes, it
// refuses what it cannot read whole, and what it accepts, written again,
// reads back the same and carries nothing into the registry that a saved
// line cannot hold.
#include "shutdown/saved_settings.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto values = tarrow::ParseSavedText(text);
    if (!values) {
        return 0;
    }
    for (const auto& value : *values) {
        if (value.kind == tarrow::shutdown::SavedKind::Exact &&
            (value.text.empty() ||
             value.text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)) {
            __builtin_trap();
        }
    }
    const auto again = tarrow::ParseSavedText(tarrow::ComposeSavedText(*values));
    if (!again || *again != *values) {
        __builtin_trap();
    }
    return 0;
}
