// The uninstaller on the emulated machine with the headless driver: it puts
// the saved settings back wherever they lie, deletes every saved file when
// all is back, keeps them when not, and ends by itself either way.
#include "rollback/rollback_app.h"

#include "rollback/clean_uninstall.h"

#include "platform/handles.h"
#include "shell/running_mark.h"
#include "shutdown/apply.h"
#include "shutdown/change_in_force.h"
#include "shutdown/operation_lock.h"
#include "shutdown/system_mark_file.h"
#include "shutdown/uninstall_mark.h"
#include "shutdown/saved_settings.h"
#include "tests/shutdown/shutdown_machine.h"
#include "ui/headless/headless_driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tarrow::rollback {
namespace {

using testing::ShutdownMachine;
using testing::Snapshot;

// The uninstaller lies in the images folder below the system directory,
// where the setup program puts it.
struct Uninstaller {
    ShutdownMachine& m;
    const std::string folder = m.systemDirectory + "\\images";
    ui::HeadlessDriver driver{m.p};
    std::unique_ptr<RollbackApp> app;

    explicit Uninstaller(ShutdownMachine& machine, bool withManifest = true) : m(machine) {
        std::filesystem::create_directories(m.emulated.hostPath(folder));
        m.emulated.setModulePath(folder + "\\rollback.exe");
        m.emulated.setCommandLine("\"" + folder + "\\rollback.exe\"");
        if (withManifest) {
            EXPECT_TRUE(platform::WriteWholeFile(m.p, folder + "\\rollback.exe.manifest", "<x/>"));
        }
        driver.addPictureResource(kBackgroundPictureResource);
        app = std::make_unique<RollbackApp>(
            shell::ProgramContext{m.p, driver, modxpstyle::ProgramIdentity{1, 0, 0, "u"}});
    }
    // Starts the program and lets its timer run until it ends.
    int Run() {
        app->Start();
        return driver.runTimers(10);
    }
    std::string InOwnFolder(std::string_view file) const { return SavedFilePath(folder, file); }
};

// What HKLM\SOFTWARE\Tarrow holds, or nothing when the key is not there.
struct TarrowKeyContents {
    std::uint32_t subKeys = 0;
    std::uint32_t values = 0;
    bool operator==(const TarrowKeyContents&) const = default;
};
std::optional<TarrowKeyContents> TarrowKey(ShutdownMachine& m) {
    platform::UniqueKey key(m.p);
    if (m.p.RegOpenKeyExA(platform::kHkeyLocalMachine, std::string(shutdown::kTarrowKey), 0,
                          platform::kKeyRead, key.put()) != platform::kErrorSuccess) {
        return std::nullopt;
    }
    TarrowKeyContents contents;
    EXPECT_EQ(m.p.RegQueryInfoKeyA(key.get(), &contents.subKeys, &contents.values),
              platform::kErrorSuccess);
    return contents;
}

// What the package removes after rollback.exe has ended: its uninstall mark
// and, when nothing else is left in it, the key.
void RemoveWhatThePackageRemoves(ShutdownMachine& m) {
    ASSERT_TRUE(modregistry::DeleteValue(m.p, RegistryRoot::LocalMachine,
                                         std::string(shutdown::kTarrowKey),
                                         std::string(shutdown::kUninstallMarkValue)));
    DeleteTarrowKeyIfEmpty(m.p);
}

// Tarrow applied the speed-up from its own folder: the saved files lie in
// the system directory.
std::array<std::string, kTimeoutPairCount> AppliedOn(ShutdownMachine& m) {
    const auto values = m.FillEveryPlace();
    shutdown::Apply(m.p, m.programFolder, {true, true}, m.bar);
    EXPECT_EQ(m.Text(0), "0");
    return values;
}

TEST(Uninstall, PutsEverythingBackDeletesAllFourFilesAndEndsByItself) {
    ShutdownMachine m;
    const auto values = AppliedOn(m);
    ASSERT_TRUE(shutdown::ReadAppliedBy(m.p).has_value());
    // Tarrow.msi keeps its product code below the key, and removes it itself.
    const std::string packageKey = std::string(shutdown::kTarrowKey) + "\\Package";
    ASSERT_TRUE(modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::LocalMachine, packageKey,
                                      "ProductCode", "{PACKAGE}"));
    Uninstaller rollback(m);

    rollback.app->Start();
    UninstallForm& form = rollback.app->Form1();
    ASSERT_TRUE(form.visible());
    EXPECT_EQ(form.caption(), "Uninstalling");
    EXPECT_EQ(form.Label1.caption(),
              "To continue and complete the uninstalling please wait.\rIt taks a few minutes.");
    EXPECT_NE(form.picture(), nullptr) << "the picture stored in the executable";
    EXPECT_NE(form.objDOS(), nullptr);
    EXPECT_EQ(form.Timer1.interval(), 500u);
    EXPECT_EQ(form.PB1.max(), 100.0f);
    EXPECT_EQ(rollback.driver.runTimers(10), 1) << "one tick does the work";

    EXPECT_TRUE(rollback.driver.programEnded());
    EXPECT_EQ(m.emulated.exitCode(), kExitRestored);
    for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
        EXPECT_EQ(m.Text(k), values[k]) << k;
    }
    EXPECT_EQ(m.Sound(), "tada.wav");
    EXPECT_EQ(m.MarkerText(kSavedMarker), "0");
    EXPECT_EQ(m.MarkerText(kChangeMarker), "0");
    for (const std::string& file :
         {rollback.InOwnFolder(kSavedValuesFile), rollback.InOwnFolder(kSavedSoundFile),
          m.InSystemDirectory(kSavedValuesFile), m.InSystemDirectory(kSavedSoundFile)}) {
        EXPECT_FALSE(m.Exists(file)) << file;
    }
    EXPECT_FALSE(form.PB1.visible());
    EXPECT_EQ(form.PB1.value(), 0.0f);
    EXPECT_TRUE(rollback.driver.messages().empty()) << "no message at any point";
    // Who applied goes; the package's own code and the uninstall mark stay
    // for the package to remove, and the key goes once they have.
    EXPECT_EQ(shutdown::ReadAppliedBy(m.p), std::nullopt);
    EXPECT_EQ(TarrowKey(m), (TarrowKeyContents{1, 1}));
    EXPECT_EQ(modregistry::GetValue(m.p, RegistryRoot::LocalMachine, packageKey, "ProductCode", ""),
              "{PACKAGE}");
    RemoveWhatThePackageRemoves(m);
    EXPECT_EQ(TarrowKey(m), (TarrowKeyContents{1, 0})) << "the package's code is still below it";
    ASSERT_TRUE(
        modregistry::DeleteValue(m.p, RegistryRoot::LocalMachine, packageKey, "ProductCode"));
    EXPECT_FALSE(DeleteTarrowKeyIfEmpty(m.p)) << "a subkey, even an empty one, keeps the key";
    EXPECT_EQ(TarrowKey(m), (TarrowKeyContents{1, 0}));
    EXPECT_EQ(m.emulated.openKeyCount(), 0u);
    EXPECT_EQ(m.emulated.openHandleCount(), 0u);
}

TEST(Uninstall, RestoresFromWhereverTheSavedFilesLie) {
    struct Case {
        const char* name;
        bool inSystem, inOwnFolder;
        const char* expected; // place 0's first value afterwards
    };
    const Case cases[] = {
        {"system directory only", true, false, "from system"},
        {"own folder only", false, true, "from own folder"},
        {"both", true, true, "from system"},
        {"neither: nothing was ever applied", false, false, "untouched"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShutdownMachine m;
        Uninstaller rollback(m);
        modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::CurrentUser,
                              "Control Panel\\Desktop", "HungAppTimeout", "untouched");
        const auto save = [&m](const std::string& folder, const std::string& first) {
            SavedValues saved;
            saved.fill(shutdown::SavedValue::LeftAlone());
            saved[0] = shutdown::SavedValue::Exact(first);
            m.PlaceSavedCopy(saved, folder);
        };
        if (c.inSystem) {
            save(m.systemDirectory, "from system");
        }
        if (c.inOwnFolder) {
            save(rollback.folder, "from own folder");
        }
        const Snapshot before = m.TakeSnapshot();

        EXPECT_EQ(rollback.Run(), 1);

        EXPECT_TRUE(rollback.driver.programEnded());
        EXPECT_EQ(m.emulated.exitCode(), kExitRestored);
        EXPECT_EQ(m.Text(0), c.expected);
        if (!c.inSystem && !c.inOwnFolder) {
            EXPECT_EQ(m.TakeSnapshot(), before) << "no time-out is written";
        }
        EXPECT_FALSE(m.Exists(m.InSystemDirectory(kSavedValuesFile)));
        EXPECT_FALSE(m.Exists(rollback.InOwnFolder(kSavedValuesFile)));
    }
}

// What cannot be put back is kept for a later run: the uninstaller then
// deletes no saved file and ends with a code that tells a setup program not
// to go on. It never shows a box, so that a silent uninstall cannot hang.
TEST(Uninstall, KeepsTheSavedFilesAndSaysSoWhenItCouldNotRestore) {
    struct Case {
        const char* name;
        std::function<void(ShutdownMachine&, Uninstaller&)> inject;
        std::uint32_t exitCode;
        bool soundGoneBeforeTheStop = false;
    };
    const std::vector<Case> cases = {
        {"key restore", [](ShutdownMachine& m, Uninstaller&) { m.emulated.failKeyRestore(true); },
         kExitIncomplete},
        {"token", [](ShutdownMachine& m, Uninstaller&) { m.emulated.failTokenOpen(true); },
         kExitIncomplete},
        {"writes at the machine's places",
         [](ShutdownMachine& m, Uninstaller&) {
             m.emulated.failValueWrites(platform::kHkeyLocalMachine,
                                        "SYSTEM\\ControlSet001\\Control");
         },
         kExitIncomplete},
        {"delete in the system directory",
         [](ShutdownMachine& m, Uninstaller&) {
             m.emulated.failDelete(m.InSystemDirectory(kSavedValuesFile));
         },
         kExitIncomplete, true},
        {"a damaged saved file",
         [](ShutdownMachine& m, Uninstaller&) {
             ASSERT_TRUE(platform::WriteWholeFile(m.p, m.InSystemDirectory(kSavedValuesFile),
                                                  "0: 10\n0: 10\n"));
         },
         kExitDamaged},
        {"a huge saved file",
         [](ShutdownMachine& m, Uninstaller&) {
             ASSERT_TRUE(platform::WriteWholeFile(m.p, m.InSystemDirectory(kSavedValuesFile),
                                                  std::string(kSavedFileLimit + 1, '0')));
         },
         kExitDamaged},
        {"a saved file that cannot be read",
         [](ShutdownMachine& m, Uninstaller&) {
             m.emulated.failReadsFrom(m.InSystemDirectory(kSavedValuesFile), 10);
         },
         kExitDamaged},
        {"an earlier version's copy that two accounts' markers claim",
         [](ShutdownMachine& m, Uninstaller&) {
             const std::string bob = "S-1-5-21-3623811015-3361044348-30300820-1002";
             ASSERT_TRUE(modregistry::DeleteValue(m.p, RegistryRoot::LocalMachine,
                                                  "SOFTWARE\\Tarrow", "AppliedBy"));
             m.emulated.addAccount({bob, "bob", "TARROW-PC"}, true);
             ASSERT_TRUE(modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::Users,
                                               bob + "\\Consol", "Change", "1"));
         },
         kExitOwnerUnknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShutdownMachine m;
        AppliedOn(m);
        Uninstaller rollback(m);
        c.inject(m, rollback);
        const auto kept = m.OnDisk(m.InSystemDirectory(kSavedValuesFile));
        const auto appliedBy = shutdown::ReadAppliedBy(m.p);

        EXPECT_EQ(rollback.Run(), 1);

        EXPECT_TRUE(rollback.driver.programEnded());
        EXPECT_EQ(m.emulated.exitCode(), c.exitCode);
        EXPECT_TRUE(rollback.driver.messages().empty());
        EXPECT_FALSE(rollback.app->Form1().PB1.visible());
        EXPECT_EQ(m.emulated.openKeyCount(), 0u);
        EXPECT_EQ(m.emulated.openHandleCount(), 0u);
        m.emulated.clearFaults();
        EXPECT_EQ(m.OnDisk(m.InSystemDirectory(kSavedValuesFile)), kept);
        // The sound file goes first when the copy is used up; what stops
        // that stops before the record goes.
        EXPECT_EQ(m.Exists(m.InSystemDirectory(kSavedSoundFile)), !c.soundGoneBeforeTheStop);
        EXPECT_EQ(m.MarkerText(kChangeMarker), "1");
        // Whose the kept files are stays known (an earlier version's copy
        // had no record to keep).
        EXPECT_EQ(shutdown::ReadAppliedBy(m.p), appliedBy);
        EXPECT_FALSE(shutdown::UninstallInProgress(m.p));
    }
}

// After a restore in Tarrow the copy is used up: an uninstall months later
// writes nothing over what the user has set since.
TEST(Uninstall, AfterARestoreInTarrowWritesNothing) {
    ShutdownMachine m;
    AppliedOn(m);
    ASSERT_EQ(shutdown::Restore(m.p, m.programFolder, m.bar).outcome,
              shutdown::RestoreOutcome::Restored);
    ASSERT_TRUE(modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::CurrentUser,
                                      "Control Panel\\Desktop", "HungAppTimeout", "set since"));
    m.SetSound("new.wav");
    const Snapshot before = m.TakeSnapshot();
    Uninstaller rollback(m);

    EXPECT_EQ(rollback.Run(), 1);

    EXPECT_EQ(m.emulated.exitCode(), kExitRestored);
    EXPECT_EQ(m.TakeSnapshot(), before);
    EXPECT_EQ(m.Sound(), "new.wav");
}

// A running Tarrow holds its mark: the uninstall puts nothing back, keeps
// every saved file and says so. A mark that Tarrow let go (it ended) or
// another program's mutex does not stop it.
// What else runs beside the uninstaller: a Tarrow (its mark held), or
// another operation (the lock held, for all of the wait or a part of it).
// Whatever it meets, it writes nothing unless it can go on alone, and only a
// complete restore leaves the mark that keeps Tarrow from applying while the
// package removes it.
TEST(Uninstall, GoesOnOnlyWhenNothingElseOfTarrowRuns) {
    struct Case {
        const char* name;
        // Sets up what runs beside it; what it returns is held while the
        // uninstaller runs.
        std::function<platform::UniqueHandle(ShutdownMachine&)> beside;
        std::uint32_t exitCode;
        std::uint64_t waitedAtLeastMs;
        // A complete restore whose markers all went to "0" forgets who
        // applied; anything less keeps AppliedBy.
        bool forgetsWhoApplied;
    };
    const auto lockPath = [](ShutdownMachine& m) { return shutdown::OperationLockPath(m.p); };
    const std::vector<Case> cases = {
        {"Tarrow runs", [](ShutdownMachine& m) { return shell::HoldTarrowRunningMark(m.p); },
         kExitTarrowRunning, 0, false},
        {"Tarrow has ended",
         [](ShutdownMachine& m) {
             shell::HoldTarrowRunningMark(m.p);
             return platform::UniqueHandle(m.p);
         },
         kExitRestored, 0, true},
        {"a mark a power cut left without Tarrow",
         [](ShutdownMachine& m) {
             EXPECT_TRUE(platform::WriteWholeFile(m.p, shell::TarrowRunningPath(m.p), ""));
             return platform::UniqueHandle(m.p);
         },
         kExitRestored, 0, true},
        {"another operation holds the lock throughout",
         [&](ShutdownMachine& m) {
             return std::move(shutdown::HoldMarkFile(m.p, lockPath(m), 0).handle);
         },
         kExitAnotherOperation, shutdown::kUninstallLockWaitMs, false},
        {"another operation lets go during the wait",
         [&](ShutdownMachine& m) {
             auto held = std::make_shared<platform::UniqueHandle>(
                 std::move(shutdown::HoldMarkFile(m.p, lockPath(m), 0).handle));
             m.emulated.onSleep([&m, held] {
                 if (m.emulated.sleptMilliseconds() >= 2000) {
                     held->reset();
                 }
             });
             return platform::UniqueHandle(m.p);
         },
         kExitRestored, 2000, true},
        {"every setting back, but a marker cannot be cleared",
         [](ShutdownMachine& m) {
             m.emulated.failValueWrites(platform::kHkeyCurrentUser,
                                        std::string(kChangeMarker.keyPath));
             return platform::UniqueHandle(m.p);
         },
         kExitRestored, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShutdownMachine m;
        const auto values = AppliedOn(m);
        const Snapshot applied = m.TakeSnapshot();
        const auto saved = m.OnDisk(m.InSystemDirectory(kSavedValuesFile));
        const platform::UniqueHandle beside = c.beside(m);
        Uninstaller rollback(m);

        EXPECT_EQ(rollback.Run(), 1);

        EXPECT_TRUE(rollback.driver.programEnded());
        EXPECT_EQ(m.emulated.exitCode(), c.exitCode);
        EXPECT_TRUE(rollback.driver.messages().empty());
        EXPECT_GE(m.emulated.sleptMilliseconds(), c.waitedAtLeastMs);
        EXPECT_LT(m.emulated.sleptMilliseconds(), c.waitedAtLeastMs + 1000);
        const bool restored = c.exitCode == kExitRestored;
        if (restored) {
            for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
                EXPECT_EQ(m.Text(k), values[k]) << k;
            }
            EXPECT_FALSE(m.Exists(m.InSystemDirectory(kSavedValuesFile)));
        } else {
            EXPECT_EQ(m.TakeSnapshot(), applied);
            EXPECT_EQ(m.OnDisk(m.InSystemDirectory(kSavedValuesFile)), saved);
            EXPECT_TRUE(m.Exists(m.InSystemDirectory(kSavedSoundFile)));
            EXPECT_EQ(m.MarkerText(kChangeMarker), "1");
        }
        EXPECT_EQ(shutdown::UninstallInProgress(m.p), restored);
        EXPECT_EQ(shutdown::ReadAppliedBy(m.p).has_value(), !c.forgetsWhoApplied);
        m.emulated.clearFaults();
        RemoveWhatThePackageRemoves(m);
        // Once the package has removed its mark, nothing of Tarrow's is left
        // there unless AppliedBy had to stay, and beside it the mark of the
        // change while that is still in force.
        EXPECT_EQ(TarrowKey(m), c.forgetsWhoApplied
                                    ? std::nullopt
                                    : std::optional(TarrowKeyContents{0, restored ? 1u : 2u}));
        EXPECT_EQ(modregistry::ReadStoredValue(m.p, RegistryRoot::LocalMachine,
                                               std::string(shutdown::kTarrowKey),
                                               std::string(shutdown::kChangeInForceValue))
                          .found == modregistry::StoredValue::Found::Value,
                  !restored);
        m.emulated.onSleep({});
    }
}

TEST(Uninstall, TheFirstStartWritesTheManifestAndHandsOverToANewInstance) {
    ShutdownMachine m;
    AppliedOn(m);
    Uninstaller rollback(m, false);
    // The new instance could not put everything back: whoever waits on the
    // first one learns so.
    m.emulated.setRestartExitCode(kExitIncomplete);
    rollback.app->Start();

    EXPECT_TRUE(rollback.driver.programEnded());
    EXPECT_EQ(m.emulated.exitCode(), kExitIncomplete);
    EXPECT_FALSE(rollback.app->Form1().visible());
    const auto manifest = m.Content(rollback.folder + "\\rollback.exe.manifest");
    ASSERT_TRUE(manifest.has_value());
    EXPECT_EQ(*manifest, modxpstyle::ManifestText("rollback", {1, 0, 0, "u"}));
    ASSERT_EQ(m.emulated.startedProcesses().size(), 1u);
    EXPECT_EQ(m.emulated.startedProcesses()[0].commandLine,
              "\"" + rollback.folder + "\\rollback.exe\" ");
    EXPECT_EQ(m.Text(0), "0") << "the first instance restores nothing";
}

} // namespace
} // namespace tarrow::rollback
