// The entry that Tarrow's apply and restore and rollback's uninstall leave
// in Tarrow.log, for each way they can end, the refused ones among them.
#include "rollback/rollback_app.h"
#include "shutdown/admin_log.h"
#include "shutdown/apply.h"
#include "shutdown/operation_lock.h"
#include "shutdown/saved_copy.h"
#include "shutdown/system_mark_file.h"
#include "tests/tarrow/tarrow_fixture.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarrow {
namespace {

using testing::TarrowWorld;

constexpr const char* kLog = "C:\\windows\\Logs\\Tarrow\\Tarrow.log";
constexpr const char* kValues = "C:\\windows\\system32\\informationS.dat";
const std::string kBob = "S-1-5-21-3623811015-3361044348-30300820-1002";

enum class Operation { Apply, Restore, Uninstall };

struct Machine {
    TarrowWorld w;
    std::optional<platform::UniqueHandle> held;
    bool tarrowRuns = false; // Tarrow's window is open beside the uninstall

    Machine() {
        EXPECT_TRUE(modregistry::SetValue(w.p, ValueKind::Text, RegistryRoot::CurrentUser,
                                          "Control Panel\\Desktop", "HungAppTimeout", "5000"));
    }
    // A speed-up made before, without the window (and so without an entry).
    void Applied() {
        ASSERT_EQ(shutdown::Apply(w.p, "C:\\Program Files\\Tarrow", {true, false}, bar).outcome,
                  shutdown::ApplyOutcome::Applied);
    }
    void HoldLock() {
        held.emplace(
            std::move(shutdown::HoldMarkFile(w.p, shutdown::OperationLockPath(w.p), 0).handle));
        ASSERT_TRUE(*held);
    }
    // Runs the operation as a user starts it; the exit code the program ends
    // with, 0 for Tarrow, which goes on running.
    std::uint32_t Start(Operation run) {
        if (run == Operation::Uninstall) {
            return Uninstall();
        }
        w.StartToMainWindow();
        MainForm& menu = w.app->Form2();
        if (run == Operation::Restore) {
            menu.RestoreSettings();
        } else {
            w.driver.click(menu.Label6);
            w.driver.queueAnswer(ui::mb::kRetry);
            w.driver.click(w.app->Working().Command1);
        }
        return 0;
    }
    // rollback.exe from the images folder, where the setup program puts it.
    std::uint32_t Uninstall() {
        if (!tarrowRuns) {
            w.app.reset();
        }
        const std::string folder = w.SystemDirectory() + "\\images";
        std::filesystem::create_directories(w.emulated.hostPath(folder));
        w.emulated.setModulePath(folder + "\\rollback.exe");
        w.emulated.setCommandLine("\"" + folder + "\\rollback.exe\"");
        EXPECT_TRUE(platform::WriteWholeFile(w.p, folder + "\\rollback.exe.manifest", "<x/>"));
        ui::HeadlessDriver driver(w.p);
        driver.addPictureResource(rollback::kBackgroundPictureResource);
        rollback::RollbackApp app(shell::ProgramContext{w.p, driver, w.identity});
        app.Start();
        driver.runTimers(10);
        return w.emulated.exitCode();
    }
    shutdown::MemoryProgress bar{100.0f};
};

// The value of the entry's line that starts with `name`: "" when none does.
std::string Field(const std::vector<std::string>& entry, const std::string& name) {
    for (const std::string& line : entry) {
        if (line.starts_with(name + ": ")) {
            return line.substr(name.size() + 2);
        }
    }
    return "";
}

std::string Joined(const std::vector<std::string>& entry) {
    std::string text;
    for (const std::string& line : entry) {
        text += line + "\n";
    }
    return text;
}

TEST(OperationLog, EachOperationLeavesOneEntryWithItsOutcomeAndExitCode) {
    struct Case {
        const char* name;
        Operation run;
        std::function<void(Machine&)> before;
        const char* outcome;
        std::uint32_t exitCode;
        const char* savedFiles;
        // Lines the entry holds, among its line for each of the 26 pairs
        // (none when the operation was refused before it read any).
        std::vector<std::string> lines = {};
    };
    const auto applied = [](Machine& m) { m.Applied(); };
    const auto damaged = [](Machine& m) {
        m.Applied();
        ASSERT_TRUE(platform::WriteWholeFile(m.w.p, kValues, "0: 1\n"));
    };
    const auto refusing = [](Machine& m) {
        m.Applied();
        m.w.emulated.failValueWrites(platform::kHkeyUsers, ".DEFAULT\\Control Panel\\Desktop");
    };
    const auto locked = [](Machine& m) { m.HoldLock(); };
    const auto oddKinds = [](Machine& m) {
        ASSERT_TRUE(modregistry::SetValue(m.w.p, ValueKind::Number, RegistryRoot::LocalMachine,
                                          "SYSTEM\\ControlSet001\\Control",
                                          "WaitToKillServiceTimeout", "20000"));
        ASSERT_TRUE(modregistry::SetValue(m.w.p, ValueKind::Binary, RegistryRoot::LocalMachine,
                                          "SYSTEM\\ControlSet002\\Control",
                                          "WaitToKillServiceTimeout", "7"));
        m.w.emulated.failValueWrites(platform::kHkeyUsers, ".DEFAULT\\Control Panel\\Desktop");
    };
    const std::string place0 = "Pair 0 HKCU\\Control Panel\\Desktop\\HungAppTimeout: ";
    const std::string place3 = "Pair 3 HKU\\.DEFAULT\\Control Panel\\Desktop\\HungAppTimeout: ";
    const Case cases[] = {
        {"an apply",
         Operation::Apply,
         [](Machine&) {},
         "applied",
         0,
         "written; now found: whole",
         {place0 + "found REG_SZ \"5000\"; written \"10\"", "Sound key: left alone"}},
        {"an apply over values of odd kinds, one place refusing",
         Operation::Apply,
         oddKinds,
         "applied",
         0,
         "written; now found: whole",
         {"Pair 1 HKLM\\SYSTEM\\ControlSet001\\Control\\WaitToKillServiceTimeout: found "
          "REG_DWORD \"20000\"; written \"10\"",
          "Pair 2 HKLM\\SYSTEM\\ControlSet002\\Control\\WaitToKillServiceTimeout: found "
          "REG_BINARY, 1 bytes, not carried; left alone",
          place3 + "found absent; refused (error 5)",
          "Pair 4 HKU\\S-1-5-19\\Control Panel\\Desktop\\HungAppTimeout: found no key (error 2); "
          "left alone"}},
        {"an apply that cannot save", Operation::Apply,
         [](Machine& m) { m.w.emulated.failMoveTo(kValues); }, "nothing saved", 0,
         "not written; now found: none"},
        {"an apply over another account's change", Operation::Apply,
         [](Machine& m) {
             m.w.emulated.addAccount({kBob, "bob", "TARROW-PC"}, true);
             m.w.emulated.runAs(kBob);
             m.Applied();
             m.w.emulated.runAs(std::string(platform::EmulatedPlatform::kUserSid));
         },
         "in force elsewhere", 0, "left alone; now found: whole"},
        {"an apply beside another operation", Operation::Apply, locked, "another operation running",
         0, "not looked at; now found: none"},
        {"a restore",
         Operation::Restore,
         applied,
         "restored",
         0,
         "used up; now found: none",
         {place0 + "saved \"5000\"; written \"5000\"", place3 + "saved absent; deleted",
          "Sound key: restored"}},
        {"a restore with nothing saved", Operation::Restore, [](Machine&) {}, "nothing to restore",
         0, "none saved; now found: none"},
        {"a restore of a damaged copy", Operation::Restore, damaged, "damaged", 0,
         "damaged; now found: damaged"},
        {"a restore that cannot write",
         Operation::Restore,
         refusing,
         "incomplete",
         0,
         "kept; now found: whole",
         {place3 + "saved absent; refused (error 5)"}},
        {"a restore whose sound key refuses its hive file",
         Operation::Restore,
         [](Machine& m) {
             m.Applied();
             m.w.emulated.failKeyRestore(true);
         },
         "incomplete",
         0,
         "kept; now found: whole",
         {"Sound key: not restored (error 5)"}},
        {"a restore beside another operation", Operation::Restore, locked,
         "another operation running", 0, "not looked at; now found: none"},
        {"an uninstall", Operation::Uninstall, applied, "restored", rollback::kExitRestored,
         "used up; now found: none"},
        {"an uninstall with nothing saved", Operation::Uninstall, [](Machine&) {},
         "nothing to restore", rollback::kExitRestored, "none saved; now found: none"},
        {"an uninstall of a damaged copy", Operation::Uninstall, damaged, "damaged",
         rollback::kExitDamaged, "damaged; now found: damaged"},
        {"an uninstall that cannot write", Operation::Uninstall, refusing, "incomplete",
         rollback::kExitIncomplete, "kept; now found: whole"},
        {"an uninstall while Tarrow runs", Operation::Uninstall,
         [](Machine& m) { m.tarrowRuns = true; }, "Tarrow running", rollback::kExitTarrowRunning,
         "not looked at; now found: none"},
        {"an uninstall beside another operation", Operation::Uninstall, locked,
         "another operation running", rollback::kExitAnotherOperation,
         "not looked at; now found: none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Machine m;
        c.before(m);

        const std::uint32_t exitCode = m.Start(c.run);

        EXPECT_EQ(exitCode, c.exitCode);
        m.w.emulated.clearFaults();
        const auto text = platform::ReadWholeFile(m.w.p, kLog);
        ASSERT_TRUE(text);
        const auto entries = shutdown::ReadableEntries(*text);
        ASSERT_EQ(entries.size(), 1u);
        const auto& entry = entries.front();
        const bool uninstall = c.run == Operation::Uninstall;
        EXPECT_EQ(Field(entry, "Operation"), uninstall                   ? "uninstall"
                                             : c.run == Operation::Apply ? "apply"
                                                                         : "restore");
        EXPECT_EQ(Field(entry, "Outcome"), c.outcome);
        EXPECT_EQ(Field(entry, "Exit code"), std::to_string(c.exitCode));
        EXPECT_EQ(Field(entry, "Program"),
                  std::string(uninstall ? "rollback.exe" : "Tarrow.exe") + " 1.0.0");
        EXPECT_EQ(Field(entry, "Account"),
                  "TARROW-PC\\alice (" + std::string(platform::EmulatedPlatform::kUserSid) + ")");
        // The emulated clock starts at midnight UTC, an hour ahead locally,
        // and moves only while the program waits.
        const std::uint64_t seconds = m.w.emulated.sleptMilliseconds() / 1000;
        char minuteAndSecond[8];
        std::snprintf(minuteAndSecond, sizeof minuteAndSecond, "%02u:%02u",
                      static_cast<unsigned>(seconds / 60), static_cast<unsigned>(seconds % 60));
        EXPECT_EQ(Field(entry, "Time"), std::string("2026-01-01 01:") + minuteAndSecond +
                                            " local, 2026-01-01 00:" + minuteAndSecond + " UTC");
        EXPECT_EQ(Field(entry, "Saved files"), c.savedFiles);
        const auto pairLines = std::count_if(entry.begin(), entry.end(), [](const std::string& l) {
            return l.starts_with("Pair ");
        });
        // Only an operation that went on to write has its pairs to tell.
        const std::string outcome = c.outcome;
        const bool ran =
            c.run == Operation::Apply
                ? outcome == "applied" || outcome == "nothing saved"
                : outcome == "incomplete" || std::string(c.savedFiles).starts_with("used up");
        EXPECT_EQ(pairLines, ran ? 26 : 0);
        for (const std::string& line : c.lines) {
            EXPECT_NE(std::find(entry.begin(), entry.end(), line), entry.end())
                << "no line \"" << line << "\" in:\n"
                << Joined(entry);
        }
        m.held.reset();
    }
}

} // namespace
} // namespace tarrow
