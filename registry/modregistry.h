// modregistry: the one place where the programs touch the registry and the
// process token. Every value crosses it as text. No operation raises an error
// or shows a message; failure shows only in the result (false, the caller's
// default text, or the empty text). Each call opens what it needs and closes
// it again before it returns.
#pragma once

#include "platform/platform.h"
#include "registry/registry_types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarrow::modregistry {

// Where a call below takes `error`, it receives the Win32 error of the
// registry or token call that failed, or 0 when none did: the result itself
// stays what it always was, and the status goes beside it for whoever
// reports what happened.

// A value as the registry keeps it: for deciding whether it can be put back
// exactly, which its text alone does not tell.
struct StoredValue {
    enum class Found {
        NoKey,      // the key could not be opened
        Absent,     // the key opened; there is no such value
        Unreadable, // the value is there but could not be read
        Value,
    };
    Found found = Found::NoKey;
    std::uint32_t kind = 0;
    std::vector<std::uint8_t> bytes; // as RegQueryValueExA hands them over
    // For a REG_SZ: its wide text, as stored, holds a character that the
    // ANSI code page lacks (or could not be read wide), so `bytes` are not
    // the text but what the code page made of it ("?" and the like).
    bool lostInCodePage = false;
    // NoKey and Unreadable: the Win32 error of the open or of the read.
    std::uint32_t error = 0;
};

// The value as text: the default when the key cannot be opened, the empty
// text when the key opens but the value is missing or cannot be read.
std::string GetValue(platform::Platform& platform, RegistryRoot root, const std::string& keyPath,
                     const std::string& valueName, const std::string& defaultText);

// The value of an open key as text: a string up to its first NUL; any other
// kind of at most four bytes as a signed 32-bit number in decimal; "" else.
std::string QueryValue(platform::Platform& platform, platform::Key key,
                       const std::string& valueName);

// The value's kind and bytes as stored, and for a REG_SZ whether the ANSI
// code page carries its text.
StoredValue ReadStoredValue(platform::Platform& platform, RegistryRoot root,
                            const std::string& keyPath, const std::string& valueName);

// Writes the hive that holds the key to disk. False when the key cannot be
// opened or the flush fails.
bool FlushKey(platform::Platform& platform, RegistryRoot root, const std::string& keyPath);

// Loads a hive file as HKEY_USERS\<name> (an account's NTUSER.DAT while the
// account is not logged on), and unloads it again. Both enable the backup
// and restore privileges they need.
bool LoadKey(platform::Platform& platform, const std::string& name, const std::string& file);
bool UnLoadKey(platform::Platform& platform, const std::string& name);

// Creates the key where missing and writes the value. Kind Text stores the
// text without a terminating NUL; Binary one byte and Number four bytes from
// the text read as a number (0 when it is not a number in range); any other
// kind writes nothing and counts as done.
bool SetValue(platform::Platform& platform, ValueKind kind, RegistryRoot root,
              const std::string& keyPath, const std::string& valueName, const std::string& data,
              std::uint32_t* error = nullptr);

// Removes the value, so that it is absent as before it was first written.
// True when it is gone afterwards, also when the key or the value was
// missing already; false when the key or the value refuses the removal.
bool DeleteValue(platform::Platform& platform, RegistryRoot root, const std::string& keyPath,
                 const std::string& valueName, std::uint32_t* error = nullptr);

// Saves the key with its values and subkeys to a hive file, replacing a plain
// (not hidden, not system) file of that name.
bool SaveKey(platform::Platform& platform, RegistryRoot root, const std::string& keyPath,
             const std::string& file);

// Replaces the key's values and subkeys with those in the hive file.
bool RestoreKey(platform::Platform& platform, RegistryRoot root, const std::string& keyPath,
                const std::string& file, std::uint32_t* error = nullptr);

// Enables a privilege of the process token for the rest of the run. True when
// the token accepted the request; a privilege the account does not hold shows
// only later, as a failing save or restore.
bool EnablePrivilege(platform::Platform& platform, const std::string& privilegeName);

// The system directory without a trailing backslash, or "" on failure.
std::string GetSystemdir(platform::Platform& platform);

// The system directory by the name the user finds it under in Explorer, for
// naming it in a message: a 32-bit program's system directory on 64-bit
// Windows is really SysWOW64 (the system redirects it there), so under WOW64
// that folder; else, or when it cannot be had, GetSystemdir's. Without a
// trailing backslash, "" on failure.
std::string VisibleSystemDirectory(platform::Platform& platform);

} // namespace tarrow::modregistry
