#include "shutdown/saved_value.h"

#include "shutdown/timeout_places.h"

#include <cstdint>
#include <cstring>

namespace tarrow::shutdown {

namespace {

// The placeholders the saved file has always used for a key that could not
// be opened. A real value that reads the same cannot be told from them.
bool IsPlaceholder(std::string_view text) {
    return text == "NO" || text == "NO ";
}

// A string value's text: its bytes without the one terminating NUL that
// Windows usually stores with it.
std::string_view StringText(const modregistry::StoredValue& stored) {
    std::string_view text(reinterpret_cast<const char*>(stored.bytes.data()), stored.bytes.size());
    if (!text.empty() && text.back() == '\0') {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

SavedValue SavedValueOf(const modregistry::StoredValue& stored) {
    using Found = modregistry::StoredValue::Found;
    if (stored.found == Found::Absent) {
        return SavedValue::Absent();
    }
    if (stored.found != Found::Value) {
        return SavedValue::LeftAlone();
    }
    if (stored.kind == platform::kRegDword && stored.bytes.size() == sizeof(std::int32_t)) {
        std::int32_t number = 0;
        std::memcpy(&number, stored.bytes.data(), sizeof number);
        return SavedValue::Exact(std::to_string(number));
    }
    // A text that the code page cannot carry reads as something else ("?"
    // for what it lacks): written back, that would replace the user's own.
    if (stored.kind != platform::kRegSz || stored.lostInCodePage) {
        return SavedValue::LeftAlone();
    }
    const std::string_view text = StringText(stored);
    if (text.empty() || text.size() > kLongestSavedText ||
        text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos ||
        IsPlaceholder(text)) {
        return SavedValue::LeftAlone();
    }
    return SavedValue::Exact(std::string(text));
}

std::string SavedText(const SavedValue& value, std::string_view placeholder) {
    switch (value.kind) {
    case SavedKind::Absent:
        return {};
    case SavedKind::Exact:
        return value.text;
    case SavedKind::LeftAlone:
        break;
    }
    return std::string(placeholder);
}

SavedValue SavedValueFromText(std::string_view text) {
    if (text.empty()) {
        return SavedValue::Absent();
    }
    if (IsPlaceholder(text)) {
        return SavedValue::LeftAlone();
    }
    return SavedValue::Exact(std::string(text));
}

bool HoldsTarrowText(const modregistry::StoredValue& stored) {
    if (stored.found != modregistry::StoredValue::Found::Value || stored.kind != platform::kRegSz ||
        stored.lostInCodePage) {
        return false;
    }
    const std::string_view text = StringText(stored);
    return text == kPowerfulTimeoutText || text == kFastTimeoutText;
}

} // namespace tarrow::shutdown
