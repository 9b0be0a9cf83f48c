#include "tests/support/test_machine.h"

#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>

namespace tarrow::testing {

namespace {
std::atomic<int> machineCounter{0};
}

struct TestMachine::Impl {
    platform::Win32Platform platform;
    std::string scratchFolder;
    std::string scratchKey;
};

TestMachine::TestMachine() : impl_(std::make_unique<Impl>()) {
    const std::string unique =
        std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++machineCounter);
    char temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(MAX_PATH, temp);
    if (length == 0) {
        throw std::runtime_error("no temporary folder");
    }
    impl_->scratchFolder = std::string(temp, length) + "tarrow-test-" + unique;
    if (!CreateDirectoryA(impl_->scratchFolder.c_str(), nullptr)) {
        throw std::runtime_error("cannot make " + impl_->scratchFolder);
    }
    impl_->scratchKey = "Software\\TarrowTests\\" + unique;
}

TestMachine::~TestMachine() {
    RegDeleteTreeA(HKEY_CURRENT_USER, impl_->scratchKey.c_str());
    // The common parent goes with the last machine: a key that still has
    // subkeys (another machine's) is not deleted.
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TarrowTests");
    // Clear attributes first: read-only files would survive remove_all.
    std::error_code ignored;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(impl_->scratchFolder, ignored)) {
        SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::filesystem::remove_all(impl_->scratchFolder, ignored);
}

platform::Platform& TestMachine::platform() {
    return impl_->platform;
}
platform::EmulatedPlatform* TestMachine::emulated() {
    return nullptr;
}
std::optional<std::size_t> TestMachine::openKeyCount() {
    return std::nullopt;
}
std::optional<std::size_t> TestMachine::openHandleCount() {
    return std::nullopt;
}
bool TestMachine::setWideValue(platform::Key root, const std::string& subKey,
                               const std::string& valueName, std::uint32_t kind,
                               const std::u16string& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(reinterpret_cast<HKEY>(root), subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    std::wstring name(valueName.size() + 1, L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, valueName.c_str(), -1, name.data(),
                                           static_cast<int>(name.size()));
    const LONG status =
        length > 0
            ? RegSetValueExW(key, name.c_str(), 0, kind, reinterpret_cast<const BYTE*>(text.data()),
                             static_cast<DWORD>(text.size() * sizeof(char16_t)))
            : ERROR_INVALID_PARAMETER;
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}
const std::string& TestMachine::scratchFolder() const {
    return impl_->scratchFolder;
}
const std::string& TestMachine::scratchKey() const {
    return impl_->scratchKey;
}

} // namespace tarrow::testing
