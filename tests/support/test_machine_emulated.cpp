#include "tests/support/test_machine.h"

#include "platform/emulated/emulated_platform.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace tarrow::testing {

struct TestMachine::Impl {
    std::filesystem::path drive;
    std::unique_ptr<platform::EmulatedPlatform> platform;
    std::string scratchFolder = "C:\\scratch";
    std::string scratchKey = "Software\\TarrowTests";
};

TestMachine::TestMachine() : impl_(std::make_unique<Impl>()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarrow-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    impl_->drive = pattern;
    impl_->platform = std::make_unique<platform::EmulatedPlatform>(pattern);
    std::filesystem::create_directories(impl_->platform->hostPath(impl_->scratchFolder));
}

TestMachine::~TestMachine() {
    impl_->platform.reset();
    std::error_code ignored;
    std::filesystem::remove_all(impl_->drive, ignored);
}

platform::Platform& TestMachine::platform() {
    return *impl_->platform;
}
platform::EmulatedPlatform* TestMachine::emulated() {
    return impl_->platform.get();
}
std::optional<std::size_t> TestMachine::openKeyCount() {
    return impl_->platform->openKeyCount();
}
std::optional<std::size_t> TestMachine::openHandleCount() {
    return impl_->platform->openHandleCount();
}
bool TestMachine::setWideValue(platform::Key root, const std::string& subKey,
                               const std::string& valueName, std::uint32_t kind,
                               const std::u16string& text) {
    impl_->platform->setWideValue(root, subKey, valueName, kind, text);
    return true;
}
const std::string& TestMachine::scratchFolder() const {
    return impl_->scratchFolder;
}
const std::string& TestMachine::scratchKey() const {
    return impl_->scratchKey;
}

} // namespace tarrow::testing
