#include "shutdown/uninstall_mark.h"

#include "registry/modregistry.h"
#include "shutdown/change_in_force.h"

#include <charconv>
#include <optional>
#include <string>

namespace tarrow::shutdown {

namespace {

std::string Key() {
    return std::string(kTarrowKey);
}
std::string Value() {
    return std::string(kUninstallMarkValue);
}

// The time a mark holds, or nothing for a text that is not one.
std::optional<std::uint64_t> TimeIn(const std::string& text) {
    std::uint64_t time = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), time);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return time;
}

} // namespace

bool LeaveUninstallMark(platform::Platform& platform) {
    return modregistry::SetValue(platform, ValueKind::Text, RegistryRoot::LocalMachine, Key(),
                                 Value(), std::to_string(platform.GetSystemTimeAsFileTime())) &&
           modregistry::FlushKey(platform, RegistryRoot::LocalMachine, Key());
}

bool UninstallInProgress(platform::Platform& platform) {
    const auto stored =
        modregistry::ReadStoredValue(platform, RegistryRoot::LocalMachine, Key(), Value());
    if (stored.found != modregistry::StoredValue::Found::Value) {
        return false;
    }
    const std::string text(stored.bytes.begin(), stored.bytes.end());
    const auto left = TimeIn(text.substr(0, text.find('\0')));
    const std::uint64_t now = platform.GetSystemTimeAsFileTime();
    // Fresh when left within the lifetime of now, either way: a clock set
    // back a little must not let an apply in under a running uninstall.
    if (left && (now > *left ? now - *left : *left - now) < kUninstallMarkLifetime) {
        return true;
    }
    modregistry::DeleteValue(platform, RegistryRoot::LocalMachine, Key(), Value());
    return false;
}

} // namespace tarrow::shutdown
