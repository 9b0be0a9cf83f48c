#include "registry/modregistry.h"

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/wide_text.h"
#include "registry/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace tarrow::modregistry {

using namespace platform;

namespace {

constexpr std::uint32_t kTokenAccess = kTokenAdjustPrivileges | kTokenQuery; // 0x28
constexpr std::uint32_t kSystemDirectoryBuffer = 255;
constexpr std::uint32_t kPlainFilesOnly = 0; // sees plain, read-only and archive files

// The text read as a whole number in [low, high], rounded half to even;
// nothing when it is not a number in that range.
std::optional<long long> WholeNumberIn(const std::string& text, long long low, long long high) {
    const auto number = ParseNumber(text);
    if (!number) {
        return std::nullopt;
    }
    const double rounded = std::nearbyint(*number);
    if (rounded < static_cast<double>(low) || rounded > static_cast<double>(high)) {
        return std::nullopt;
    }
    return static_cast<long long>(rounded);
}

std::string TextUpToFirstNul(const std::vector<std::uint8_t>& buffer) {
    const auto nul = std::find(buffer.begin(), buffer.end(), std::uint8_t{0});
    if (nul == buffer.end()) {
        return {};
    }
    return std::string(buffer.begin(), nul);
}

// A directory from a call shaped as GetSystemDirectoryA, into a buffer of
// kSystemDirectoryBuffer characters; "" when it fails or does not fit.
template <typename Call> std::string DirectoryOf(const Call& call) {
    std::string buffer(kSystemDirectoryBuffer, ' ');
    const std::uint32_t length = call(buffer.data(), kSystemDirectoryBuffer);
    // A count of the buffer's size or more is the size the path would need:
    // the buffer holds no path then.
    if (length >= kSystemDirectoryBuffer) {
        return {};
    }
    buffer.resize(length);
    return buffer;
}

// Reads a whole value through `query`, shaped as RegQueryValueEx: the value
// may grow between asking its size and reading it, so it asks again until it
// fits. The status of the last call; `bytes` are empty unless it succeeded.
template <typename Query>
long ReadWhole(const Query& query, std::uint32_t* kind, std::vector<std::uint8_t>* bytes) {
    long status = kErrorMoreData;
    for (int attempt = 0; attempt < 3 && status == kErrorMoreData; ++attempt) {
        std::uint32_t size = 0;
        status = query(kind, nullptr, &size);
        if (status != kErrorSuccess) {
            break;
        }
        bytes->assign(size, 0);
        status = query(kind, bytes->data(), &size);
        if (status == kErrorSuccess) {
            bytes->resize(size);
            return status;
        }
    }
    bytes->clear();
    return status;
}

// Whether a string value's wide text comes through the ANSI code page, which
// the A calls pass it through, unchanged. Not when it cannot be read wide.
bool SurvivesCodePage(Platform& platform, Key key, const std::string& valueName) {
    const auto wideName = WideFromAnsiCodePage(platform, valueName);
    if (!wideName) {
        return false;
    }
    std::uint32_t kind = kRegNone;
    std::vector<std::uint8_t> bytes;
    const long read = ReadWhole(
        [&](std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) {
            return platform.RegQueryValueExW(key, *wideName, type, data, size);
        },
        &kind, &bytes);
    if (read != kErrorSuccess || kind != kRegSz) {
        return false;
    }
    const auto text = WideTextOfBytes(bytes);
    return text && SurvivesAnsiCodePage(platform, *text);
}

// Hands `status` to the caller's `error`, when it asked for it; true when
// the call succeeded.
bool Succeeded(long status, std::uint32_t* error) {
    if (error != nullptr) {
        *error = static_cast<std::uint32_t>(status);
    }
    return status == kErrorSuccess;
}

// The error a failed token call left, for `error`.
bool TokenCallFailed(Platform& platform, std::uint32_t* error) {
    const std::uint32_t last = platform.GetLastError();
    Succeeded(last != 0 ? static_cast<long>(last) : kErrorAccessDenied, error);
    return false;
}

} // namespace

std::string GetValue(Platform& platform, RegistryRoot root, const std::string& keyPath,
                     const std::string& valueName, const std::string& defaultText) {
    UniqueKey key(platform);
    if (platform.RegOpenKeyExA(RootKey(root), keyPath, 0, kKeyRead, key.put()) != kErrorSuccess) {
        return defaultText;
    }
    return QueryValue(platform, key.get(), valueName);
}

std::string QueryValue(Platform& platform, Key key, const std::string& valueName) {
    std::uint32_t kind = kRegNone;
    std::uint32_t size = 0;
    if (platform.RegQueryValueExA(key, valueName, &kind, nullptr, &size) != kErrorSuccess) {
        return {};
    }
    if (kind == kRegSz) {
        if (size == 0) {
            return {};
        }
        std::vector<std::uint8_t> buffer(size, 0);
        if (platform.RegQueryValueExA(key, valueName, &kind, buffer.data(), &size) !=
            kErrorSuccess) {
            return {};
        }
        return TextUpToFirstNul(buffer);
    }
    // Every other kind is read as a 32-bit number. The buffer's real size is
    // passed, so data longer than four bytes fails to read instead of running
    // past the number.
    std::int32_t number = 0;
    std::uint32_t numberSize = sizeof number;
    std::uint8_t bytes[sizeof number] = {};
    if (platform.RegQueryValueExA(key, valueName, &kind, bytes, &numberSize) != kErrorSuccess) {
        return {};
    }
    std::memcpy(&number, bytes, sizeof number); // little-endian, as stored
    return std::to_string(number);
}

StoredValue ReadStoredValue(Platform& platform, RegistryRoot root, const std::string& keyPath,
                            const std::string& valueName) {
    StoredValue stored;
    UniqueKey key(platform);
    if (const long opened = platform.RegOpenKeyExA(RootKey(root), keyPath, 0, kKeyRead, key.put());
        opened != kErrorSuccess) {
        stored.error = static_cast<std::uint32_t>(opened);
        return stored;
    }
    const long read = ReadWhole(
        [&](std::uint32_t* kind, std::uint8_t* data, std::uint32_t* size) {
            return platform.RegQueryValueExA(key.get(), valueName, kind, data, size);
        },
        &stored.kind, &stored.bytes);
    if (read == kErrorFileNotFound) {
        stored.found = StoredValue::Found::Absent;
    } else if (read != kErrorSuccess) {
        stored.found = StoredValue::Found::Unreadable;
        stored.error = static_cast<std::uint32_t>(read);
    } else {
        stored.found = StoredValue::Found::Value;
        stored.lostInCodePage =
            stored.kind == kRegSz && !SurvivesCodePage(platform, key.get(), valueName);
    }
    return stored;
}

bool FlushKey(Platform& platform, RegistryRoot root, const std::string& keyPath) {
    UniqueKey key(platform);
    return platform.RegOpenKeyExA(RootKey(root), keyPath, 0, kKeyRead, key.put()) ==
               kErrorSuccess &&
           platform.RegFlushKey(key.get()) == kErrorSuccess;
}

bool LoadKey(Platform& platform, const std::string& name, const std::string& file) {
    const bool backup = EnablePrivilege(platform, "SeBackupPrivilege");
    const bool restore = EnablePrivilege(platform, "SeRestorePrivilege");
    return backup && restore && platform.RegLoadKeyA(kHkeyUsers, name, file) == kErrorSuccess;
}

bool UnLoadKey(Platform& platform, const std::string& name) {
    const bool backup = EnablePrivilege(platform, "SeBackupPrivilege");
    const bool restore = EnablePrivilege(platform, "SeRestorePrivilege");
    return backup && restore && platform.RegUnLoadKeyA(kHkeyUsers, name) == kErrorSuccess;
}

bool SetValue(Platform& platform, ValueKind kind, RegistryRoot root, const std::string& keyPath,
              const std::string& valueName, const std::string& data, std::uint32_t* error) {
    SecurityAttributes inheritable;
    inheritable.inheritHandle = true;
    UniqueKey key(platform);
    std::uint32_t disposition = 0;
    if (!Succeeded(platform.RegCreateKeyExA(RootKey(root), keyPath, "", kRegOptionNonVolatile,
                                            kKeyWrite, &inheritable, key.put(), &disposition),
                   error)) {
        return false;
    }
    switch (kind) {
    case ValueKind::Text:
        return Succeeded(platform.RegSetValueExA(key.get(), valueName, kRegSz,
                                                 reinterpret_cast<const std::uint8_t*>(data.data()),
                                                 static_cast<std::uint32_t>(data.size())),
                         error);
    case ValueKind::Binary: {
        const auto byte = static_cast<std::uint8_t>(WholeNumberIn(data, 0, 255).value_or(0));
        return Succeeded(platform.RegSetValueExA(key.get(), valueName, kRegBinary, &byte, 1),
                         error);
    }
    case ValueKind::Number: {
        const auto number =
            static_cast<std::int32_t>(WholeNumberIn(data, INT32_MIN, INT32_MAX).value_or(0));
        std::uint8_t bytes[sizeof number];
        std::memcpy(bytes, &number, sizeof number);
        return Succeeded(
            platform.RegSetValueExA(key.get(), valueName, kRegDword, bytes, sizeof bytes), error);
    }
    }
    return true; // an unknown kind writes nothing
}

bool DeleteValue(Platform& platform, RegistryRoot root, const std::string& keyPath,
                 const std::string& valueName, std::uint32_t* error) {
    // Opened, not created: a missing key holds no value to remove.
    UniqueKey key(platform);
    const long opened = platform.RegOpenKeyExA(RootKey(root), keyPath, 0, kKeySetValue, key.put());
    if (opened == kErrorFileNotFound) {
        return Succeeded(kErrorSuccess, error);
    }
    if (!Succeeded(opened, error)) {
        return false;
    }
    const long deleted = platform.RegDeleteValueA(key.get(), valueName);
    return Succeeded(deleted == kErrorFileNotFound ? kErrorSuccess : deleted, error);
}

bool SaveKey(Platform& platform, RegistryRoot root, const std::string& keyPath,
             const std::string& file) {
    if (!EnablePrivilege(platform, "SeBackupPrivilege")) {
        return false;
    }
    UniqueKey key(platform);
    if (platform.RegOpenKeyExA(RootKey(root), keyPath, 0, kKeyAllAccess, key.put()) !=
        kErrorSuccess) {
        return false;
    }
    // The save refuses an existing file; a plain one is replaced, a hidden or
    // system one is left alone (and the save then fails).
    if (EntryExists(platform, file, kPlainFilesOnly)) {
        platform.DeleteFileA(file);
    }
    return platform.RegSaveKeyA(key.get(), file) == kErrorSuccess;
}

bool RestoreKey(Platform& platform, RegistryRoot root, const std::string& keyPath,
                const std::string& file, std::uint32_t* error) {
    if (!EnablePrivilege(platform, "SeRestorePrivilege")) {
        return TokenCallFailed(platform, error);
    }
    // Windows wants the backup privilege as well for a restore. A program that
    // never saved a key (the uninstaller) has not enabled it yet.
    EnablePrivilege(platform, "SeBackupPrivilege");
    UniqueKey key(platform);
    if (!Succeeded(platform.RegOpenKeyExA(RootKey(root), keyPath, 0, kKeyAllAccess, key.put()),
                   error)) {
        return false;
    }
    return Succeeded(platform.RegRestoreKeyA(key.get(), file, kRegForceRestore), error);
}

bool EnablePrivilege(Platform& platform, const std::string& privilegeName) {
    // A successful call may leave an older error in place, so the value is
    // cleared first: the check below must see only what the open left.
    platform.SetLastError(0);
    UniqueHandle token(platform);
    if (!platform.OpenProcessToken(platform.GetCurrentProcess(), kTokenAccess, token.put())) {
        return false;
    }
    if (platform.GetLastError() != 0) {
        return false;
    }
    TokenPrivileges wanted;
    wanted.privilegeCount = 1;
    wanted.attributes = kSePrivilegeEnabled;
    if (!platform.LookupPrivilegeValueA(privilegeName, &wanted.luid)) {
        return false;
    }
    TokenPrivileges previous;
    std::uint32_t previousLength = 0;
    return platform.AdjustTokenPrivileges(token.get(), false, &wanted, sizeof previous, &previous,
                                          &previousLength);
}

std::string GetSystemdir(Platform& platform) {
    return DirectoryOf([&platform](char* buffer, std::uint32_t size) {
        return platform.GetSystemDirectoryA(buffer, size);
    });
}

std::string VisibleSystemDirectory(Platform& platform) {
    bool wow64 = false;
    if (platform.IsWow64Process(platform.GetCurrentProcess(), &wow64) && wow64) {
        std::string redirected = DirectoryOf([&platform](char* buffer, std::uint32_t size) {
            return platform.GetSystemWow64DirectoryA(buffer, size);
        });
        if (!redirected.empty()) {
            return redirected;
        }
    }
    return GetSystemdir(platform);
}

} // namespace tarrow::modregistry
