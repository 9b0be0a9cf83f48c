#include "platform/emulated/privileges.h"

#include "platform/emulated/text.h"

namespace platform::emulated {

namespace {

struct Known {
    std::string_view name;
    std::uint32_t luid;
};

// The LUIDs that Windows gives these privileges.
constexpr std::array<Known, 4> kKnown = {{
    {"SeBackupPrivilege", 17},
    {"SeRestorePrivilege", 18},
    {"SeShutdownPrivilege", 19},
    {"SeDebugPrivilege", 20},
}};

} // namespace

Privileges::Privileges() {
    for (std::size_t i = 0; i < kKnown.size(); ++i) {
        entries_[i] = Entry{kKnown[i].name, kKnown[i].luid, false, false};
    }
}

std::optional<Luid> Privileges::lookup(std::string_view name) {
    for (const auto& known : kKnown) {
        if (EqualsNoCase(known.name, name)) {
            return Luid{known.luid, 0};
        }
    }
    return std::nullopt;
}

void Privileges::grant(std::string_view name, bool held) {
    if (const auto luid = lookup(name)) {
        Entry* entry = find(*luid);
        entry->held = held;
        entry->enabled = entry->enabled && held;
    }
}

bool Privileges::enabled(std::string_view name) const {
    const auto luid = lookup(name);
    return luid && state(*luid).value_or(false);
}

std::optional<bool> Privileges::state(const Luid& luid) const {
    const Entry* entry = find(luid);
    if (entry == nullptr || !entry->held) {
        return std::nullopt;
    }
    return entry->enabled;
}

void Privileges::setEnabled(const Luid& luid, bool enable) {
    if (Entry* entry = find(luid); entry != nullptr && entry->held) {
        entry->enabled = enable;
    }
}

std::vector<Luid> Privileges::enabledOnes() const {
    std::vector<Luid> result;
    for (const auto& entry : entries_) {
        if (entry.held && entry.enabled) {
            result.push_back(Luid{entry.luid, 0});
        }
    }
    return result;
}

Privileges::Entry* Privileges::find(const Luid& luid) {
    return const_cast<Entry*>(static_cast<const Privileges*>(this)->find(luid));
}

const Privileges::Entry* Privileges::find(const Luid& luid) const {
    if (luid.highPart != 0) {
        return nullptr;
    }
    for (const auto& entry : entries_) {
        if (entry.luid == luid.lowPart) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace platform::emulated
