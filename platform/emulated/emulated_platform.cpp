// The machine as a whole: its setup, the last-error value, handles, the
// running program, and what tests look at afterwards.
#include "platform/emulated/emulated_platform.h"

#include "platform/emulated/emulated_state.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace platform {

EmulatedPlatform::EmulatedPlatform(std::string driveRoot)
    : state_(std::make_unique<State>(std::move(driveRoot))) {
    auto& registry = state_->registry;
    registry.ensure(kHkeyCurrentUser, "Control Panel\\Desktop");
    registry.ensure(kHkeyCurrentUser, "AppEvents\\Schemes\\Apps\\.Default\\SystemExit\\.Current");
    registry.ensure(kHkeyLocalMachine, "SOFTWARE");
    registry.ensure(kHkeyLocalMachine, "SYSTEM");
    registry.ensure(kHkeyUsers, ".DEFAULT\\Control Panel\\Desktop");
    std::error_code ignored;
    std::filesystem::create_directories(hostPath(state_->systemDirectory), ignored);
    state_->privileges.grant("SeBackupPrivilege", true);
    state_->privileges.grant("SeRestorePrivilege", true);
}

EmulatedPlatform::~EmulatedPlatform() = default;

std::uint32_t EmulatedPlatform::GetLastError() {
    return state_->lastError;
}

void EmulatedPlatform::SetLastError(std::uint32_t error) {
    state_->lastError = error;
}

bool EmulatedPlatform::CloseHandle(Handle handle) {
    if (handle == kCurrentProcessHandle || state_->kernel.close(handle)) {
        return true;
    }
    return state_->fail(kErrorInvalidHandle);
}

std::uint32_t EmulatedPlatform::GetSystemDirectoryA(char* buffer, std::uint32_t size) {
    const std::string& directory = state_->systemDirectory;
    if (directory.empty()) {
        state_->fail(kErrorFileNotFound);
        return 0;
    }
    const auto length = static_cast<std::uint32_t>(directory.size());
    if (buffer == nullptr || size <= length) {
        return length + 1; // the size needed, with the terminating NUL
    }
    std::memcpy(buffer, directory.c_str(), length + 1);
    return length;
}

std::string EmulatedPlatform::GetModuleFileNameA() {
    return state_->modulePath;
}

std::string EmulatedPlatform::GetCommandLineA() {
    return state_->commandLine;
}

void EmulatedPlatform::setSystemDirectory(const std::string& windowsPath) {
    state_->systemDirectory = windowsPath;
}

void EmulatedPlatform::createKey(Key root, const std::string& subKey) {
    state_->registry.ensure(root, subKey);
}

void EmulatedPlatform::setModulePath(const std::string& windowsPath) {
    state_->modulePath = windowsPath;
}

void EmulatedPlatform::setCommandLine(const std::string& commandLine) {
    state_->commandLine = commandLine;
}

std::string EmulatedPlatform::hostPath(const std::string& windowsPath) const {
    return state_->drive.hostPath(windowsPath);
}

void EmulatedPlatform::registerProgram(const std::string& name, Program program) {
    state_->programs.add(name, std::move(program));
}

const std::vector<EmulatedPlatform::StartedProcess>& EmulatedPlatform::startedProcesses() const {
    return state_->started;
}

std::uint32_t EmulatedPlatform::exitCode() const {
    return state_->exitCode;
}

std::size_t EmulatedPlatform::openKeyCount() const {
    return state_->registry.openCount();
}

std::size_t EmulatedPlatform::openHandleCount() const {
    return state_->kernel.count() + state_->finds.size();
}

void EmulatedPlatform::failKeyOpen(Key root, const std::string& subKey) {
    state_->registry.failOpen(root, subKey);
}

void EmulatedPlatform::failValueWrites(Key root, const std::string& subKey) {
    state_->registry.failValueWrites(root, subKey);
}
void EmulatedPlatform::limitKeyAccess(Key root, const std::string& subKey, std::uint32_t allowed) {
    state_->registry.limitAccess(root, subKey, allowed);
}
void EmulatedPlatform::failTokenOpen(bool fail) {
    state_->tokenOpenFails = fail;
}
void EmulatedPlatform::failKeySave(bool fail) {
    state_->keySaveFails = fail;
}
void EmulatedPlatform::failKeyRestore(bool fail) {
    state_->keyRestoreFails = fail;
}
void EmulatedPlatform::failCopyTo(const std::string& windowsPath) {
    state_->drive.failCopyTo(windowsPath);
}
void EmulatedPlatform::failDelete(const std::string& windowsPath) {
    state_->drive.failDelete(windowsPath);
}
void EmulatedPlatform::failCreate(const std::string& windowsPath) {
    state_->drive.failCreate(windowsPath);
}
void EmulatedPlatform::lockAgainstExamination(const std::string& windowsPath) {
    state_->drive.lockAgainstExamination(windowsPath);
}
void EmulatedPlatform::failReadsFrom(const std::string& windowsPath, std::uint64_t offset) {
    state_->drive.failReadsFrom(windowsPath, offset);
}
void EmulatedPlatform::failPipe(std::uint32_t error) {
    state_->pipeFailure = error;
}

} // namespace platform
