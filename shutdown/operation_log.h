// The entry each apply, restore and uninstall adds to Tarrow.log: when,
// which program, which account and whose change, the operation, how it
// ended and with which exit code, what became of each pair and of the
// saved files. Refused operations are logged as well; the rating is not.
#pragma once

#include "platform/platform.h"
#include "shutdown/admin_log.h"
#include "shutdown/apply.h"
#include "shutdown/restore.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarrow::shutdown {

enum class LoggedOperation { Apply, Restore, Uninstall };

// How an operation ended before it could run at all.
enum class Refusal {
    None,
    AnotherOperation, // the operation lock was held by another one
    TarrowRunning,    // the uninstaller found Tarrow running
};

struct OperationEntry {
    LoggedOperation operation = LoggedOperation::Apply;
    Refusal refusal = Refusal::None;
    const ApplyReport* apply = nullptr;     // the apply's report, when it ran
    const RestoreReport* restore = nullptr; // the restore's report, when it ran
    std::uint32_t exitCode = 0;             // what the program ends with
};

// "applied", "nothing saved", ... as the entry names how it ended.
std::string OutcomeText(const OperationEntry& entry);

// The entry's lines; `programFolder` is where an earlier version may have
// left its saved copy.
std::vector<std::string> EntryLines(platform::Platform& platform, const OperationEntry& entry,
                                    const std::string& programFolder);

// Appends the entry to Tarrow.log. Whatever the result, the operation is
// as it was: the caller goes on as it would have.
LogWriteResult LogOperation(platform::Platform& platform, const OperationEntry& entry,
                            const std::string& programFolder);

} // namespace tarrow::shutdown
