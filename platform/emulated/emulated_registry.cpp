// The Reg* calls. They report through their status codes and leave the
// last-error value alone, as advapi32 does.
#include "platform/emulated/emulated_platform.h"

#include "platform/emulated/emulated_state.h"
#include "platform/emulated/errors.h"
#include "platform/emulated/hive_file.h"

namespace platform {

long EmulatedPlatform::RegOpenKeyExA(Key root, const std::string& subKey, std::uint32_t,
                                     std::uint32_t access, Key* result) {
    return state_->registry.open(root, subKey, access, result);
}

long EmulatedPlatform::RegCreateKeyExA(Key root, const std::string& subKey, const std::string&,
                                       std::uint32_t, std::uint32_t access,
                                       const SecurityAttributes*, Key* result,
                                       std::uint32_t* disposition) {
    return state_->registry.create(root, subKey, access, result, disposition);
}

long EmulatedPlatform::RegQueryValueExA(Key key, const std::string& valueName, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* dataSize) {
    return state_->registry.query(key, valueName, type, data, dataSize);
}

long EmulatedPlatform::RegSetValueExA(Key key, const std::string& valueName, std::uint32_t type,
                                      const std::uint8_t* data, std::uint32_t dataSize) {
    return state_->registry.set(key, valueName, type, data, dataSize);
}

long EmulatedPlatform::RegDeleteValueA(Key key, const std::string& valueName) {
    return state_->registry.deleteValue(key, valueName);
}

long EmulatedPlatform::RegCloseKey(Key key) {
    return state_->registry.close(key);
}

long EmulatedPlatform::RegSaveKeyA(Key key, const std::string& file) {
    std::shared_ptr<emulated::RegistryNode> node;
    if (const long status = state_->registry.node(key, &node); status != kErrorSuccess) {
        return status;
    }
    if (state_->keySaveFails) {
        return kErrorAccessDenied;
    }
    if (!state_->privileges.enabled("SeBackupPrivilege")) {
        return kErrorPrivilegeNotHeld;
    }
    const long status = state_->drive.writeNew(file, emulated::SaveHive(*node));
    return status == emulated::kErrorFileExists ? kErrorAlreadyExists : status;
}

long EmulatedPlatform::RegRestoreKeyA(Key key, const std::string& file, std::uint32_t flags) {
    std::shared_ptr<emulated::RegistryNode> node;
    if (const long status = state_->registry.node(key, &node); status != kErrorSuccess) {
        return status;
    }
    // Without the force flag, other open handles at or below the key stop
    // the restore.
    if ((flags & kRegForceRestore) == 0 && state_->registry.otherHandlesAtOrBelow(key) != 0) {
        return kErrorAccessDenied;
    }
    if (state_->keyRestoreFails) {
        return kErrorAccessDenied;
    }
    if (!state_->privileges.enabled("SeBackupPrivilege") ||
        !state_->privileges.enabled("SeRestorePrivilege")) {
        return kErrorPrivilegeNotHeld;
    }
    std::string text;
    if (const long status = state_->drive.readAll(file, &text); status != kErrorSuccess) {
        return status;
    }
    auto restored = emulated::LoadHive(text);
    if (!restored) {
        return kErrorBadFormat;
    }
    emulated::ReplaceContents(*node, std::move(*restored));
    return kErrorSuccess;
}

} // namespace platform
