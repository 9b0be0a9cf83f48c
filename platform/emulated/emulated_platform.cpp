// The machine as a whole: its setup, the last-error value, handles, the
// running program, and what tests look at afterwards.
#include "platform/emulated/emulated_platform.h"

#include "platform/emulated/code_page.h"
#include "platform/emulated/emulated_state.h"
#include "platform/emulated/hive_file.h"
#include "platform/emulated/text.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace platform {

namespace {

const std::string kProfileList = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";

// What Windows expands in the paths the programs meet.
const std::map<std::string, std::string> kEnvironment = {
    {"systemdrive", "C:"},
    {"systemroot", "C:\\windows"},
    {"windir", "C:\\windows"},
    {"programfiles", "C:\\Program Files"},
};

// A directory as GetSystemDirectoryA reports it: the count copied, or the
// size needed (NUL included) when the buffer is too small.
std::uint32_t ReportDirectory(const std::string& directory, char* buffer, std::uint32_t size) {
    const auto length = static_cast<std::uint32_t>(directory.size());
    if (buffer == nullptr || size <= length) {
        return length + 1;
    }
    std::memcpy(buffer, directory.c_str(), length + 1);
    return length;
}

} // namespace

// HKEY_CURRENT_USER is the running account's own hive when it is loaded;
// else, and always for LocalSystem, Windows maps it to HKEY_USERS\.DEFAULT.
void EmulatedPlatform::MapCurrentUser(State& state) {
    const std::string& sid = state.runningSid;
    const bool ownHive =
        !emulated::EqualsNoCase(sid, kLocalSystemSid) && state.registry.hiveLoaded(kHkeyUsers, sid);
    state.registry.setCurrentUserHive(ownHive ? sid : ".DEFAULT");
}

EmulatedPlatform::EmulatedPlatform(std::string driveRoot)
    : state_(std::make_unique<State>(std::move(driveRoot))) {
    auto& registry = state_->registry;
    registry.ensure(kHkeyLocalMachine, "SOFTWARE");
    registry.ensure(kHkeyLocalMachine, "SYSTEM");
    registry.ensure(kHkeyUsers, ".DEFAULT\\Control Panel\\Desktop");
    std::error_code ignored;
    std::filesystem::create_directories(hostPath(state_->systemDirectory), ignored);
    state_->privileges.grant("SeBackupPrivilege", true);
    state_->privileges.grant("SeRestorePrivilege", true);
    addAccount({std::string(kUserSid), "alice", "TARROW-PC"}, true);
    runAs(std::string(kUserSid));
}

void EmulatedPlatform::addAccount(const Account& account, bool loggedOn) {
    const std::string profile = "C:\\Users\\" + account.name;
    const std::string hiveFile = profile + "\\NTUSER.DAT";
    const auto setup = [](emulated::RegistryNode& hive) {
        hive.childOrNew("Control Panel").childOrNew("Desktop");
        hive.childOrNew("AppEvents")
            .childOrNew("Schemes")
            .childOrNew("Apps")
            .childOrNew(".Default")
            .childOrNew("SystemExit")
            .childOrNew(".Current");
    };
    std::error_code ignored;
    std::filesystem::create_directories(hostPath(profile), ignored);
    // The file stands for the hive; the registry keeps what it holds.
    emulated::RegistryNode initial;
    setup(initial);
    std::ofstream(hostPath(hiveFile), std::ios::binary) << emulated::SaveHive(initial);
    state_->accounts[emulated::FoldCase(account.sid)] = account;
    state_->registry.addProfileHive(account.sid, hiveFile, loggedOn, setup);
    const std::string imagePath = "%SystemDrive%\\Users\\" + account.name + '\0';
    state_->registry.ensureValue(kHkeyLocalMachine, kProfileList + account.sid, "ProfileImagePath",
                                 kRegExpandSz,
                                 emulated::BytesOfWide(emulated::WideFromAnsi(imagePath)));
}

void EmulatedPlatform::setLoggedOn(const std::string& sid, bool loggedOn) {
    state_->registry.setLoggedOn(sid, loggedOn);
    if (emulated::EqualsNoCase(sid, state_->runningSid)) {
        MapCurrentUser(*state_);
    }
}

void EmulatedPlatform::runAs(const std::string& sid) {
    state_->runningSid = sid;
    MapCurrentUser(*state_);
}

void EmulatedPlatform::setRestartExitCode(std::uint32_t exitCode) {
    state_->restartExitCode = exitCode;
}

const std::vector<EmulatedPlatform::JournalEntry>& EmulatedPlatform::journal() const {
    return state_->journal.entries();
}

void EmulatedPlatform::settle() {
    state_->drive.settle();
    state_->registry.settle();
}

void EmulatedPlatform::watchChanges(std::function<void(std::size_t)> watcher) {
    state_->journal.watch(std::move(watcher));
}

void EmulatedPlatform::cutPowerAfter(std::size_t changes) {
    settle();
    state_->journal.cutAfter(changes);
}

bool EmulatedPlatform::powerOff() const {
    return state_->journal.powerOff();
}

emulated::CutDimensions EmulatedPlatform::cutDimensions() const {
    emulated::CutDimensions cut = state_->drive.dimensions();
    cut.hives = state_->registry.dimensions();
    return cut;
}

emulated::DiskImage EmulatedPlatform::survivor(const emulated::Survival& survival) const {
    return survivors({survival}).front();
}

std::vector<emulated::DiskImage>
EmulatedPlatform::survivors(const std::vector<emulated::Survival>& survivals) const {
    const emulated::CutDimensions cut = cutDimensions();
    for (const emulated::Survival& survival : survivals) {
        bool fits = survival.metadataChanges <= cut.metadataChanges &&
                    survival.files.size() == cut.unflushedFiles.size() &&
                    survival.hiveChanges.size() == cut.hives.size();
        for (std::size_t k = 0; fits && k < cut.hives.size(); ++k) {
            fits = survival.hiveChanges[k] <= cut.hives[k].changes;
        }
        if (!fits) {
            throw std::invalid_argument("the survival does not fit what the cut could take");
        }
    }
    const auto files = state_->drive.survivors(survivals);
    std::vector<emulated::DiskImage> images;
    for (std::size_t k = 0; k < survivals.size(); ++k) {
        images.push_back({files[k], state_->registry.survivor(survivals[k].hiveChanges)});
    }
    return images;
}

void EmulatedPlatform::reboot(const emulated::Survival& survival) {
    restartFrom(survivor(survival));
}

void EmulatedPlatform::restartFrom(const emulated::DiskImage& image) {
    state_->kernel.closeAll();
    state_->drive.forgetDeletesOnClose();
    state_->finds.clear();
    state_->drive.restartFrom(image.files);
    state_->registry.restartFrom(image.hives);
    state_->journal.restart();
    for (const Luid& luid : state_->privileges.enabledOnes()) {
        state_->privileges.setEnabled(luid, false);
    }
    state_->lastError = 0;
    state_->started.clear();
    state_->exitCode = 0;
    state_->exitRequested = false;
    state_->commonControlsInitialized = 0;
}

std::map<std::string, std::map<std::string, emulated::RegistryValue>>
EmulatedPlatform::registryDump() const {
    return state_->registry.dump();
}

std::string EmulatedPlatform::ExpandEnvironmentStringsA(const std::string& text) {
    std::string expanded;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('%', at);
        const std::size_t close =
            open == std::string::npos ? std::string::npos : text.find('%', open + 1);
        if (close == std::string::npos) {
            expanded += text.substr(at);
            break;
        }
        expanded += text.substr(at, open - at);
        const auto value =
            kEnvironment.find(emulated::FoldCase(text.substr(open + 1, close - open - 1)));
        if (value != kEnvironment.end()) {
            expanded += value->second;
            at = close + 1;
        } else {
            // An unknown name stays as it is, its closing % free to open the next.
            expanded += text.substr(open, close - open);
            at = close;
        }
    }
    return expanded;
}

EmulatedPlatform::~EmulatedPlatform() = default;

std::uint32_t EmulatedPlatform::GetLastError() {
    return state_->lastError;
}

void EmulatedPlatform::SetLastError(std::uint32_t error) {
    state_->lastError = error;
}

bool EmulatedPlatform::CloseHandle(Handle handle) {
    if (handle == kCurrentProcessHandle) {
        return true;
    }
    std::string file;
    if (const auto* open = state_->kernel.find<std::unique_ptr<emulated::OpenFile>>(handle)) {
        file = (*open)->key();
    }
    if (!state_->kernel.close(handle)) {
        return state_->fail(kErrorInvalidHandle);
    }
    // The last close of a file opened to be deleted on close deletes it;
    // with the power off nothing reaches the disk.
    if (!file.empty() && !state_->journal.powerOff() && state_->drive.closed(file)) {
        state_->fileSecurity.removed(file);
        state_->journal.record("CloseHandle", file);
    }
    return true;
}

std::uint32_t EmulatedPlatform::GetSystemDirectoryA(char* buffer, std::uint32_t size) {
    if (state_->systemDirectory.empty()) {
        state_->fail(kErrorFileNotFound);
        return 0;
    }
    return ReportDirectory(state_->systemDirectory, buffer, size);
}

std::uint32_t EmulatedPlatform::GetSystemWow64DirectoryA(char* buffer, std::uint32_t size) {
    if (state_->wow64Directory.empty()) {
        state_->fail(kErrorCallNotImplemented);
        return 0;
    }
    return ReportDirectory(state_->wow64Directory, buffer, size);
}

bool EmulatedPlatform::IsWow64Process(Handle process, bool* wow64) {
    if (process != kCurrentProcessHandle &&
        state_->kernel.find<emulated::ProcessObject>(process) == nullptr) {
        return state_->fail(kErrorInvalidHandle);
    }
    if (wow64 == nullptr) {
        return state_->fail(kErrorInvalidParameter);
    }
    *wow64 = state_->runsUnderWow64;
    return true;
}

void EmulatedPlatform::setWindows64(bool wow64Program) {
    state_->wow64Directory = "C:\\windows\\SysWOW64";
    state_->runsUnderWow64 = wow64Program;
    std::error_code ignored;
    std::filesystem::create_directories(hostPath(state_->wow64Directory), ignored);
}

void EmulatedPlatform::Sleep(std::uint32_t milliseconds) {
    state_->sleptMilliseconds += milliseconds;
    // A copy: the hook may set another one.
    if (const auto hook = state_->onSleep) {
        hook();
    }
}

std::uint64_t EmulatedPlatform::GetSystemTimeAsFileTime() {
    return kStartTime + (state_->sleptMilliseconds + state_->passedMilliseconds) * 10'000;
}

// The machine lives one hour east of Greenwich, so that a test can tell
// local time from UTC.
bool EmulatedPlatform::FileTimeToLocalFileTime(std::uint64_t utc, std::uint64_t* local) {
    *local = utc + 3'600ull * 10'000'000ull;
    return true;
}

void EmulatedPlatform::passTime(std::uint64_t milliseconds) {
    state_->passedMilliseconds += milliseconds;
}

std::uint64_t EmulatedPlatform::sleptMilliseconds() const {
    return state_->sleptMilliseconds;
}

void EmulatedPlatform::onSleep(std::function<void()> hook) {
    state_->onSleep = std::move(hook);
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

void EmulatedPlatform::setWideValue(Key root, const std::string& subKey,
                                    const std::string& valueName, std::uint32_t kind,
                                    const std::u16string& text) {
    state_->registry.ensureValue(root, subKey, valueName, kind, emulated::BytesOfWide(text));
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

void EmulatedPlatform::clearFaults() {
    state_->registry.clearFaults();
    state_->drive.clearFaults();
    state_->tokenOpenFails = false;
    state_->keySaveFails = false;
    state_->keyRestoreFails = false;
    state_->pipeFailure = 0;
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
void EmulatedPlatform::failMoveTo(const std::string& windowsPath) {
    state_->drive.failMoveTo(windowsPath);
}
void EmulatedPlatform::failFlush(const std::string& windowsPath) {
    state_->drive.failFlush(windowsPath);
}
void EmulatedPlatform::failDelete(const std::string& windowsPath) {
    state_->drive.failDelete(windowsPath);
}
void EmulatedPlatform::failCreate(const std::string& windowsPath) {
    state_->drive.failCreate(windowsPath);
}
void EmulatedPlatform::failHiveLoad(const std::string& windowsPath) {
    state_->registry.failLoadOf(windowsPath);
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
