// What the emulated machine holds, shared by the files that implement the
// calls of EmulatedPlatform, each for one area.
#pragma once

#include "platform/emulated/drive.h"
#include "platform/emulated/emulated_platform.h"
#include "platform/emulated/file_security.h"
#include "platform/emulated/handle_numbers.h"
#include "platform/emulated/journal.h"
#include "platform/emulated/kernel_handles.h"
#include "platform/emulated/privileges.h"
#include "platform/emulated/programs.h"
#include "platform/emulated/registry.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace platform {

// GetCurrentProcess's pseudo handle, as Windows gives it; it needs no closing.
constexpr Handle kCurrentProcessHandle = static_cast<Handle>(-1);

struct EmulatedPlatform::State {
    explicit State(std::string driveRoot) : drive(std::move(driveRoot)) {}

    // Sets the last error of a failing call.
    bool fail(long error) {
        lastError = static_cast<std::uint32_t>(error);
        return false;
    }
    // True, with the last error set, once the power is off: the call must
    // then fail and change nothing.
    bool powerOff() {
        if (!journal.powerOff()) {
            return false;
        }
        lastError = static_cast<std::uint32_t>(kErrorNotReady);
        return true;
    }

    // The running account, as the file rules see it.
    emulated::Caller caller() const;
    // Why the running account may not reach the file at `path` (0 when it
    // may): one that is no administrator changes nothing in the system
    // directory (`changes`: creates, writes or deletes), and nobody reaches
    // a file whose security descriptor leaves the account out.
    long refusal(const std::string& path, bool changes) const;

    struct FindListing {
        std::vector<FindData> entries;
        std::size_t next = 0;
    };

    emulated::HandleNumbers numbers;
    emulated::Registry registry{numbers};
    emulated::Privileges privileges;
    emulated::Programs programs;
    // Declared after the drive: open files end their leases on its share
    // table when the handles go.
    emulated::Drive drive;
    emulated::KernelHandles kernel{numbers};
    emulated::FileSecurity fileSecurity;
    std::map<Handle, FindListing> finds;

    emulated::Journal journal;
    std::map<std::string, Account> accounts; // by lower-case SID
    std::string runningSid;

    std::uint32_t lastError = 0;
    std::uint64_t sleptMilliseconds = 0;
    std::function<void()> onSleep;
    std::uint64_t passedMilliseconds = 0;
    std::string systemDirectory = "C:\\windows\\system32";
    // A 64-bit Windows has it; the program runs under WOW64 when it is a
    // 32-bit one there.
    std::string wow64Directory;
    bool runsUnderWow64 = false;
    std::string modulePath = "C:\\Program Files\\Tarrow\\Tarrow.exe";
    std::string commandLine = "\"C:\\Program Files\\Tarrow\\Tarrow.exe\"";

    std::vector<StartedProcess> started;
    std::uint32_t nextProcessId = 0x1000;
    std::uint32_t restartExitCode = 0;
    std::uint32_t exitCode = 0;
    bool exitRequested = false;
    int commonControlsInitialized = 0;

    bool tokenOpenFails = false;
    bool keySaveFails = false;
    bool keyRestoreFails = false;
    std::uint32_t pipeFailure = 0;
};

} // namespace platform
