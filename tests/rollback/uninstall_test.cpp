// The uninstaller on the emulated machine with the headless driver: it puts
// the saved settings back wherever they lie, deletes every saved file and
// ends by itself, whatever fails on the way.
#include "rollback/rollback_app.h"

#include "shutdown/apply.h"
#include "shutdown/saved_settings.h"
#include "tests/shutdown/shutdown_machine.h"
#include "ui/headless/headless_driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
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
        app = std::make_unique<RollbackApp>(m.p, driver, modxpstyle::ProgramIdentity{1, 0, 0, "u"});
    }
    // Starts the program and lets its timer run until it ends.
    int Run() {
        app->Start();
        return driver.runTimers(10);
    }
    std::string InOwnFolder(std::string_view file) const { return SavedFilePath(folder, file); }
};

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
        const auto save = [&m](const std::string& path, const std::string& first) {
            std::array<std::string, kTimeoutPairCount> saved;
            saved.fill("NO");
            saved[0] = first;
            ASSERT_TRUE(platform::WriteWholeFile(m.p, path, ComposeSavedText(saved)));
        };
        if (c.inSystem) {
            save(m.InSystemDirectory(kSavedValuesFile), "from system");
        }
        if (c.inOwnFolder) {
            save(rollback.InOwnFolder(kSavedValuesFile), "from own folder");
        }
        const Snapshot before = m.TakeSnapshot();

        rollback.Run();

        EXPECT_TRUE(rollback.driver.programEnded());
        EXPECT_EQ(m.Text(0), c.expected);
        if (!c.inSystem && !c.inOwnFolder) {
            EXPECT_EQ(m.TakeSnapshot(), before) << "no time-out is written";
        }
        EXPECT_FALSE(m.Exists(m.InSystemDirectory(kSavedValuesFile)));
        EXPECT_FALSE(m.Exists(rollback.InOwnFolder(kSavedValuesFile)));
    }
}

TEST(Uninstall, EndsWhateverStepFails) {
    struct Fault {
        const char* name;
        std::function<void(ShutdownMachine&, Uninstaller&)> inject;
        bool systemValuesKept; // the system directory's informationS.dat survives
    };
    const std::vector<Fault> faults = {
        {"copy into its folder",
         [](ShutdownMachine& m, Uninstaller& u) {
             m.emulated.failCopyTo(u.InOwnFolder(kSavedValuesFile));
         },
         false},
        {"read of the saved values",
         [](ShutdownMachine& m, Uninstaller& u) {
             m.emulated.failReadsFrom(u.InOwnFolder(kSavedValuesFile), 0);
         },
         false},
        {"key restore", [](ShutdownMachine& m, Uninstaller&) { m.emulated.failKeyRestore(true); },
         false},
        {"token", [](ShutdownMachine& m, Uninstaller&) { m.emulated.failTokenOpen(true); }, false},
        {"marker writes",
         [](ShutdownMachine& m, Uninstaller&) {
             m.emulated.failValueWrites(platform::kHkeyCurrentUser, "Consol");
         },
         false},
        {"writes at the machine's places",
         [](ShutdownMachine& m, Uninstaller&) {
             m.emulated.failValueWrites(platform::kHkeyLocalMachine,
                                        "SYSTEM\\ControlSet001\\Control");
         },
         false},
        {"delete in its folder",
         [](ShutdownMachine& m, Uninstaller& u) {
             m.emulated.failDelete(u.InOwnFolder(kSavedValuesFile));
         },
         false},
        {"delete in the system directory",
         [](ShutdownMachine& m, Uninstaller&) {
             m.emulated.failDelete(m.InSystemDirectory(kSavedValuesFile));
         },
         true},
        {"no system directory",
         [](ShutdownMachine& m, Uninstaller&) { m.emulated.setSystemDirectory(""); }, true},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        ShutdownMachine m;
        const auto values = AppliedOn(m);
        Uninstaller rollback(m);
        fault.inject(m, rollback);

        EXPECT_EQ(rollback.Run(), 1);

        EXPECT_TRUE(rollback.driver.programEnded());
        EXPECT_TRUE(rollback.driver.messages().empty());
        EXPECT_FALSE(rollback.app->Form1().PB1.visible());
        EXPECT_EQ(m.emulated.openKeyCount(), 0u);
        EXPECT_EQ(m.emulated.openHandleCount(), 0u);
        // The lasting copy of the saved values survives only where its
        // delete failed; then a later uninstall can still use it.
        EXPECT_EQ(m.Exists(m.InSystemDirectory(kSavedValuesFile)), fault.systemValuesKept);
        std::size_t restored = 0;
        for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
            restored += m.Text(k) == values[k] ? 1u : 0u;
        }
        EXPECT_TRUE(restored == 0 || restored >= kTimeoutPairCount - 1) << restored;
    }
}

TEST(Uninstall, TheFirstStartWritesTheManifestAndHandsOverToANewInstance) {
    ShutdownMachine m;
    AppliedOn(m);
    Uninstaller rollback(m, false);
    rollback.app->Start();

    EXPECT_TRUE(rollback.driver.programEnded());
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
