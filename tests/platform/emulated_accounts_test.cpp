// The accounts of the emulated machine as the operations meet them: which
// hive HKEY_CURRENT_USER stands for, the subkeys a listing of HKEY_USERS
// gives, and which hive files RegLoadKeyA loads.
#include "platform/emulated/emulated_platform.h"
#include "platform/emulated/errors.h"
#include "platform/emulated/text.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace platform;
using tarrow::testing::TestMachine;

const std::string kAlice(EmulatedPlatform::kUserSid);
const std::string kBob = "S-1-5-21-3623811015-3361044348-30300820-1002";
const std::string kSystem(EmulatedPlatform::kLocalSystemSid);
const std::string kBobsHiveFile = "C:\\Users\\bob\\NTUSER.DAT";

// A machine with alice logged on, bob logged off, and the privileges that
// loading a hive needs enabled.
struct World {
    TestMachine machine;
    EmulatedPlatform& e = *machine.emulated();
    Platform& p = machine.platform();

    World() {
        e.addAccount({kBob, "bob", "TARROW-PC"}, false);
        UniqueHandle token(p);
        EXPECT_TRUE(p.OpenProcessToken(p.GetCurrentProcess(), kTokenAdjustPrivileges | kTokenQuery,
                                       token.put()));
        for (const char* name : {"SeBackupPrivilege", "SeRestorePrivilege"}) {
            TokenPrivileges wanted;
            wanted.privilegeCount = 1;
            wanted.attributes = kSePrivilegeEnabled;
            EXPECT_TRUE(p.LookupPrivilegeValueA(name, &wanted.luid));
            EXPECT_TRUE(p.AdjustTokenPrivileges(token.get(), false, &wanted, 0, nullptr, nullptr));
        }
    }

    std::vector<std::string> subkeysOf(Key root, const std::string& keyPath) {
        UniqueKey key(p);
        EXPECT_EQ(p.RegOpenKeyExA(root, keyPath, 0, kKeyRead, key.put()), kErrorSuccess);
        std::vector<std::string> names;
        for (std::uint32_t index = 0;; ++index) {
            char name[256];
            std::uint32_t size = sizeof name;
            const long status = p.RegEnumKeyExA(key.get(), index, name, &size);
            if (status != kErrorSuccess) {
                EXPECT_EQ(status, kErrorNoMoreItems);
                return names;
            }
            EXPECT_EQ(size, std::string(name).size());
            names.emplace_back(name);
        }
    }
    // The keys of every hive, loaded or not, that lie below HKEY_USERS\<name>.
    std::size_t keysBelow(const std::string& name) {
        const std::string prefix = "hkey_users\\" + emulated::FoldCase(name);
        std::size_t count = 0;
        for (const auto& [key, values] : e.registryDump()) {
            if (key == prefix || key.rfind(prefix + "\\", 0) == 0) {
                ++count;
            }
        }
        return count;
    }
};

// Where a write through HKEY_CURRENT_USER lands, for each way the program
// can run.
TEST(EmulatedAccounts, CurrentUserIsTheOwnHiveOnlyWhileItIsLoaded) {
    struct Case {
        const char* name;
        std::function<void(World&)> run;
        std::string lands; // the hive under HKEY_USERS
    };
    const std::vector<Case> cases = {
        {"alice logged on", [](World&) {}, kAlice},
        {"bob, his profile not loaded", [](World& w) { w.e.runAs(kBob); }, ".DEFAULT"},
        {"LocalSystem", [](World& w) { w.e.runAs(kSystem); }, ".DEFAULT"},
        {"bob, logged on after he started",
         [](World& w) {
             w.e.runAs(kBob);
             w.e.setLoggedOn(kBob, true);
         },
         kBob},
        {"alice, logged off while she runs", [](World& w) { w.e.setLoggedOn(kAlice, false); },
         ".DEFAULT"},
        {"bob, his hive loaded by a program after he started",
         [](World& w) {
             w.e.runAs(kBob);
             ASSERT_EQ(w.p.RegLoadKeyA(kHkeyUsers, kBob, kBobsHiveFile), kErrorSuccess);
         },
         ".DEFAULT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        World w;
        c.run(w);
        UniqueKey key(w.p);
        ASSERT_EQ(w.p.RegCreateKeyExA(kHkeyCurrentUser, "Consol", "", 0, kKeyAllAccess, nullptr,
                                      key.put(), nullptr),
                  kErrorSuccess);
        ASSERT_EQ(w.p.RegSetValueExA(key.get(), "Who", kRegSz,
                                     reinterpret_cast<const std::uint8_t*>("x"), 1),
                  kErrorSuccess);
        key.reset();
        const auto dump = w.e.registryDump();
        for (const std::string& hive : {kAlice, kBob, std::string(".DEFAULT")}) {
            const auto at = dump.find("hkey_users\\" + emulated::FoldCase(hive) + "\\consol");
            EXPECT_EQ(at != dump.end() && at->second.count("who") != 0,
                      emulated::EqualsNoCase(hive, c.lands))
                << hive;
        }
    }
}

TEST(EmulatedAccounts, AListingOfTheUsersRootGivesEveryLoadedHiveInOrder) {
    World w;
    EXPECT_EQ(w.subkeysOf(kHkeyUsers, ""), (std::vector<std::string>{".DEFAULT", kAlice}));
    w.e.setLoggedOn(kBob, true);
    EXPECT_EQ(w.subkeysOf(kHkeyUsers, ""), (std::vector<std::string>{".DEFAULT", kAlice, kBob}));
    EXPECT_EQ(w.subkeysOf(kHkeyUsers, kBob),
              (std::vector<std::string>{"AppEvents", "Control Panel"}))
        << "the spelling the keys were given";

    UniqueKey users(w.p);
    ASSERT_EQ(w.p.RegOpenKeyExA(kHkeyUsers, "", 0, kKeyRead, users.put()), kErrorSuccess);
    char small[8];
    std::uint32_t size = sizeof small;
    EXPECT_EQ(w.p.RegEnumKeyExA(users.get(), 1, small, &size), kErrorMoreData);
    char name[256];
    size = sizeof name;
    EXPECT_EQ(w.p.RegEnumKeyExA(users.get(), 3, name, &size), kErrorNoMoreItems);
    UniqueKey valuesOnly(w.p);
    ASSERT_EQ(w.p.RegOpenKeyExA(kHkeyUsers, ".DEFAULT", 0, kKeyQueryValue, valuesOnly.put()),
              kErrorSuccess);
    size = sizeof name;
    EXPECT_EQ(w.p.RegEnumKeyExA(valuesOnly.get(), 0, name, &size), kErrorAccessDenied);
}

// RegLoadKeyA finds an account's hive by its profile file and reads any
// other file in the hive format; what it cannot load, it says why. Once
// unloaded, nothing of it is left under HKEY_USERS.
TEST(EmulatedAccounts, AHiveLoadsFromAProfileOrAHiveFileAndNothingElse) {
    struct Case {
        const char* name;
        std::function<std::string(World&)> prepare; // returns the file to load
        long status;
    };
    const std::vector<Case> cases = {
        {"a profile's file", [](World&) { return kBobsHiveFile; }, kErrorSuccess},
        {"a profile's file that is gone",
         [](World& w) {
             EXPECT_TRUE(w.p.DeleteFileA(kBobsHiveFile));
             return kBobsHiveFile;
         },
         kErrorFileNotFound},
        {"a profile's file another process holds open",
         [](World& w) {
             w.e.failHiveLoad(kBobsHiveFile);
             return kBobsHiveFile;
         },
         kErrorSharingViolation},
        {"a saved key",
         [](World& w) {
             const std::string file = w.machine.scratchFolder() + "\\saved.dat";
             UniqueKey key(w.p);
             EXPECT_EQ(w.p.RegOpenKeyExA(kHkeyUsers, kAlice, 0, kKeyRead, key.put()),
                       kErrorSuccess);
             EXPECT_EQ(w.p.RegSaveKeyA(key.get(), file), kErrorSuccess);
             return file;
         },
         kErrorSuccess},
        {"an empty file",
         [](World& w) {
             const std::string file = w.machine.scratchFolder() + "\\empty.dat";
             EXPECT_TRUE(WriteWholeFile(w.p, file, ""));
             return file;
         },
         kErrorBadFormat},
        {"text that is no hive",
         [](World& w) {
             const std::string file = w.machine.scratchFolder() + "\\text.dat";
             EXPECT_TRUE(WriteWholeFile(w.p, file, "0: 10\r\n"));
             return file;
         },
         kErrorBadFormat},
        {"no file", [](World& w) { return w.machine.scratchFolder() + "\\none.dat"; },
         kErrorFileNotFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        World w;
        const std::string file = c.prepare(w);

        EXPECT_EQ(w.p.RegLoadKeyA(kHkeyUsers, "Probe", file), c.status);

        UniqueKey desktop(w.p);
        EXPECT_EQ(w.p.RegOpenKeyExA(kHkeyUsers, "Probe\\Control Panel\\Desktop", 0, kKeyRead,
                                    desktop.put()) == kErrorSuccess,
                  c.status == kErrorSuccess)
            << "an account's keys";
        desktop.reset();
        if (c.status == kErrorSuccess) {
            EXPECT_EQ(w.p.RegLoadKeyA(kHkeyUsers, "Again", file), kErrorSharingViolation)
                << "a loaded hive holds its file";
            EXPECT_EQ(w.p.RegUnLoadKeyA(kHkeyUsers, "Probe"), kErrorSuccess);
        }
        EXPECT_EQ(w.keysBelow("Probe"), 0u);
        EXPECT_EQ(w.keysBelow("Again"), 0u);
        EXPECT_GT(w.keysBelow(kBob), 0u) << "bob's hive stays in his profile";
    }
}

} // namespace
