// The privileges of the process token: which ones it holds and which of those
// are enabled. A privilege the token does not hold can never be enabled.
#pragma once

#include "platform/types.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace platform::emulated {

class Privileges {
public:
    Privileges();

    // The LUID of a privilege name (any case), or nothing for an unknown name.
    static std::optional<Luid> lookup(std::string_view name);

    // Gives or takes a privilege; taking it also disables it.
    void grant(std::string_view name, bool held);
    bool enabled(std::string_view name) const;
    // Whether the held privilege is enabled; nothing when it is not held.
    std::optional<bool> state(const Luid& luid) const;
    // Enables or disables a held privilege.
    void setEnabled(const Luid& luid, bool enable);
    std::vector<Luid> enabledOnes() const;

private:
    struct Entry {
        std::string_view name;
        std::uint32_t luid = 0;
        bool held = false;
        bool enabled = false;
    };
    Entry* find(const Luid& luid);
    const Entry* find(const Luid& luid) const;

    std::array<Entry, 4> entries_;
};

} // namespace platform::emulated
