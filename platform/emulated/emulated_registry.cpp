// The Reg* calls. They report through their status codes and leave the
// last-error value alone, as advapi32 does. Each change is journalled.
#include "platform/emulated/emulated_platform.h"

#include "platform/emulated/code_page.h"
#include "platform/emulated/emulated_state.h"
#include "platform/emulated/errors.h"
#include "platform/emulated/hive_file.h"
#include "platform/emulated/text.h"
#include "platform/emulated/windows_path.h"

#include <cstring>

namespace platform {

namespace {

// A hive can be loaded and unloaded only with both privileges enabled.
bool MayLoadHives(const emulated::Privileges& privileges) {
    return privileges.enabled("SeBackupPrivilege") && privileges.enabled("SeRestorePrivilege");
}

} // namespace

long EmulatedPlatform::RegOpenKeyExA(Key root, const std::string& subKey, std::uint32_t,
                                     std::uint32_t access, Key* result) {
    if (state_->journal.powerOff()) {
        return kErrorNotReady;
    }
    return state_->registry.open(root, subKey, access, result);
}

long EmulatedPlatform::RegCreateKeyExA(Key root, const std::string& subKey, const std::string&,
                                       std::uint32_t, std::uint32_t access,
                                       const SecurityAttributes*, Key* result,
                                       std::uint32_t* disposition) {
    if (state_->journal.powerOff()) {
        return kErrorNotReady;
    }
    std::uint32_t how = 0;
    const long status = state_->registry.create(root, subKey, access, result, &how);
    if (disposition != nullptr) {
        *disposition = how;
    }
    if (status == kErrorSuccess && how == kRegCreatedNewKey) {
        state_->journal.record("RegCreateKeyExA", state_->registry.describe(*result));
    }
    return status;
}

long EmulatedPlatform::RegQueryValueExA(Key key, const std::string& valueName, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* dataSize) {
    if (state_->journal.powerOff()) {
        return kErrorNotReady;
    }
    return state_->registry.query(key, valueName, type, data, dataSize);
}

long EmulatedPlatform::RegQueryValueExW(Key key, const std::u16string& valueName,
                                        std::uint32_t* type, std::uint8_t* data,
                                        std::uint32_t* dataSize) {
    if (state_->journal.powerOff()) {
        return kErrorNotReady;
    }
    // Value names are kept in the code page: a name it cannot carry names no
    // value.
    bool lost = false;
    const std::string name = emulated::AnsiFromWide(valueName, '?', &lost);
    if (lost) {
        return kErrorFileNotFound;
    }
    return state_->registry.queryWide(key, name, type, data, dataSize);
}

long EmulatedPlatform::RegSetValueExA(Key key, const std::string& valueName, std::uint32_t type,
                                      const std::uint8_t* data, std::uint32_t dataSize) {
    if (state_->journal.powerOff()) {
        return kErrorNotReady;
    }
    const long status = state_->registry.set(key, valueName, type, data, dataSize);
    if (status == kErrorSuccess) {
        state_->journal.record("RegSetValueExA", state_->registry.describe(key) + '\\' +
                                                     emulated::FoldCase(valueName));
    }
    return status;
}

long EmulatedPlatform::RegDeleteValueA(Key key, const std::string& valueName) {
    if (state_->journal.powerOff()) {
        return kErrorNotReady;
    }
    const long status = state_->registry.deleteValue(key, valueName);
    if (status == kErrorSuccess) {
        state_->journal.record("RegDeleteValueA", state_->registry.describe(key) + '\\' +
                                                      emulated::FoldCase(valueName));
    }
    return status;
}

long EmulatedPlatform::RegQueryInfoKeyA(Key key, std::uint32_t* subKeys, std::uint32_t* values) {
    if (state_->journal.powerOff()) {
        return kErrorNotReady;
    }
    return state_->registry.countContents(key, subKeys, values);
}

long EmulatedPlatform::RegDeleteKeyA(Key parent, const std::string& subKey) {
    if (state_->journal.powerOff()) {
        return kErrorNotReady;
    }
    const long status = state_->registry.deleteKey(parent, subKey);
    if (status == kErrorSuccess) {
        state_->journal.record("RegDeleteKeyA", state_->registry.describe(parent) + '\\' +
                                                    emulated::FoldCase(subKey));
    }
    return status;
}

long EmulatedPlatform::RegEnumKeyExA(Key key, std::uint32_t index, char* name,
                                     std::uint32_t* nameSize) {
    if (state_->journal.powerOff()) {
        return kErrorNotReady;
    }
    if (name == nullptr || nameSize == nullptr) {
        return kErrorInvalidParameter;
    }
    std::string found;
    if (const long status = state_->registry.enumerate(key, index, &found);
        status != kErrorSuccess) {
        return status;
    }
    if (found.size() >= *nameSize) {
        return kErrorMoreData;
    }
    std::memcpy(name, found.c_str(), found.size() + 1);
    *nameSize = static_cast<std::uint32_t>(found.size());
    return kErrorSuccess;
}

long EmulatedPlatform::RegCloseKey(Key key) {
    return state_->registry.close(key);
}

long EmulatedPlatform::RegSaveKeyA(Key key, const std::string& file) {
    if (state_->journal.powerOff()) {
        return kErrorNotReady;
    }
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
    if (const long refused = state_->refusal(file, true); refused != kErrorSuccess) {
        return refused;
    }
    const long status = state_->drive.writeNew(file, emulated::SaveHive(*node));
    if (status == kErrorSuccess) {
        state_->fileSecurity.removed(emulated::PathKeyOf(file));
        state_->journal.record("RegSaveKeyA", emulated::FoldCase(file));
    }
    return status == emulated::kErrorFileExists ? kErrorAlreadyExists : status;
}

long EmulatedPlatform::RegRestoreKeyA(Key key, const std::string& file, std::uint32_t flags) {
    if (state_->journal.powerOff()) {
        return kErrorNotReady;
    }
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
    if (!MayLoadHives(state_->privileges)) {
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
    state_->registry.replace(key, std::move(*restored));
    state_->journal.record("RegRestoreKeyA", state_->registry.describe(key));
    return kErrorSuccess;
}

long EmulatedPlatform::RegFlushKey(Key key) {
    if (state_->journal.powerOff()) {
        return kErrorNotReady;
    }
    const long status = state_->registry.flush(key);
    if (status == kErrorSuccess) {
        state_->journal.record("RegFlushKey", state_->registry.describe(key));
    }
    return status;
}

long EmulatedPlatform::RegLoadKeyA(Key root, const std::string& subKey, const std::string& file) {
    if (state_->journal.powerOff()) {
        return kErrorNotReady;
    }
    if (!MayLoadHives(state_->privileges)) {
        return kErrorPrivilegeNotHeld;
    }
    // The hive file must be there; an account's profile file is found by
    // its path, any other file is read as a hive.
    std::uint32_t attributes = 0;
    long status = state_->drive.getAttributes(file, &attributes);
    if (status == kErrorSuccess) {
        status = state_->registry.load(root, subKey, file);
    }
    if (status == kErrorFileNotFound) {
        std::string text;
        status = state_->drive.readAll(file, &text);
        if (status == kErrorSuccess) {
            auto content = emulated::LoadHive(text);
            status = content ? state_->registry.loadCopy(root, subKey, file, std::move(*content))
                             : kErrorBadFormat;
        }
    }
    if (status == kErrorSuccess) {
        state_->journal.record("RegLoadKeyA", emulated::FoldCase(subKey));
    }
    return status;
}

long EmulatedPlatform::RegUnLoadKeyA(Key root, const std::string& subKey) {
    if (state_->journal.powerOff()) {
        return kErrorNotReady;
    }
    if (!MayLoadHives(state_->privileges)) {
        return kErrorPrivilegeNotHeld;
    }
    const long status = state_->registry.unload(root, subKey);
    if (status == kErrorSuccess) {
        state_->journal.record("RegUnLoadKeyA", emulated::FoldCase(subKey));
    }
    return status;
}

} // namespace platform
