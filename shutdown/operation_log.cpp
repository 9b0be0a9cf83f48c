#include "shutdown/operation_log.h"

#include "platform/files.h"
#include "registry/modregistry.h"
#include "shutdown/change_in_force.h"
#include "shutdown/saved_copy.h"
#include "shutdown/saved_value.h"

#include <cstdio>
#include <functional>
#include <iterator>

#ifndef TARROW_VERSION
#error "TARROW_VERSION must name the programs' version"
#endif

namespace tarrow::shutdown {

using namespace platform;

namespace {

constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kDaysFrom1601To1970 = 134'774;

// "2026-01-01 00:00:00" of a FILETIME.
std::string CalendarText(std::uint64_t fileTime) {
    const std::uint64_t seconds = fileTime / kTicksPerSecond;
    // Days since 1970-01-01, then the civil date (Howard Hinnant's method).
    const std::int64_t z =
        static_cast<std::int64_t>(seconds / 86'400) - kDaysFrom1601To1970 + 719'468;
    const std::int64_t era = (z >= 0 ? z : z - 146'096) / 146'097;
    const std::int64_t doe = z - era * 146'097;
    const std::int64_t yoe = (doe - doe / 1'460 + doe / 36'524 - doe / 146'096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    const std::uint64_t inDay = seconds % 86'400;
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02llu:%02llu:%02llu",
                  static_cast<long long>(year), static_cast<long long>(month),
                  static_cast<long long>(day), static_cast<unsigned long long>(inDay / 3'600),
                  static_cast<unsigned long long>(inDay / 60 % 60),
                  static_cast<unsigned long long>(inDay % 60));
    return text;
}

const char* OperationName(LoggedOperation operation) {
    switch (operation) {
    case LoggedOperation::Apply:
        return "apply";
    case LoggedOperation::Restore:
        return "restore";
    case LoggedOperation::Uninstall:
        return "uninstall";
    }
    return "?";
}

const char* ApplyOutcomeText(ApplyOutcome outcome) {
    switch (outcome) {
    case ApplyOutcome::Applied:
        return "applied";
    case ApplyOutcome::NothingSaved:
        return "nothing saved";
    case ApplyOutcome::InForceElsewhere:
        return "in force elsewhere";
    case ApplyOutcome::OwnerUnknown:
        return "owner unknown";
    case ApplyOutcome::SavedCopyDamaged:
        return "damaged";
    case ApplyOutcome::BeingUninstalled:
        return "being uninstalled";
    }
    return "?";
}

const char* RestoreOutcomeText(RestoreOutcome outcome) {
    switch (outcome) {
    case RestoreOutcome::Restored:
        return "restored";
    case RestoreOutcome::NothingToRestore:
        return "nothing to restore";
    case RestoreOutcome::Damaged:
        return "damaged";
    case RestoreOutcome::Incomplete:
        return "incomplete";
    case RestoreOutcome::OwnerUnknown:
        return "owner unknown";
    }
    return "?";
}

const char* PairOutcomeText(PairOutcome outcome) {
    switch (outcome) {
    case PairOutcome::Written:
        return "written";
    case PairOutcome::Deleted:
        return "deleted";
    case PairOutcome::Refused:
        return "refused";
    case PairOutcome::LeftAlone:
        return "left alone";
    case PairOutcome::NothingSaved:
        return "nothing saved";
    case PairOutcome::NoAccount:
        return "account gone";
    case PairOutcome::Unreachable:
        return "not reachable";
    }
    return "?";
}

std::string AccountText(Platform& platform, const std::string& sid) {
    if (sid.empty()) {
        return "(unknown)";
    }
    return AccountName(platform, sid) + " (" + sid + ")";
}

const char* RootName(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::CurrentUser:
        return "HKCU"; // the applying account's own hive, as its owner sees it
    case RegistryRoot::LocalMachine:
        return "HKLM";
    case RegistryRoot::Users:
        break;
    }
    return "HKU";
}

std::string PairName(const WritePair& pair) {
    return "Pair " + std::to_string(pair.place->index) + " " + RootName(pair.place->root) + "\\" +
           std::string(pair.place->keyPath) + "\\" + std::string(pair.valueName);
}

std::string ErrorText(std::uint32_t error) {
    return error == 0 ? std::string() : " (error " + std::to_string(error) + ")";
}

std::string KindName(std::uint32_t kind) {
    static constexpr const char* kNames[] = {"REG_NONE",
                                             "REG_SZ",
                                             "REG_EXPAND_SZ",
                                             "REG_BINARY",
                                             "REG_DWORD",
                                             "REG_DWORD_BIG_ENDIAN",
                                             "REG_LINK",
                                             "REG_MULTI_SZ",
                                             "REG_RESOURCE_LIST",
                                             "REG_FULL_RESOURCE_DESCRIPTOR",
                                             "REG_RESOURCE_REQUIREMENTS_LIST",
                                             "REG_QWORD"};
    if (kind < std::size(kNames)) {
        return kNames[kind];
    }
    return "kind " + std::to_string(kind);
}

// What the apply found at a pair: its kind, and its text when the saved
// file carries it whole.
std::string FoundText(const modregistry::StoredValue& stored) {
    using Found = modregistry::StoredValue::Found;
    switch (stored.found) {
    case Found::NoKey:
        return "no key" + ErrorText(stored.error);
    case Found::Absent:
        return "absent";
    case Found::Unreadable:
        return "unreadable" + ErrorText(stored.error);
    case Found::Value:
        break;
    }
    const SavedValue saved = SavedValueOf(stored);
    if (saved.kind == SavedKind::Exact) {
        return KindName(stored.kind) + " \"" + saved.text + "\"";
    }
    return KindName(stored.kind) + ", " + std::to_string(stored.bytes.size()) +
           " bytes, not carried";
}

// What the saved copy holds for a pair.
std::string CopyHolds(const SavedValue& saved) {
    switch (saved.kind) {
    case SavedKind::Absent:
        return "absent";
    case SavedKind::Exact:
        return "\"" + saved.text + "\"";
    case SavedKind::LeftAlone:
        break;
    }
    return "not carried";
}

// What became of the pair: "written "10"", "refused (error 5)", ...
std::string DoneText(const PairResult& write) {
    std::string done = PairOutcomeText(write.outcome);
    if (write.outcome == PairOutcome::Written) {
        done += " \"" + write.text + "\"";
    }
    return done + ErrorText(write.outcome == PairOutcome::Refused ? write.error : 0);
}

// One line per pair, in the writing order: what was there before (the
// apply) or what the copy holds (the restore), and what became of it.
void AddPairs(const std::vector<PairResult>& writes, const std::string& foundLabel,
              const std::function<std::string(std::size_t)>& foundAt,
              std::vector<std::string>& lines) {
    for (const PairResult& write : writes) {
        if (write.pair == nullptr) {
            continue;
        }
        lines.push_back(PairName(*write.pair) + ": " + foundLabel + " " +
                        foundAt(write.pair->entry) + "; " + DoneText(write));
    }
}

// What the operation did with the saved files, as the entry says it.
std::string SavedFilesDone(const OperationEntry& entry) {
    if (entry.apply != nullptr) {
        switch (entry.apply->outcome) {
        case ApplyOutcome::Applied:
            return entry.apply->merged ? "kept and brought up to date" : "written";
        case ApplyOutcome::NothingSaved:
            return "not written";
        case ApplyOutcome::SavedCopyDamaged:
            return "damaged";
        default:
            return "left alone";
        }
    }
    if (entry.restore != nullptr) {
        if (entry.restore->outcome == RestoreOutcome::NothingToRestore) {
            return "none saved";
        }
        if (entry.restore->copiesDeleted) {
            return "used up";
        }
        return entry.restore->outcome == RestoreOutcome::Damaged ? "damaged" : "kept";
    }
    return "not looked at";
}

void AddSavedFiles(Platform& platform, const OperationEntry& entry,
                   const std::string& programFolder, std::vector<std::string>& lines) {
    const std::string systemDirectory = modregistry::GetSystemdir(platform);
    const SavedCopy copy = FindSavedCopy(platform, systemDirectory, programFolder);
    const char* found = copy.state == SavedCopy::State::None      ? "none"
                        : copy.state == SavedCopy::State::Damaged ? "damaged"
                                                                  : "whole";
    const std::string folder = copy.state == SavedCopy::State::None ? systemDirectory : copy.folder;
    lines.push_back("Saved files: " + SavedFilesDone(entry) + "; now found: " + found);
    lines.push_back("  " + SavedFilePath(folder, kSavedValuesFile) + ": " +
                    (copy.state == SavedCopy::State::None ? "absent" : "present"));
    lines.push_back("  " + SavedFilePath(folder, kSavedSoundFile) + ": " +
                    (copy.hasSound ? "present" : "absent"));
}

} // namespace

std::string OutcomeText(const OperationEntry& entry) {
    switch (entry.refusal) {
    case Refusal::AnotherOperation:
        return "another operation running";
    case Refusal::TarrowRunning:
        return "Tarrow running";
    case Refusal::None:
        break;
    }
    if (entry.apply != nullptr) {
        return ApplyOutcomeText(entry.apply->outcome);
    }
    if (entry.restore != nullptr) {
        return RestoreOutcomeText(entry.restore->outcome);
    }
    return "?";
}

std::vector<std::string> EntryLines(Platform& platform, const OperationEntry& entry,
                                    const std::string& programFolder) {
    const std::uint64_t now = platform.GetSystemTimeAsFileTime();
    std::uint64_t local = now;
    const std::string localText =
        platform.FileTimeToLocalFileTime(now, &local) ? CalendarText(local) : "(unknown)";
    std::vector<std::string> lines = {
        "Time: " + localText + " local, " + CalendarText(now) + " UTC",
        "Program: " + FileNameOf(platform.GetModuleFileNameA()) + " " + TARROW_VERSION,
        "Account: " + AccountText(platform, RunningAccount(platform)),
        "AppliedBy: " + AccountText(platform, ReadAppliedBy(platform).value_or("")),
        std::string("Operation: ") + OperationName(entry.operation),
        "Outcome: " + OutcomeText(entry),
        "Exit code: " + std::to_string(entry.exitCode),
    };
    if (entry.apply != nullptr) {
        const ApplyReport& apply = *entry.apply;
        AddPairs(
            apply.writes, "found",
            [&apply](std::size_t k) {
                return k < apply.found.size() ? FoundText(apply.found[k]) : std::string("not read");
            },
            lines);
        const char* sound = apply.sound == SoundOutcome::Silenced  ? "silenced"
                            : apply.sound == SoundOutcome::Refused ? "refused"
                                                                   : "left alone";
        lines.push_back(std::string("Sound key: ") + sound +
                        ErrorText(apply.sound == SoundOutcome::Refused ? apply.soundError : 0));
    }
    if (entry.restore != nullptr) {
        const RestoreReport& restore = *entry.restore;
        AddPairs(
            restore.writes, "saved",
            [&restore](std::size_t k) {
                return restore.saved ? CopyHolds((*restore.saved)[k]) : std::string("not read");
            },
            lines);
        const char* sound = restore.soundRestored ? "restored"
                            : restore.soundSaved  ? "not restored"
                                                  : "none saved";
        lines.push_back(std::string("Sound key: ") + sound +
                        ErrorText(restore.soundRestored ? 0 : restore.soundError));
    }
    AddSavedFiles(platform, entry, programFolder, lines);
    return lines;
}

LogWriteResult LogOperation(Platform& platform, const OperationEntry& entry,
                            const std::string& programFolder) {
    return AppendLogEntry(platform, AdminLogFolder(platform),
                          EntryLines(platform, entry, programFolder));
}

} // namespace tarrow::shutdown
