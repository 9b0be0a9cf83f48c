// A machine as its owner has it, with both of Tarrow's programs on it, run
// as a person runs them: Tarrow.exe from its main window, rollback.exe from
// the images folder, as the account that applied or as LocalSystem.
#pragma once

#include "rollback/rollback_app.h"
#include "tarrow/program/tarrow_app.h"
#include "tests/registry/registry_test_helpers.h"
#include "tests/shutdown/registry_changes.h"
#include "tests/shutdown/shutdown_machine.h"
#include "ui/headless/headless_driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace tarrow::testing {

inline const std::string kBob = "S-1-5-21-3623811015-3361044348-30300820-1002";
// The account whose hive place 6 names.
inline const std::string kCarol = "S-1-5-21-299502267-362288127-839522115-1003";
inline const std::string kCarolsHiveFile = "C:\\Users\\carol\\NTUSER.DAT";
inline const std::string kAlice(platform::EmulatedPlatform::kUserSid);
inline const std::string kLocalSystem(platform::EmulatedPlatform::kLocalSystemSid);

struct TrustMachine {
    ShutdownMachine m;
    const std::string images = m.systemDirectory + "\\images";
    const modxpstyle::ProgramIdentity identity{1, 0, 0, "Tarrow"};

    TrustMachine() {
        std::filesystem::create_directories(m.emulated.hostPath(images));
        EXPECT_TRUE(platform::WriteWholeFile(m.p, images + "\\rollback.exe.manifest", "<x/>"));
        m.emulated.addAccount({kBob, "bob", "TARROW-PC"}, true);
    }

    // Every place with a value of its own, the shutdown sound with a subkey,
    // and a second account with values of its own.
    std::array<std::string, kTimeoutPairCount> FillEveryPlace() {
        auto texts = m.FillEveryPlace();
        EXPECT_TRUE(modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::CurrentUser,
                                          std::string(kShutdownSoundKey) + "\\Extra", "", "x"));
        EXPECT_TRUE(modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::Users,
                                          kBob + "\\Control Panel\\Desktop", "HungAppTimeout",
                                          "bob's own"));
        return texts;
    }
    // Place 6's account has a profile of its own, logged on while the
    // machine is filled, so that place 6 lies in the NTUSER.DAT it loads.
    void AddPlace6Account() { m.emulated.addAccount({kCarol, "carol", "TARROW-PC"}, true); }
    // Bob's own part differs from alice's at every pair of place 0 and in
    // the sound, so that a value put into the wrong account's hive shows.
    void GiveBobHisOwnPart() {
        const shutdown::AccountKeys bob = shutdown::KeysOf(kBob);
        for (const ReadPair& pair : ReadingOrder()) {
            if (pair.place->root == RegistryRoot::CurrentUser) {
                EXPECT_TRUE(modregistry::SetValue(m.p, ValueKind::Text, bob.root,
                                                  bob.path(pair.place->keyPath),
                                                  std::string(TimeoutName(pair.timeout)),
                                                  "bob's " + std::string(pair.valueName)));
            }
        }
        EXPECT_TRUE(modregistry::SetValue(m.p, ValueKind::Text, bob.root,
                                          bob.path(kShutdownSoundKey), "", "bob.wav"));
    }
    // Values of kinds the saved text cannot carry, a number that it carries
    // as its decimal text, and an absent one, among the others.
    void AddOddValues() {
        const auto put = [this](std::size_t entry, std::uint32_t kind, const std::string& bytes) {
            const ReadPair& pair = ReadingOrder()[entry];
            EXPECT_TRUE(WriteRaw(m.p, pair.place->root, std::string(pair.place->keyPath),
                                 std::string(TimeoutName(pair.timeout)), kind, Bytes(bytes)));
        };
        EXPECT_TRUE(modregistry::DeleteValue(m.p, RegistryRoot::CurrentUser,
                                             "Control Panel\\Desktop", "PowerOffTimeOut"));
        put(2, platform::kRegSz, "5\r\n0: 99999999");
        put(6, platform::kRegDword, std::string("\x88\x13\0\0", 4));
        put(9, platform::kRegExpandSz, std::string("10\0", 3));
        put(14, platform::kRegSz, std::string("\0", 1));
        put(23, platform::kRegSz, "NO");
    }

    // --- Tarrow.exe, started afresh as the running account.
    struct Tarrow {
        ui::HeadlessDriver driver;
        TarrowApp app;
        // The account logs on and starts it.
        explicit Tarrow(TrustMachine& t, const std::string& account = kAlice)
            : driver(t.m.p), app({t.m.p, driver, t.identity}) {
            t.m.emulated.setLoggedOn(account, true);
            t.m.emulated.runAs(account);
            t.m.emulated.setModulePath(t.m.programFolder + "\\Tarrow.exe");
            app.Form2().show();
        }
        MainForm& menu() { return app.Form2(); }
        // Boxes beyond the apply's own Retry/Cancel question, and beyond
        // the refusal while an uninstall's mark is there: an uninstall cut
        // after its restore was complete leaves it, for a package that is
        // gone, and it lapses by itself.
        std::size_t warnings() const {
            std::size_t count = 0;
            for (const auto& message : driver.messages()) {
                const bool expected =
                    message.style == ui::mb::kRetryCancel ||
                    message.text == "Tarrow is being uninstalled, so nothing was changed.";
                count += expected ? 0u : 1u;
            }
            return count;
        }
        void apply(bool powerful, bool silence) {
            driver.click(menu().Label6);
            if (powerful) {
                driver.click(app.Working().Option1);
            }
            if (silence) {
                driver.click(app.Working().Check1);
            }
            driver.queueAnswer(ui::mb::kRetry);
            driver.click(app.Working().Command1);
        }
        void restore() { driver.click(menu().Label5); }
    };

    // The speed-up from the account's main window.
    void Apply(const std::string& account = kAlice) { Tarrow(*this, account).apply(true, true); }
    // The restore from the main window.
    void Restore() { Tarrow(*this).restore(); }
    // What the account's main window offers next: the restore if it is
    // offered, else the apply and then the restore. True when it ends
    // offering the settings again without a warning on the way.
    bool DoWhatTheMainWindowOffers(const std::string& account = kAlice) {
        Tarrow tarrow(*this, account);
        if (!tarrow.menu().Label5.visible()) {
            tarrow.apply(false, true);
        }
        tarrow.restore();
        return tarrow.warnings() == 0 && tarrow.menu().Label6.visible() &&
               !tarrow.menu().Label5.visible();
    }

    // rollback.exe from the images folder, run to its end as `account`,
    // with the applying account logged on or off; returns its exit code.
    std::uint32_t Uninstall(const std::string& account, bool applierLoggedOn,
                            const std::string& applier = kAlice) {
        m.emulated.setModulePath(images + "\\rollback.exe");
        m.emulated.setCommandLine("\"" + images + "\\rollback.exe\"");
        m.emulated.setLoggedOn(applier, applierLoggedOn);
        m.emulated.runAs(account);
        ui::HeadlessDriver driver(m.p);
        driver.addPictureResource(rollback::kBackgroundPictureResource);
        rollback::RollbackApp app({m.p, driver, identity});
        app.Start();
        driver.runTimers(10);
        EXPECT_TRUE(driver.messages().empty()) << "a silent uninstall never shows a box";
        m.emulated.runAs(kAlice);
        m.emulated.setLoggedOn(kAlice, true);
        return m.emulated.exitRequested() ? m.emulated.exitCode() : 99;
    }

    // The applying account's markers are gone, as after its profile was
    // reset, while the change is in force.
    void LoseMarkers() {
        for (const Marker& marker : {kChangeMarker, kSavedMarker}) {
            EXPECT_TRUE(modregistry::DeleteValue(m.p, RegistryRoot::CurrentUser,
                                                 std::string(marker.keyPath),
                                                 std::string(marker.valueName)));
        }
    }

    // What an earlier version leaves after its apply: the same markers,
    // copy and values, but no record of who applied.
    void ForgetWhoApplied() {
        EXPECT_TRUE(modregistry::DeleteValue(m.p, RegistryRoot::LocalMachine,
                                             std::string(shutdown::kTarrowKey),
                                             std::string(shutdown::kAppliedByValue)));
        EXPECT_TRUE(modregistry::FlushKey(m.p, RegistryRoot::LocalMachine,
                                          std::string(shutdown::kTarrowKey)));
    }

    // Whether a saved file, or a part of one, lies anywhere Tarrow puts one.
    bool SavedFilesLeft() {
        for (const std::string& folder : {m.systemDirectory, m.programFolder, images}) {
            for (const std::string file : {"informationS.dat", "Importreg.dat",
                                           "informationS.dat.tmp", "Importreg.dat.tmp"}) {
                if (m.Exists(folder + "\\" + file)) {
                    return true;
                }
            }
        }
        return false;
    }
    // Whether a marker is set in any account's hive, loaded or not.
    bool MarkersSet() const {
        const RegistryDump dump = m.emulated.registryDump();
        const std::string users = "hkey_users\\";
        for (const auto& [key, values] : dump) {
            if (!key.starts_with(users)) {
                continue;
            }
            const std::size_t hiveEnd = key.find('\\', users.size());
            const std::string inHive = hiveEnd == std::string::npos ? "" : key.substr(hiveEnd + 1);
            for (const Marker& marker : {kChangeMarker, kSavedMarker}) {
                const auto value = values.find(platform::emulated::FoldCase(marker.valueName));
                if (inHive == platform::emulated::FoldCase(marker.keyPath) &&
                    value != values.end() &&
                    MarkerIsSet(platform::emulated::AnsiFromWide(detail::TextOf(value->second)))) {
                    return true;
                }
            }
        }
        return false;
    }
};

} // namespace tarrow::testing
