// What the main window's hot areas start, clicked as a user would: the
// settings window and the speed-up behind it, the restore, and the rating.
#include "shutdown/operation_lock.h"
#include "shutdown/saved_settings.h"
#include "shutdown/system_mark_file.h"
#include "shutdown/uninstall_mark.h"
#include "shutdown/timeout_places.h"
#include "tests/tarrow/tarrow_fixture.h"

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace tarrow {
namespace {

using testing::TarrowWorld;

constexpr std::uint64_t kApplyRounds = 160'000'000ull + 2'000'000ull;

// The user's own shutdown time-outs and sound, as a test sets and reads them.
struct UserSettings {
    platform::Platform& p;

    void Set(std::string_view name, const std::string& text) {
        ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, RegistryRoot::CurrentUser,
                                          "Control Panel\\Desktop", std::string(name), text));
    }
    std::string Get(std::string_view name) {
        return modregistry::GetValue(p, RegistryRoot::CurrentUser, "Control Panel\\Desktop",
                                     std::string(name), "<no key>");
    }
    std::string Marker(const Marker& marker) {
        return modregistry::GetValue(p, RegistryRoot::CurrentUser, std::string(marker.keyPath),
                                     std::string(marker.valueName), "<no key>");
    }
    void SetSound(const std::string& file) {
        ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, RegistryRoot::CurrentUser,
                                          std::string(kShutdownSoundKey), "", file));
    }
    std::string Sound() {
        return modregistry::GetValue(p, RegistryRoot::CurrentUser, std::string(kShutdownSoundKey),
                                     "", "<no key>");
    }
    // Every time-out of the user's own and the default profile.
    std::string All() {
        std::string all;
        for (const auto& pair : ReadingOrder()) {
            all += modregistry::GetValue(p, pair.place->root, std::string(pair.place->keyPath),
                                         std::string(pair.valueName), "NO") +
                   "|";
        }
        return all;
    }
};

class MainActions : public testing::TarrowFixture {
protected:
    void SetUp() override {
        user.Set(kHungAppTimeout, "5000");
        user.Set(kWaitToKillAppTimeout, "20000");
        user.SetSound("tada.wav");
        StartToMainWindow();
        ASSERT_TRUE(main().visible());
    }
    MainForm& main() { return app->Form2(); }
    WorkingForm& working() { return app->Working(); }
    std::string InSystemDirectory(std::string_view file) {
        return SavedFilePath(SystemDirectory(), file);
    }
    std::string InProgramFolder(std::string_view file) {
        return SavedFilePath("C:\\Program Files\\Tarrow", file);
    }
    bool Exists(const std::string& path) {
        return p.GetFileAttributesA(path) != platform::kInvalidFileAttributes;
    }
    void ExpectBarDone() {
        EXPECT_FALSE(main().PB1.visible());
        EXPECT_EQ(main().PB1.value(), 0.0f);
    }

    UserSettings user{p};
};

TEST_F(MainActions, TheSettingsWindowOpensOverTheDisabledMenuAndCancelKeepsItsChoices) {
    driver.click(main().Label6);
    ASSERT_TRUE(working().visible());
    EXPECT_NE(working().picture(), nullptr);
    EXPECT_FALSE(main().enabled());
    EXPECT_EQ(main().PB1.max(), 180.0f);
    driver.click(main().Label3);
    EXPECT_FALSE(app->Star().loaded()) << "the disabled menu takes no clicks";

    driver.click(working().Option2);
    driver.click(working().Check1);
    driver.click(working().Command2);
    EXPECT_FALSE(working().visible());
    EXPECT_TRUE(main().enabled());
    EXPECT_EQ(user.Marker(kChangeMarker), "<no key>") << "cancel writes nothing";
    EXPECT_TRUE(driver.messages().empty());

    driver.click(main().Label6);
    EXPECT_TRUE(working().visible());
    EXPECT_TRUE(working().Option2.selected());
    EXPECT_EQ(working().Check1.value(), ui::CheckState::Checked);
}

TEST_F(MainActions, CancelInTheWarningChangesNothing) {
    const std::string before = user.All();
    driver.click(main().Label6);
    driver.click(working().Option1);
    driver.click(working().Check1);
    driver.queueAnswer(ui::mb::kCancel);
    driver.click(working().Command1);

    ASSERT_EQ(driver.messages().size(), 1u);
    const auto& warning = driver.messages().front();
    EXPECT_EQ(warning.title, "Warning");
    EXPECT_EQ(warning.style, ui::mb::kRetryCancel);
    EXPECT_EQ(warning.text,
              "Warning:\rAs this program can't working in some computer :\rIt is strongly "
              "recommended that you make a restore point befor changing any setting.\rFor create "
              "a restore point , go to =Start menu>Accessories>System Tools>System Restore");
    EXPECT_EQ(user.All(), before);
    EXPECT_EQ(user.Sound(), "tada.wav");
    EXPECT_EQ(user.Marker(kSavedMarker), "");
    EXPECT_FALSE(Exists(InSystemDirectory(kSavedValuesFile)));
    EXPECT_TRUE(working().visible()) << "the window stays open with its choices";
    EXPECT_TRUE(working().Option1.selected());
    EXPECT_FALSE(main().enabled());
    EXPECT_EQ(driver.pauseCount(), 0);
}

TEST_F(MainActions, RetryAppliesTheChoiceAndTheMenuOffersTheNoticeAndTheRestore) {
    struct Case {
        const char* option; // nullptr: none selected
        ui::CheckState sound;
        const char* text;
        bool silenced;
    };
    const Case cases[] = {
        {"Option1", ui::CheckState::Unchecked, "0", false},
        {"Option2", ui::CheckState::Checked, "10", true},
        {nullptr, ui::CheckState::Unchecked, "10", false},
        {"Option1", ui::CheckState::Grayed, "0", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.option ? c.option : "no option") + " / " +
                     std::to_string(static_cast<int>(c.sound)));
        TarrowWorld world;
        UserSettings settings{world.p};
        settings.Set(kHungAppTimeout, "5000");
        settings.SetSound("tada.wav");
        world.StartToMainWindow();
        MainForm& menu = world.app->Form2();
        WorkingForm& window = world.app->Working();
        world.driver.click(menu.Label6);
        if (c.option != nullptr) {
            world.driver.click(*window.findControl(c.option));
        }
        window.Check1.setValue(c.sound);
        world.driver.queueAnswer(ui::mb::kRetry);
        world.driver.click(window.Command1);

        for (const auto& pair : WritingOrder()) {
            const std::string value =
                modregistry::GetValue(world.p, pair.place->root, std::string(pair.place->keyPath),
                                      std::string(pair.valueName), "NO");
            // Only the user's own and the default profile exist here.
            const bool exists = pair.place->index == 0 || pair.place->index == 3;
            EXPECT_EQ(value, exists ? c.text : "NO") << pair.place->index << pair.valueName;
        }
        EXPECT_EQ(settings.Sound(), c.silenced ? "" : "tada.wav");
        EXPECT_EQ(settings.Marker(kChangeMarker), "1");
        EXPECT_EQ(settings.Marker(kSavedMarker), "1");
        EXPECT_FALSE(window.visible());
        EXPECT_TRUE(menu.enabled());
        EXPECT_TRUE(menu.Label5.visible());
        EXPECT_TRUE(menu.Label7.visible());
        EXPECT_FALSE(menu.Label6.visible()) << "the settings cannot be opened again";
        EXPECT_FALSE(menu.PB1.visible());
        EXPECT_EQ(menu.PB1.value(), 0.0f);
        EXPECT_EQ(world.driver.pausedRounds(), kApplyRounds);
        EXPECT_EQ(world.driver.messages().size(), 1u) << "no message follows the apply";
    }
}

TEST_F(MainActions, WhenNothingCanBeSavedAWarningSaysSoAndTheMenuStaysAsItWas) {
    emulated.failCreate(InSystemDirectory(kSavedValuesFile) + ".tmp");
    const std::string before = user.All();
    driver.click(main().Label6);
    driver.click(working().Check1);
    driver.queueAnswer(ui::mb::kRetry);
    driver.click(working().Command1);

    ASSERT_EQ(driver.messages().size(), 2u);
    const auto& warning = driver.messages().back();
    EXPECT_EQ(warning.title, "Warning");
    EXPECT_EQ(warning.text, "The current settings could not be saved, so nothing was changed.");
    EXPECT_EQ(warning.style & 0xFu, ui::mb::kOkOnly);
    EXPECT_EQ(warning.owner, &main()) << "the menu takes no clicks while it shows";
    EXPECT_EQ(user.All(), before);
    EXPECT_EQ(user.Sound(), "tada.wav");
    EXPECT_EQ(user.Marker(kChangeMarker), "0");
    EXPECT_EQ(user.Marker(kSavedMarker), "0");
    EXPECT_TRUE(main().Label6.visible());
    EXPECT_FALSE(main().Label7.visible());
    EXPECT_FALSE(main().Label5.visible());
    EXPECT_TRUE(main().enabled());
    EXPECT_FALSE(working().visible());
    ExpectBarDone();
}

TEST_F(MainActions, RestorePutsTheValuesBackAndOffersTheSettingsAgain) {
    const std::string before = user.All();
    driver.click(main().Label6);
    driver.click(working().Option1);
    driver.click(working().Check1);
    driver.queueAnswer(ui::mb::kRetry);
    driver.click(working().Command1);
    ASSERT_EQ(user.Get(kHungAppTimeout), "0");
    const auto saved = platform::ReadWholeFile(p, InSystemDirectory(kSavedValuesFile));
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->substr(0, 18), "0: 5000\r\n0: \r\n0: 2") << "the values from before";

    driver.click(main().Label5);

    EXPECT_EQ(user.All(), before);
    EXPECT_EQ(user.Get(kPowerOffTimeOut), "") << "absent before, absent again";
    EXPECT_EQ(user.Sound(), "tada.wav");
    EXPECT_EQ(user.Marker(kChangeMarker), "0");
    EXPECT_EQ(user.Marker(kSavedMarker), "0");
    EXPECT_FALSE(main().Label5.visible());
    EXPECT_FALSE(main().Label7.visible());
    EXPECT_TRUE(main().Label6.visible());
    for (const std::string& used :
         {InProgramFolder(kSavedValuesFile), InProgramFolder(kSavedSoundFile),
          InSystemDirectory(kSavedValuesFile), InSystemDirectory(kSavedSoundFile)}) {
        EXPECT_FALSE(Exists(used)) << "a complete restore uses the copy up: " << used;
    }
    EXPECT_TRUE(driver.messages().size() == 1u) << "only the apply's warning";
    ExpectBarDone();
    EXPECT_EQ(main().PB1.max(), 100.0f);

    driver.click(main().Label6);
    EXPECT_TRUE(working().visible());
    EXPECT_EQ(main().PB1.max(), 180.0f);
    EXPECT_TRUE(working().Option1.selected()) << "the choices made before";
}

// When the apply or the restore cannot go ahead, the menu says why in a box
// it owns and keeps offering what it offered.
TEST(MainActionsRefused, SayWhyAndKeepTheMenuAsItWas) {
    const std::string bob = "S-1-5-21-3623811015-3361044348-30300820-1002";
    const std::string values = "C:\\windows\\system32\\informationS.dat";
    const char* const kOwnerUnknown =
        "Tarrow's change is in force from an earlier version, and the account that made it is "
        "unknown. Restore it there, or uninstall Tarrow with /FORCE, which keeps the saved "
        "settings.";
    const auto forgetWhoApplied = [](TarrowWorld& w) {
        ASSERT_TRUE(modregistry::DeleteValue(w.p, RegistryRoot::LocalMachine, "SOFTWARE\\Tarrow",
                                             "AppliedBy"));
    };
    // What a case holds while the program runs.
    std::optional<platform::UniqueHandle> held;
    struct Case {
        const char* name;
        std::function<void(TarrowWorld&)> after; // after an apply by alice
        bool restore;                            // the restore is clicked; else the apply
        const char* text;
    };
    const std::vector<Case> cases = {
        {"another account applies",
         [&](TarrowWorld& w) {
             w.emulated.addAccount({bob, "bob", "TARROW-PC"}, true);
             w.emulated.runAs(bob);
         },
         false,
         "Tarrow's change is in force from the account TARROW-PC\\alice. Restore it there, or "
         "uninstall Tarrow."},
        {"the markers lost and the copy damaged",
         [&](TarrowWorld& w) {
             ASSERT_TRUE(platform::WriteWholeFile(w.p, values, "0: 1\n"));
             ASSERT_TRUE(modregistry::DeleteValue(w.p, RegistryRoot::CurrentUser,
                                                  "Control Panel\\Desktop", "Beforce"));
         },
         false,
         "The saved settings in C:\\windows\\system32\\informationS.dat are damaged, so nothing "
         "was changed."},
        {"the copy damaged",
         [&](TarrowWorld& w) { ASSERT_TRUE(platform::WriteWholeFile(w.p, values, "0: 1\n")); },
         true,
         "The saved settings in C:\\windows\\system32\\informationS.dat are damaged, so nothing "
         "was restored."},
        {"an earlier version's copy that no account's marker claims",
         [&](TarrowWorld& w) {
             forgetWhoApplied(w);
             for (const auto& [key, name] :
                  {std::pair{"Consol", "Change"}, std::pair{"Control Panel\\Desktop", "Beforce"}}) {
                 ASSERT_TRUE(modregistry::DeleteValue(w.p, RegistryRoot::CurrentUser, key, name));
             }
         },
         false, kOwnerUnknown},
        {"an earlier version's copy that two accounts' markers claim",
         [&](TarrowWorld& w) {
             forgetWhoApplied(w);
             w.emulated.addAccount({bob, "bob", "TARROW-PC"}, true);
             ASSERT_TRUE(modregistry::SetValue(w.p, ValueKind::Text, RegistryRoot::Users,
                                               bob + "\\Consol", "Change", "1"));
         },
         true, kOwnerUnknown},
        {"another operation holds the lock",
         [&](TarrowWorld& w) {
             held.emplace(std::move(
                 shutdown::HoldMarkFile(w.p, shutdown::OperationLockPath(w.p), 0).handle));
             ASSERT_TRUE(*held);
         },
         true,
         "Another Tarrow operation is running, so nothing was restored. Try again when it has "
         "ended."},
        {"a place refuses its writes",
         [](TarrowWorld& w) {
             w.emulated.failValueWrites(platform::kHkeyUsers, ".DEFAULT\\Control Panel\\Desktop");
         },
         true,
         "Some settings could not be put back. The saved copy is kept; try the restore again."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TarrowWorld w;
        UserSettings(w.p).Set(kHungAppTimeout, "5000");
        w.StartToMainWindow();
        MainForm& menu = w.app->Form2();
        w.driver.click(menu.Label6);
        w.driver.queueAnswer(ui::mb::kRetry);
        w.driver.click(w.app->Working().Command1);
        ASSERT_TRUE(menu.Label5.visible());
        c.after(w);
        // The program started again, by whoever runs it now.
        ui::HeadlessDriver driver(w.p);
        TarrowApp again({w.p, driver, w.identity});
        again.Form2().show();
        MainForm& now = again.Form2();
        const bool offered[] = {now.Label5.visible(), now.Label6.visible(), now.Label7.visible()};

        if (c.restore) {
            driver.click(now.Label5);
        } else {
            driver.click(now.Label6);
            driver.queueAnswer(ui::mb::kRetry);
            driver.click(again.Working().Command1);
        }

        ASSERT_EQ(driver.messages().size(), c.restore ? 1u : 2u);
        const auto& box = driver.messages().back();
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.title, "Warning");
        EXPECT_EQ(box.owner, &now);
        EXPECT_EQ(now.Label5.visible(), offered[0]);
        EXPECT_EQ(now.Label6.visible(), offered[1]);
        EXPECT_EQ(now.Label7.visible(), offered[2]);
        EXPECT_TRUE(now.enabled());
        EXPECT_FALSE(now.PB1.visible());
        w.emulated.clearFaults();
        EXPECT_TRUE(platform::ReadWholeFile(w.p, values).has_value()) << "the copy is kept";
        held.reset();
    }
}

// The speed-up goes ahead only when no other operation runs and no
// uninstall is removing Tarrow: it waits for the lock about 3 s, never
// near the 5 s after which Windows calls a window not responding, and
// meets an uninstall's mark only while it is fresh.
TEST(MainActionsBeside, AnotherOperationOrAnUninstall) {
    constexpr const char* kAnother =
        "Another Tarrow operation is running, so nothing was changed. Try again when it has "
        "ended.";
    constexpr const char* kUninstalling = "Tarrow is being uninstalled, so nothing was changed.";
    struct Case {
        const char* name;
        std::function<void(TarrowWorld&, std::shared_ptr<platform::UniqueHandle>&)> beside;
        const char* refusal; // nullptr: it applies
        std::uint64_t waitedMs;
    };
    const auto holdLock = [](TarrowWorld& w, std::shared_ptr<platform::UniqueHandle>& held) {
        held = std::make_shared<platform::UniqueHandle>(
            std::move(shutdown::HoldMarkFile(w.p, shutdown::OperationLockPath(w.p), 0).handle));
        ASSERT_TRUE(*held);
    };
    const std::vector<Case> cases = {
        {"nothing else runs", [](auto&, auto&) {}, nullptr, 0},
        {"another operation holds the lock throughout", holdLock, kAnother,
         shutdown::kTarrowLockWaitMs},
        {"another operation lets go after a second",
         [&](TarrowWorld& w, std::shared_ptr<platform::UniqueHandle>& held) {
             holdLock(w, held);
             w.emulated.onSleep([&w, held] {
                 if (w.emulated.sleptMilliseconds() >= 1000) {
                     held->reset();
                 }
             });
         },
         nullptr, 1000},
        {"an uninstall left its mark a minute ago",
         [](TarrowWorld& w, auto&) {
             ASSERT_TRUE(shutdown::LeaveUninstallMark(w.p));
             w.emulated.passTime(60'000);
         },
         kUninstalling, 0},
        {"an uninstall's mark has lapsed",
         [](TarrowWorld& w, auto&) {
             ASSERT_TRUE(shutdown::LeaveUninstallMark(w.p));
             w.emulated.passTime(11 * 60'000);
         },
         nullptr, 0},
        {"a mark that holds no time",
         [](TarrowWorld& w, auto&) {
             ASSERT_TRUE(modregistry::SetValue(w.p, ValueKind::Text, RegistryRoot::LocalMachine,
                                               "SOFTWARE\\Tarrow", "UninstallInProgress", "x"));
         },
         nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TarrowWorld w;
        UserSettings(w.p).Set(kHungAppTimeout, "5000");
        std::shared_ptr<platform::UniqueHandle> held;
        c.beside(w, held);
        w.StartToMainWindow();
        MainForm& menu = w.app->Form2();
        w.driver.click(menu.Label6);
        w.driver.queueAnswer(ui::mb::kRetry);
        w.driver.click(w.app->Working().Command1);

        const auto& boxes = w.driver.messages();
        EXPECT_EQ(w.emulated.sleptMilliseconds(), c.waitedMs);
        if (c.refusal != nullptr) {
            ASSERT_EQ(boxes.size(), 2u);
            EXPECT_EQ(boxes.back().text, c.refusal);
            EXPECT_EQ(boxes.back().owner, &menu);
            EXPECT_EQ(UserSettings(w.p).Get(kHungAppTimeout), "5000") << "nothing was changed";
            EXPECT_FALSE(platform::ReadWholeFile(w.p, "C:\\windows\\system32\\informationS.dat"));
            EXPECT_TRUE(menu.Label6.visible());
            EXPECT_FALSE(menu.Label5.visible());
        } else {
            EXPECT_EQ(boxes.size(), 1u) << "the warning before it, and no other";
            EXPECT_EQ(UserSettings(w.p).Get(kHungAppTimeout), "10");
            EXPECT_TRUE(menu.Label5.visible());
            EXPECT_FALSE(shutdown::UninstallInProgress(w.p)) << "a lapsed mark is gone";
        }
        w.emulated.onSleep({});
    }
}

TEST_F(MainActions, TheRatingShowsTheWindowOfTheTotal) {
    struct Case {
        const char* everyValue; // at the ten pairs a fresh machine lets be written
        const char* window;
    };
    const Case cases[] = {
        {"1", "Star"},     {"2", "Fast"},     {"100", "Fast"},
        {"101", "Normal"}, {"500", "Normal"}, {"501", "Slow"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.everyValue);
        TarrowWorld world;
        for (const auto& pair : WritingOrder()) {
            modregistry::SetValue(world.p, ValueKind::Text, pair.place->root,
                                  std::string(pair.place->keyPath), std::string(pair.valueName),
                                  c.everyValue);
        }
        world.StartToMainWindow();
        MainForm& menu = world.app->Form2();
        world.driver.click(menu.Label3);

        ui::Form* shown = nullptr;
        for (ui::Form* form : world.driver.createdForms()) {
            if (form->visible() && form != &menu) {
                EXPECT_EQ(shown, nullptr) << "one rating window";
                shown = form;
            }
        }
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->name(), c.window);
        EXPECT_FALSE(menu.enabled());
        EXPECT_FALSE(menu.PB1.visible());
        EXPECT_EQ(menu.PB1.value(), 0.0f);
        EXPECT_EQ(world.driver.pausedRounds(), 100'000'000u);
        EXPECT_EQ(world.p.GetFileAttributesA("C:\\Program Files\\Tarrow\\information.dat"),
                  platform::kInvalidFileAttributes);
        world.driver.clickAt(*shown, {100, 100});
        EXPECT_FALSE(shown->visible());
        EXPECT_TRUE(menu.enabled());
    }
}

TEST_F(MainActions, AUserRatesAppliesSeesTheNoticeRestoresAndRatesAgain) {
    const auto rate = [this]() -> std::string {
        driver.click(main().Label3);
        for (ui::Form* form : driver.createdForms()) {
            if (form->visible() && form != &main()) {
                const std::string name = form->name();
                driver.clickAt(*form, {100, 100});
                return name;
            }
        }
        return "none";
    };
    EXPECT_EQ(rate(), "Slow") << "5000 + 20000 in the user's own time-outs";

    driver.click(main().Label6);
    driver.click(working().Option2);
    driver.queueAnswer(ui::mb::kRetry);
    driver.click(working().Command1);
    EXPECT_EQ(rate(), "Fast") << "the eight pairs that exist here, at 10";

    driver.click(main().Label7);
    EXPECT_TRUE(app->Form6().visible());
    driver.clickAt(app->Form6(), {3000, 3000});
    EXPECT_FALSE(app->Form6().visible());
    EXPECT_TRUE(main().enabled());

    driver.click(main().Label5);
    EXPECT_EQ(rate(), "Slow");
    EXPECT_EQ(user.Get(kHungAppTimeout), "5000");
}

} // namespace
} // namespace tarrow
