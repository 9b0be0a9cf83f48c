// The machine a test runs on: natively a fresh emulated Windows in a temporary
// folder; under Wine the real API, with a scratch registry key and folder
// that are removed afterwards.
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {
class EmulatedPlatform;
}

namespace tarrow::testing {

class TestMachine {
public:
    TestMachine();
    ~TestMachine();
    TestMachine(const TestMachine&) = delete;
    TestMachine& operator=(const TestMachine&) = delete;

    platform::Platform& platform();
    // The emulated machine, or nullptr on the real one. Only tests built
    // for the native side alone may call its methods.
    platform::EmulatedPlatform* emulated();

    // Registry keys and kernel handles opened and not yet closed; known on
    // the emulated machine only.
    std::optional<std::size_t> openKeyCount();
    std::optional<std::size_t> openHandleCount();

    // Writes a value as a program that writes wide text does
    // (RegSetValueExW): `text` is stored as it is, NUL included when it holds
    // one, under root\subKey, which is created where missing.
    bool setWideValue(platform::Key root, const std::string& subKey, const std::string& valueName,
                      std::uint32_t kind, const std::u16string& text);

    // An empty folder of this test (a Windows path, no trailing backslash).
    const std::string& scratchFolder() const;
    // A key path under HKEY_CURRENT_USER that belongs to this test alone.
    const std::string& scratchKey() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tarrow::testing

// Skips the current test when it runs on Wine, naming the way in which Wine
// departs from Windows there.
#define TARROW_SKIP_ON_WINE(machine, departure)                                                    \
    do {                                                                                           \
        if ((machine).emulated() == nullptr) {                                                     \
            GTEST_SKIP() << "Wine departs from Windows: " << (departure);                          \
        }                                                                                          \
    } while (false)
