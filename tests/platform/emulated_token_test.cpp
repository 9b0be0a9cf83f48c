// The process token of the emulated machine: which privileges it holds and
// enables, what saving and restoring keys need of it, and the last-error value
// that these calls leave behind.
#include "platform/emulated/emulated_platform.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace platform;
using tarrow::testing::TestMachine;

class Token : public ::testing::Test {
protected:
    TestMachine machine;
    Platform& p = machine.platform();
    EmulatedPlatform& emulated = *machine.emulated();

    UniqueHandle open(std::uint32_t access = kTokenAdjustPrivileges | kTokenQuery) {
        UniqueHandle token(p);
        EXPECT_TRUE(p.OpenProcessToken(p.GetCurrentProcess(), access, token.put()));
        return token;
    }

    static TokenPrivileges request(const Luid& luid, std::uint32_t attributes) {
        TokenPrivileges privileges;
        privileges.privilegeCount = 1;
        privileges.luid = luid;
        privileges.attributes = attributes;
        return privileges;
    }

    bool enable(Handle token, const std::string& name, bool on = true) {
        Luid luid;
        if (!p.LookupPrivilegeValueA(name, &luid)) {
            return false;
        }
        const TokenPrivileges asked = request(luid, on ? kSePrivilegeEnabled : 0);
        return p.AdjustTokenPrivileges(token, false, &asked, 0, nullptr, nullptr);
    }
};

TEST_F(Token, PrivilegeNamesAreLookedUpWithoutRegardToCase) {
    Luid luid;
    ASSERT_TRUE(p.LookupPrivilegeValueA("sebackupprivilege", &luid));
    EXPECT_EQ(luid.lowPart, 17u);
    ASSERT_TRUE(p.LookupPrivilegeValueA("SERESTOREPRIVILEGE", &luid));
    EXPECT_EQ(luid.lowPart, 18u);
    EXPECT_FALSE(p.LookupPrivilegeValueA("SeNoSuchPrivilege", &luid));
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorNoSuchPrivilege));
}

TEST_F(Token, EnablingSucceedsButReportsPrivilegesTheTokenDoesNotHold) {
    UniqueHandle token = open();
    p.SetLastError(kErrorAccessDenied);
    ASSERT_TRUE(enable(token.get(), "SeBackupPrivilege"));
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorSuccess))
        << "a full success clears an earlier error";
    EXPECT_TRUE(emulated.privilegeEnabled("SeBackupPrivilege"));

    ASSERT_TRUE(enable(token.get(), "SeShutdownPrivilege"));
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorNotAllAssigned));
    EXPECT_FALSE(emulated.privilegeEnabled("SeShutdownPrivilege"));

    emulated.grantPrivilege("SeShutdownPrivilege", true);
    ASSERT_TRUE(enable(token.get(), "SeShutdownPrivilege"));
    EXPECT_TRUE(emulated.privilegeEnabled("SeShutdownPrivilege"));
    emulated.grantPrivilege("SeShutdownPrivilege", false);
    EXPECT_FALSE(emulated.privilegeEnabled("SeShutdownPrivilege")) << "taking it disables it";
    emulated.grantPrivilege("SeShutdownPrivilege", true);
    EXPECT_FALSE(emulated.privilegeEnabled("SeShutdownPrivilege")) << "given back, it stays off";
}

TEST_F(Token, ThePreviousStateTellsWhatChanged) {
    UniqueHandle token = open();
    Luid backup;
    ASSERT_TRUE(p.LookupPrivilegeValueA("SeBackupPrivilege", &backup));
    TokenPrivileges previous;
    std::uint32_t length = 0;
    const TokenPrivileges on = request(backup, kSePrivilegeEnabled);
    ASSERT_TRUE(
        p.AdjustTokenPrivileges(token.get(), false, &on, sizeof previous, &previous, &length));
    EXPECT_EQ(previous.privilegeCount, 1u);
    EXPECT_EQ(previous.luid.lowPart, backup.lowPart);
    EXPECT_EQ(previous.attributes, 0u) << "it was disabled before";

    ASSERT_TRUE(
        p.AdjustTokenPrivileges(token.get(), false, &on, sizeof previous, &previous, &length));
    EXPECT_EQ(previous.privilegeCount, 0u) << "nothing changed the second time";

    ASSERT_TRUE(p.AdjustTokenPrivileges(token.get(), false, &previous, 0, nullptr, nullptr));
    EXPECT_TRUE(emulated.privilegeEnabled("SeBackupPrivilege"))
        << "restoring an empty previous state changes nothing";
    ASSERT_TRUE(p.AdjustTokenPrivileges(token.get(), true, nullptr, 0, nullptr, nullptr));
    EXPECT_FALSE(emulated.privilegeEnabled("SeBackupPrivilege"));
}

TEST_F(Token, TokenHandlesNeedTheirRightsAndAreCountedUntilClosed) {
    EXPECT_EQ(emulated.openHandleCount(), 0u);
    UniqueHandle queryOnly = open(kTokenQuery);
    EXPECT_EQ(emulated.openHandleCount(), 1u);
    p.SetLastError(0);
    EXPECT_FALSE(enable(queryOnly.get(), "SeBackupPrivilege"));
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorAccessDenied));

    // Asking for the previous state needs the right to query as well.
    {
        UniqueHandle adjustOnly = open(kTokenAdjustPrivileges);
        Luid luid;
        ASSERT_TRUE(p.LookupPrivilegeValueA("SeBackupPrivilege", &luid));
        const TokenPrivileges asked = request(luid, kSePrivilegeEnabled);
        TokenPrivileges previous;
        std::uint32_t length = 0;
        EXPECT_FALSE(p.AdjustTokenPrivileges(adjustOnly.get(), false, &asked, sizeof previous,
                                             &previous, &length));
        EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorAccessDenied));
        EXPECT_TRUE(enable(adjustOnly.get(), "SeBackupPrivilege")) << "without it, adjusting works";
    }

    const Handle raw = queryOnly.release();
    EXPECT_TRUE(p.CloseHandle(raw));
    EXPECT_FALSE(p.CloseHandle(raw));
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorInvalidHandle));
    EXPECT_TRUE(p.CloseHandle(p.GetCurrentProcess())) << "the pseudo handle needs no closing";
    EXPECT_EQ(emulated.openHandleCount(), 0u);

    emulated.failTokenOpen(true);
    Handle token = 0;
    EXPECT_FALSE(p.OpenProcessToken(p.GetCurrentProcess(), kTokenAdjustPrivileges, &token));
    EXPECT_EQ(emulated.openHandleCount(), 0u);
}

TEST_F(Token, SavingNeedsBackupAndRestoringNeedsBothPrivileges) {
    UniqueKey key(p);
    ASSERT_EQ(
        p.RegOpenKeyExA(kHkeyCurrentUser, "Control Panel\\Desktop", 0, kKeyAllAccess, key.put()),
        kErrorSuccess);
    const std::string hive = machine.scratchFolder() + "\\desktop.hiv";
    EXPECT_EQ(p.RegSaveKeyA(key.get(), hive), kErrorPrivilegeNotHeld)
        << "held is not enough: it must be enabled";
    EXPECT_EQ(p.GetFileAttributesA(hive), kInvalidFileAttributes);

    UniqueHandle token = open();
    ASSERT_TRUE(enable(token.get(), "SeBackupPrivilege"));
    ASSERT_EQ(p.RegSaveKeyA(key.get(), hive), kErrorSuccess);
    EXPECT_EQ(p.GetFileAttributesA(hive), kFileAttributeArchive);
    EXPECT_EQ(p.RegRestoreKeyA(key.get(), hive, kRegForceRestore), kErrorPrivilegeNotHeld);

    ASSERT_TRUE(enable(token.get(), "SeRestorePrivilege"));
    EXPECT_EQ(p.RegRestoreKeyA(key.get(), hive, kRegForceRestore), kErrorSuccess);
    ASSERT_TRUE(enable(token.get(), "SeBackupPrivilege", false));
    EXPECT_EQ(p.RegRestoreKeyA(key.get(), hive, 0), kErrorPrivilegeNotHeld);

    ASSERT_TRUE(p.SetFileAttributesA(hive, kFileAttributeHidden | kFileAttributeSystem));
    ASSERT_TRUE(enable(token.get(), "SeBackupPrivilege"));
    EXPECT_EQ(p.RegSaveKeyA(key.get(), hive), kErrorAlreadyExists)
        << "an existing file is never overwritten, whatever its attributes";
}

TEST_F(Token, SuccessfulCallsLeaveAStaleLastErrorAlone) {
    ASSERT_TRUE(WriteWholeFile(p, machine.scratchFolder() + "\\a.txt", "a"));
    p.SetLastError(kErrorFileNotFound);
    UniqueHandle token = open();
    Luid luid;
    EXPECT_TRUE(p.LookupPrivilegeValueA("SeBackupPrivilege", &luid));
    EXPECT_NE(p.GetFileAttributesA(machine.scratchFolder() + "\\a.txt"), kInvalidFileAttributes);
    EXPECT_TRUE(p.CopyFileA(machine.scratchFolder() + "\\a.txt",
                            machine.scratchFolder() + "\\b.txt", false));
    EXPECT_NE(ReadWholeFile(p, machine.scratchFolder() + "\\b.txt"), std::nullopt);
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorFileNotFound));

    EXPECT_FALSE(p.DeleteFileA(machine.scratchFolder() + "\\absent"));
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorFileNotFound));
    EXPECT_FALSE(p.DeleteFileA(machine.scratchFolder() + "\\absent\\x"));
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorPathNotFound));
}

} // namespace
