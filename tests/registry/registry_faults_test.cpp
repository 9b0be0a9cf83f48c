// The registry layer when the machine refuses: keys that do not open, writes,
// saves and restores that fail, privileges the account lacks. Needs the
// emulated machine's fault injection.
#include "registry/modregistry.h"

#include "platform/emulated/emulated_platform.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

namespace tarrow {
namespace {

using tarrow::testing::TestMachine;

constexpr auto HKCU = RegistryRoot::CurrentUser;

class RegistryFaults : public ::testing::Test {
protected:
    TestMachine machine;
    platform::EmulatedPlatform& emulated = *machine.emulated();
    platform::Platform& p = machine.platform();
    const std::string key = "AppEvents\\Schemes\\Apps\\.Default\\SystemExit\\.Current";
    const std::string hive = machine.scratchFolder() + "\\Importreg.dat";

    std::string Get(const std::string& name, const std::string& fallback = "<no key>") {
        return modregistry::GetValue(p, HKCU, key, name, fallback);
    }
    void TearDown() override {
        EXPECT_EQ(emulated.openKeyCount(), 0u) << "every opened key is closed";
        EXPECT_EQ(emulated.openHandleCount(), 0u) << "every token and file handle is closed";
    }
};

TEST_F(RegistryFaults, RefusedOpensAndWritesShowOnlyInTheResult) {
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "V", "1"));
    emulated.failValueWrites(platform::kHkeyCurrentUser, key);
    EXPECT_FALSE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "V", "2"));
    EXPECT_FALSE(modregistry::DeleteValue(p, HKCU, key, "V"));
    EXPECT_EQ(Get("V"), "1");
    emulated.failKeyOpen(platform::kHkeyCurrentUser, key);
    EXPECT_EQ(Get("V", "NO"), "NO");
    EXPECT_FALSE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "V", "3"));
    EXPECT_FALSE(modregistry::SaveKey(p, HKCU, key, hive));
    EXPECT_FALSE(modregistry::RestoreKey(p, HKCU, key, hive));
}

TEST_F(RegistryFaults, EachOperationAsksForNoMoreRightsThanItNeeds) {
    // A key that lets the user read only, as the machine-wide keys do for an
    // account without administrator rights: reading works, writing does not.
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "V", "1"));
    emulated.limitKeyAccess(platform::kHkeyCurrentUser, key, platform::kKeyRead);
    EXPECT_EQ(Get("V"), "1");
    EXPECT_FALSE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "V", "2"));
    EXPECT_FALSE(modregistry::DeleteValue(p, HKCU, key, "V"));
    EXPECT_EQ(Get("V"), "1");

    // Removing a value needs the right to set values and no more.
    emulated.limitKeyAccess(platform::kHkeyCurrentUser, key, platform::kKeySetValue);
    EXPECT_TRUE(modregistry::DeleteValue(p, HKCU, key, "V"));

    // Reading and writing, but not saving or restoring the whole key.
    emulated.limitKeyAccess(platform::kHkeyCurrentUser, key,
                            platform::kKeyRead | platform::kKeyWrite);
    EXPECT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "V", "2"));
    EXPECT_EQ(Get("V"), "2");
    EXPECT_FALSE(modregistry::SaveKey(p, HKCU, key, hive));
}

TEST_F(RegistryFaults, ARestoreGoesThroughWhileOtherHandlesAreOpenBelowTheKey) {
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "", "tada.wav"));
    ASSERT_TRUE(modregistry::SaveKey(p, HKCU, key, hive));
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key + "\\Sub", "", "x"));
    platform::UniqueKey held(p);
    ASSERT_EQ(p.RegOpenKeyExA(platform::kHkeyCurrentUser, key + "\\Sub", 0, platform::kKeyRead,
                              held.put()),
              platform::kErrorSuccess);
    EXPECT_TRUE(modregistry::RestoreKey(p, HKCU, key, hive));
    EXPECT_EQ(Get(""), "tada.wav");
    held.reset();
}

TEST_F(RegistryFaults, TextIsStoredWithoutItsNul) {
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "Timeout", "10"));
    platform::UniqueKey opened(p);
    ASSERT_EQ(p.RegOpenKeyExA(platform::kHkeyCurrentUser, key, 0, platform::kKeyRead, opened.put()),
              platform::kErrorSuccess);
    // A buffer of exactly two bytes takes the value whole: no NUL was stored.
    std::uint8_t exact[2] = {};
    std::uint32_t size = sizeof exact;
    std::uint32_t kind = 0;
    ASSERT_EQ(p.RegQueryValueExA(opened.get(), "Timeout", &kind, exact, &size),
              platform::kErrorSuccess);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(std::string(exact, exact + 2), "10");
}

TEST_F(RegistryFaults, SystemDirectoryIsEmptyWhenTheCallFails) {
    emulated.setSystemDirectory("");
    EXPECT_EQ(modregistry::GetSystemdir(p), "");
    // A path longer than the 255-character buffer does not fit: no path.
    emulated.setSystemDirectory("C:\\" + std::string(300, 'd'));
    EXPECT_EQ(modregistry::GetSystemdir(p), "");
}

// The folder a box names: where a 32-bit program's system directory really
// is on 64-bit Windows, as the user finds it.
TEST_F(RegistryFaults, TheVisibleSystemDirectoryIsSysWow64ForA32BitProgramOn64BitWindows) {
    const struct {
        const char* name;
        bool windows64, wow64Program;
        std::string systemDirectory, visible;
    } cases[] = {
        {"32-bit Windows", false, false, "C:\\windows\\system32", "C:\\windows\\system32"},
        {"a 32-bit program on 64-bit Windows", true, true, "C:\\windows\\system32",
         "C:\\windows\\SysWOW64"},
        {"a 64-bit program on 64-bit Windows", true, false, "C:\\windows\\system32",
         "C:\\windows\\system32"},
        {"no system directory on 32-bit Windows", false, false, "", ""},
        {"no system directory for a 32-bit program on 64-bit Windows", true, true, "",
         "C:\\windows\\SysWOW64"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestMachine fresh;
        platform::EmulatedPlatform& windows = *fresh.emulated();
        if (c.windows64) {
            windows.setWindows64(c.wow64Program);
        }
        windows.setSystemDirectory(c.systemDirectory);
        EXPECT_EQ(modregistry::VisibleSystemDirectory(windows), c.visible);
        EXPECT_EQ(modregistry::GetSystemdir(windows), c.systemDirectory) << "the program's own";
        bool wow64 = !c.wow64Program;
        ASSERT_TRUE(windows.IsWow64Process(windows.GetCurrentProcess(), &wow64));
        EXPECT_EQ(wow64, c.wow64Program);
        char buffer[64] = {};
        windows.SetLastError(0);
        EXPECT_EQ(windows.GetSystemWow64DirectoryA(buffer, sizeof buffer) != 0, c.windows64);
        if (!c.windows64) {
            EXPECT_EQ(windows.GetLastError(),
                      static_cast<std::uint32_t>(platform::kErrorCallNotImplemented));
        }
    }
}

TEST_F(RegistryFaults, EnablingAPrivilegeReallyEnablesIt) {
    p.SetLastError(platform::kErrorAccessDenied); // stale, from some earlier call
    EXPECT_TRUE(modregistry::EnablePrivilege(p, "SeBackupPrivilege"));
    EXPECT_TRUE(emulated.privilegeEnabled("SeBackupPrivilege"));
    EXPECT_FALSE(emulated.privilegeEnabled("SeRestorePrivilege"));
}

TEST_F(RegistryFaults, AnUnopenableTokenEnablesNothing) {
    emulated.failTokenOpen(true);
    EXPECT_FALSE(modregistry::EnablePrivilege(p, "SeBackupPrivilege"));
    EXPECT_FALSE(emulated.privilegeEnabled("SeBackupPrivilege"));
    EXPECT_FALSE(modregistry::SaveKey(p, HKCU, key, hive));
}

TEST_F(RegistryFaults, APrivilegeTheAccountLacksShowsOnlyInTheLaterSave) {
    emulated.grantPrivilege("SeBackupPrivilege", false);
    EXPECT_TRUE(modregistry::EnablePrivilege(p, "SeBackupPrivilege"));
    EXPECT_FALSE(emulated.privilegeEnabled("SeBackupPrivilege"));
    EXPECT_FALSE(modregistry::SaveKey(p, HKCU, key, hive));
    EXPECT_FALSE(platform::EntryExists(p, hive, 0));
}

TEST_F(RegistryFaults, ARefusedSaveLeavesNoFileEvenWhereOneLayBefore) {
    ASSERT_TRUE(platform::WriteWholeFile(p, hive, "old"));
    emulated.failKeySave(true);
    EXPECT_FALSE(modregistry::SaveKey(p, HKCU, key, hive));
    EXPECT_FALSE(platform::EntryExists(p, hive, 0));
}

TEST_F(RegistryFaults, ARefusedOrImpossibleRestoreLeavesTheKeyAsItWas) {
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "", "tada.wav"));
    ASSERT_TRUE(modregistry::SaveKey(p, HKCU, key, hive));
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "", "new.wav"));

    emulated.failKeyRestore(true);
    EXPECT_FALSE(modregistry::RestoreKey(p, HKCU, key, hive));
    emulated.failKeyRestore(false);
    EXPECT_FALSE(modregistry::RestoreKey(p, HKCU, key, hive + ".missing"));
    EXPECT_FALSE(modregistry::RestoreKey(p, HKCU, key + "\\Absent", hive));
    const std::string junk = machine.scratchFolder() + "\\junk.dat";
    ASSERT_TRUE(platform::WriteWholeFile(p, junk, "junk"));
    EXPECT_FALSE(modregistry::RestoreKey(p, HKCU, key, junk));
    emulated.grantPrivilege("SeRestorePrivilege", false);
    EXPECT_FALSE(modregistry::RestoreKey(p, HKCU, key, hive));
    EXPECT_EQ(Get(""), "new.wav");
}

TEST_F(RegistryFaults, ARestoreWithoutAnEarlierSaveEnablesEveryPrivilegeItNeeds) {
    // The uninstaller restores a hive that another process saved; it never
    // saves a key itself, so nothing else has enabled the backup privilege.
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "", "tada.wav"));
    ASSERT_TRUE(modregistry::SaveKey(p, HKCU, key, hive));
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "", ""));
    // A fresh run of a program: the token holds both privileges, neither enabled.
    for (const char* privilege : {"SeBackupPrivilege", "SeRestorePrivilege"}) {
        emulated.grantPrivilege(privilege, false);
        emulated.grantPrivilege(privilege, true);
        ASSERT_FALSE(emulated.privilegeEnabled(privilege));
    }
    EXPECT_TRUE(modregistry::RestoreKey(p, HKCU, key, hive));
    EXPECT_EQ(Get(""), "tada.wav");
}

} // namespace
} // namespace tarrow
