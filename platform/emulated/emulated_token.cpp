// The process token and its privileges.
#include "platform/emulated/emulated_platform.h"

#include "platform/emulated/emulated_state.h"
#include "platform/emulated/errors.h"
#include "platform/emulated/text.h"

#include <string>
#include <vector>

namespace platform {

namespace {

// FIELD_OFFSET(TOKEN_PRIVILEGES, Privileges[count]).
std::uint32_t PrivilegesSize(std::size_t count) {
    return static_cast<std::uint32_t>(4 + 12 * count);
}

} // namespace

Handle EmulatedPlatform::GetCurrentProcess() {
    return kCurrentProcessHandle;
}

bool EmulatedPlatform::OpenProcessToken(Handle process, std::uint32_t access, Handle* token) {
    if (state_->powerOff()) {
        return false;
    }
    if (state_->tokenOpenFails) {
        return state_->fail(kErrorAccessDenied);
    }
    // Only the running process's token is kept.
    if (process != kCurrentProcessHandle) {
        return state_->fail(kErrorInvalidHandle);
    }
    if (token == nullptr) {
        return state_->fail(kErrorInvalidParameter);
    }
    *token = state_->kernel.add(emulated::TokenObject{access});
    return true;
}

bool EmulatedPlatform::LookupPrivilegeValueA(const std::string& name, Luid* luid) {
    const auto found = emulated::Privileges::lookup(name);
    if (!found) {
        return state_->fail(kErrorNoSuchPrivilege);
    }
    if (luid == nullptr) {
        return state_->fail(kErrorInvalidParameter);
    }
    *luid = *found;
    return true;
}

bool EmulatedPlatform::AdjustTokenPrivileges(Handle token, bool disableAll,
                                             const TokenPrivileges* newState,
                                             std::uint32_t bufferLength,
                                             TokenPrivileges* previousState,
                                             std::uint32_t* returnLength) {
    if (state_->powerOff()) {
        return false;
    }
    const auto* object = state_->kernel.find<emulated::TokenObject>(token);
    if (object == nullptr) {
        return state_->fail(kErrorInvalidHandle);
    }
    if ((object->access & kTokenAdjustPrivileges) == 0) {
        return state_->fail(kErrorAccessDenied);
    }
    // Receiving the previous state reads the token as well.
    if (previousState != nullptr && (object->access & kTokenQuery) == 0) {
        return state_->fail(kErrorAccessDenied);
    }
    // The seam's TOKEN_PRIVILEGES holds one entry, so no more can be asked for.
    if (!disableAll && (newState == nullptr || newState->privilegeCount > 1)) {
        return state_->fail(kErrorInvalidParameter);
    }
    struct Change {
        Luid luid;
        bool wasEnabled = false;
        bool enable = false;
    };
    std::vector<Change> changes;
    bool allAssigned = true;
    if (disableAll) {
        for (const Luid& luid : state_->privileges.enabledOnes()) {
            changes.push_back({luid, true, false});
        }
    } else if (newState->privilegeCount == 1) {
        const bool enable = (newState->attributes & kSePrivilegeEnabled) != 0;
        const auto current = state_->privileges.state(newState->luid);
        if (!current) {
            allAssigned = false;
        } else if (*current != enable) {
            changes.push_back({newState->luid, *current, enable});
        }
    }
    const std::uint32_t needed = PrivilegesSize(changes.size());
    if (previousState != nullptr && (bufferLength < needed || changes.size() > 1)) {
        if (returnLength != nullptr) {
            *returnLength = needed;
        }
        return state_->fail(kErrorInsufficientBuffer);
    }
    for (const Change& change : changes) {
        state_->privileges.setEnabled(change.luid, change.enable);
    }
    if (!changes.empty()) {
        state_->journal.record("AdjustTokenPrivileges",
                               "luid " + std::to_string(changes.front().luid.lowPart));
    }
    if (previousState != nullptr) {
        *previousState = TokenPrivileges{};
        previousState->privilegeCount = static_cast<std::uint32_t>(changes.size());
        if (!changes.empty()) {
            previousState->luid = changes.front().luid;
            previousState->attributes = changes.front().wasEnabled ? kSePrivilegeEnabled : 0;
        }
    }
    if (returnLength != nullptr) {
        *returnLength = needed;
    }
    // This call sets the last error on success too: it is how a caller learns
    // that a privilege the token does not hold stayed off.
    state_->lastError =
        static_cast<std::uint32_t>(allAssigned ? kErrorSuccess : kErrorNotAllAssigned);
    return true;
}

bool EmulatedPlatform::GetTokenUserSid(Handle token, std::string* sid) {
    const auto* object = state_->kernel.find<emulated::TokenObject>(token);
    if (object == nullptr) {
        return state_->fail(kErrorInvalidHandle);
    }
    if ((object->access & kTokenQuery) == 0) {
        return state_->fail(kErrorAccessDenied);
    }
    if (sid == nullptr) {
        return state_->fail(kErrorInvalidParameter);
    }
    *sid = state_->runningSid;
    return true;
}

bool EmulatedPlatform::LookupAccountSidA(const std::string& sid, std::string* name,
                                         std::string* domain) {
    if (name == nullptr || domain == nullptr) {
        return state_->fail(kErrorInvalidParameter);
    }
    if (emulated::EqualsNoCase(sid, kLocalSystemSid)) {
        *name = "SYSTEM";
        *domain = "NT AUTHORITY";
        return true;
    }
    const auto it = state_->accounts.find(emulated::FoldCase(sid));
    if (it == state_->accounts.end()) {
        return state_->fail(emulated::kErrorNoneMapped);
    }
    *name = it->second.name;
    *domain = it->second.domain;
    return true;
}

void EmulatedPlatform::grantPrivilege(const std::string& name, bool held) {
    state_->privileges.grant(name, held);
}

bool EmulatedPlatform::privilegeEnabled(const std::string& name) const {
    return state_->privileges.enabled(name);
}

} // namespace platform
