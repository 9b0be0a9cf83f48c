// What the emulated machine keeps through a power cut, and its accounts'
// hives: the ground the crash tests of the operations stand on.
#include "platform/emulated/emulated_platform.h"
#include "platform/emulated/errors.h"
#include "platform/emulated/text.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace platform;
using tarrow::testing::TestMachine;
using Survival = EmulatedPlatform::HiveSurvival;

class Power : public ::testing::Test {
public:
    TestMachine machine;
    EmulatedPlatform& e = *machine.emulated();
    Platform& p = machine.platform();
    const std::string dir = machine.scratchFolder();

    std::string at(const std::string& name) const { return dir + "\\" + name; }

    // Writes without flushing, then optionally flushes, through one handle.
    void write(const std::string& name, const std::string& content, std::uint32_t disposition,
               bool flush) {
        UniqueHandle file(p, p.CreateFileA(at(name), kGenericWrite, 0, nullptr, disposition, 0));
        ASSERT_TRUE(file) << name;
        std::uint32_t written = 0;
        ASSERT_TRUE(p.WriteFile(file.get(), content.data(),
                                static_cast<std::uint32_t>(content.size()), &written));
        if (flush) {
            ASSERT_TRUE(p.FlushFileBuffers(file.get()));
        }
    }
    std::optional<std::string> content(const std::string& name) {
        return ReadWholeFile(p, at(name));
    }

    bool setValue(Key root, const std::string& keyPath, const std::string& name,
                  const std::string& text) {
        UniqueKey key(p);
        if (p.RegCreateKeyExA(root, keyPath, "", 0, kKeyAllAccess, nullptr, key.put(), nullptr) !=
            kErrorSuccess) {
            return false;
        }
        return p.RegSetValueExA(key.get(), name, kRegSz,
                                reinterpret_cast<const std::uint8_t*>(text.data()),
                                static_cast<std::uint32_t>(text.size())) == kErrorSuccess;
    }
    std::optional<std::string> value(Key root, const std::string& keyPath,
                                     const std::string& name) {
        UniqueKey key(p);
        if (p.RegOpenKeyExA(root, keyPath, 0, kKeyRead, key.put()) != kErrorSuccess) {
            return std::nullopt;
        }
        std::uint8_t data[64] = {};
        std::uint32_t size = sizeof data;
        std::uint32_t kind = 0;
        if (p.RegQueryValueExA(key.get(), name, &kind, data, &size) != kErrorSuccess) {
            return std::nullopt;
        }
        return std::string(reinterpret_cast<const char*>(data));
    }
    void enable(const std::string& privilege) {
        UniqueHandle token(p);
        ASSERT_TRUE(p.OpenProcessToken(p.GetCurrentProcess(), kTokenAdjustPrivileges | kTokenQuery,
                                       token.put()));
        TokenPrivileges wanted;
        wanted.privilegeCount = 1;
        wanted.attributes = kSePrivilegeEnabled;
        ASSERT_TRUE(p.LookupPrivilegeValueA(privilege, &wanted.luid));
        ASSERT_TRUE(p.AdjustTokenPrivileges(token.get(), false, &wanted, 0, nullptr, nullptr));
    }
};

TEST_F(Power, AFileKeepsWhatWasFlushedAndCreatesMovesAndDeletesLast) {
    struct Case {
        const char* name;
        std::function<void(Power&)> act;
        std::optional<std::string> old, other; // "old.txt" and "other.txt" after the cut
    };
    const std::vector<Case> cases = {
        {"a new file not flushed lasts empty",
         [](Power& t) { t.write("other.txt", "abc", kCreateNew, false); }, "old", ""},
        {"a new file flushed lasts whole",
         [](Power& t) { t.write("other.txt", "abc", kCreateNew, true); }, "old", "abc"},
        {"a file cut short and written again lasts empty",
         [](Power& t) { t.write("old.txt", "new", kCreateAlways, false); }, "", std::nullopt},
        {"a file written in place keeps what was on disk",
         [](Power& t) { t.write("old.txt", "N", kOpenExisting, false); }, "old", std::nullopt},
        {"what follows the last flush is lost",
         [](Power& t) {
             t.write("other.txt", "abc", kCreateNew, true);
             t.write("other.txt", "abcdef", kOpenExisting, false);
         },
         "old", "abc"},
        {"a flushed file moved over another replaces it",
         [](Power& t) {
             t.write("other.txt", "new", kCreateNew, true);
             ASSERT_TRUE(t.p.MoveFileExA(t.at("other.txt"), t.at("old.txt"),
                                         kMoveFileReplaceExisting | kMoveFileWriteThrough));
         },
         "new", std::nullopt},
        {"a file moved over another before its flush lasts empty",
         [](Power& t) {
             t.write("other.txt", "new", kCreateNew, false);
             ASSERT_TRUE(
                 t.p.MoveFileExA(t.at("other.txt"), t.at("old.txt"), kMoveFileReplaceExisting));
         },
         "", std::nullopt},
        {"a copy lasts empty",
         [](Power& t) { ASSERT_TRUE(t.p.CopyFileA(t.at("old.txt"), t.at("other.txt"), false)); },
         "old", ""},
        {"a delete lasts", [](Power& t) { ASSERT_TRUE(t.p.DeleteFileA(t.at("old.txt"))); },
         std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Power& t = *this;
        ASSERT_TRUE(WriteWholeFile(p, at("old.txt"), "old"));
        p.DeleteFileA(at("other.txt"));
        e.settle();
        c.act(t);
        e.reboot(Survival::LastFlushed);
        EXPECT_EQ(content("old.txt"), c.old);
        EXPECT_EQ(content("other.txt"), c.other);
    }
}

TEST_F(Power, AHiveLastsAsLastFlushedOrWholeEachOnItsOwn) {
    const std::string desktop = "Control Panel\\Desktop";
    const std::string control = "SYSTEM\\ControlSet001\\Control";
    e.createKey(kHkeyLocalMachine, control);
    for (const Survival survival : {Survival::LastFlushed, Survival::Whole}) {
        SCOPED_TRACE(survival == Survival::Whole ? "whole" : "as last flushed");
        e.settle();
        ASSERT_TRUE(setValue(kHkeyCurrentUser, desktop, "Flushed", "1"));
        ASSERT_TRUE(setValue(kHkeyLocalMachine, control, "Unflushed", "1"));
        UniqueKey key(p);
        ASSERT_EQ(p.RegOpenKeyExA(kHkeyCurrentUser, desktop, 0, kKeyRead, key.put()),
                  kErrorSuccess);
        ASSERT_EQ(p.RegFlushKey(key.get()), kErrorSuccess);
        key.reset();
        ASSERT_TRUE(setValue(kHkeyCurrentUser, desktop, "AfterFlush", "1"));

        e.reboot(survival);

        const bool whole = survival == Survival::Whole;
        EXPECT_EQ(value(kHkeyCurrentUser, desktop, "Flushed"), "1");
        EXPECT_EQ(value(kHkeyCurrentUser, desktop, "AfterFlush").has_value(), whole);
        EXPECT_EQ(value(kHkeyLocalMachine, control, "Unflushed").has_value(), whole)
            << "flushing one hive leaves the others as they were";
    }
}

TEST_F(Power, AfterTheCutEveryCallFailsAndChangesNothing) {
    e.cutPowerAfter(2);
    EXPECT_TRUE(setValue(kHkeyCurrentUser, "Consol", "First", "1")) << "a new key and a value";
    EXPECT_TRUE(e.powerOff());
    EXPECT_FALSE(setValue(kHkeyCurrentUser, "Consol", "Second", "1"));
    EXPECT_FALSE(WriteWholeFile(p, at("late.txt"), "late"));
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorNotReady));
    EXPECT_FALSE(value(kHkeyCurrentUser, "Consol", "First").has_value()) << "reads fail too";
    ASSERT_EQ(e.journal().size(), 2u);
    EXPECT_EQ(e.journal()[0].call, "RegCreateKeyExA");
    EXPECT_EQ(e.journal()[1].call, "RegSetValueExA");
    EXPECT_EQ(e.journal()[1].target,
              "hkey_users\\" + emulated::FoldCase(EmulatedPlatform::kUserSid) + "\\consol\\first");

    e.reboot(Survival::Whole);
    EXPECT_EQ(value(kHkeyCurrentUser, "Consol", "First"), "1");
    EXPECT_FALSE(value(kHkeyCurrentUser, "Consol", "Second").has_value());
    EXPECT_FALSE(content("late.txt").has_value());
    EXPECT_TRUE(e.journal().empty());
    EXPECT_TRUE(setValue(kHkeyCurrentUser, "Consol", "Second", "1")) << "the power is back";
}

TEST_F(Power, EachAccountHasItsHiveAndLocalSystemsIsTheDefaultOne) {
    const std::string bob = "S-1-5-21-3623811015-3361044348-30300820-1002";
    e.addAccount({bob, "bob", "TARROW-PC"}, true);
    ASSERT_TRUE(setValue(kHkeyCurrentUser, "Consol", "Who", "alice"));
    EXPECT_EQ(value(kHkeyUsers, std::string(EmulatedPlatform::kUserSid) + "\\Consol", "Who"),
              "alice");
    e.runAs(bob);
    EXPECT_FALSE(value(kHkeyCurrentUser, "Consol", "Who").has_value());
    e.runAs(std::string(EmulatedPlatform::kLocalSystemSid));
    ASSERT_TRUE(setValue(kHkeyCurrentUser, "Consol", "Who", "system"));
    EXPECT_EQ(value(kHkeyUsers, ".DEFAULT\\Consol", "Who"), "system");

    UniqueHandle token(p);
    ASSERT_TRUE(p.OpenProcessToken(p.GetCurrentProcess(), kTokenQuery, token.put()));
    std::string sid;
    ASSERT_TRUE(p.GetTokenUserSid(token.get(), &sid));
    EXPECT_EQ(sid, "S-1-5-18");
    std::string name;
    std::string domain;
    ASSERT_TRUE(p.LookupAccountSidA(bob, &name, &domain));
    EXPECT_EQ(domain + "\\" + name, "TARROW-PC\\bob");
    EXPECT_FALSE(p.LookupAccountSidA("S-1-5-21-1-2-3-4", &name, &domain));
}

TEST_F(Power, ALoggedOffAccountsHiveLoadsFromItsProfileAndGoesBackThere) {
    const std::string bob = "S-1-5-21-3623811015-3361044348-30300820-1002";
    e.addAccount({bob, "bob", "TARROW-PC"}, false);
    const std::string desktop = bob + "\\Control Panel\\Desktop";
    EXPECT_FALSE(value(kHkeyUsers, bob, "x").has_value());

    UniqueKey profile(p);
    ASSERT_EQ(
        p.RegOpenKeyExA(kHkeyLocalMachine,
                        "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\" + bob, 0,
                        kKeyRead, profile.put()),
        kErrorSuccess);
    char path[128] = {};
    std::uint32_t size = sizeof path;
    std::uint32_t kind = 0;
    ASSERT_EQ(p.RegQueryValueExA(profile.get(), "ProfileImagePath", &kind,
                                 reinterpret_cast<std::uint8_t*>(path), &size),
              kErrorSuccess);
    EXPECT_EQ(kind, kRegExpandSz);
    const std::string hiveFile = p.ExpandEnvironmentStringsA(path) + "\\NTUSER.DAT";
    EXPECT_EQ(hiveFile, "C:\\Users\\bob\\NTUSER.DAT");

    EXPECT_EQ(p.RegLoadKeyA(kHkeyUsers, bob, hiveFile), kErrorPrivilegeNotHeld);
    enable("SeBackupPrivilege");
    enable("SeRestorePrivilege");
    ASSERT_EQ(p.RegLoadKeyA(kHkeyUsers, bob, hiveFile), kErrorSuccess);
    EXPECT_EQ(p.RegLoadKeyA(kHkeyUsers, "again", hiveFile), kErrorSharingViolation);
    ASSERT_TRUE(setValue(kHkeyUsers, desktop, "HungAppTimeout", "5000"));
    {
        UniqueKey open(p);
        ASSERT_EQ(p.RegOpenKeyExA(kHkeyUsers, desktop, 0, kKeyRead, open.put()), kErrorSuccess);
        EXPECT_EQ(p.RegUnLoadKeyA(kHkeyUsers, bob), kErrorAccessDenied) << "a handle is open";
    }
    EXPECT_EQ(p.RegUnLoadKeyA(kHkeyUsers, ".DEFAULT"), kErrorAccessDenied) << "the system's own";
    ASSERT_EQ(p.RegUnLoadKeyA(kHkeyUsers, bob), kErrorSuccess);
    EXPECT_FALSE(value(kHkeyUsers, desktop, "HungAppTimeout").has_value());
    EXPECT_EQ(e.registryDump()["hkey_users\\" + emulated::FoldCase(bob) +
                               "\\control panel\\desktop"]["hungapptimeout"]
                  .bytes.size(),
              8u)
        << "unloading wrote the hive back to its file, the text as four wide characters";

    // A hive a program loaded is gone after a reboot; what was not flushed
    // before the cut is lost with it.
    ASSERT_EQ(p.RegLoadKeyA(kHkeyUsers, bob, hiveFile), kErrorSuccess);
    ASSERT_TRUE(setValue(kHkeyUsers, desktop, "HungAppTimeout", "1"));
    e.reboot(Survival::LastFlushed);
    EXPECT_FALSE(value(kHkeyUsers, desktop, "HungAppTimeout").has_value());
    e.setLoggedOn(bob, true);
    EXPECT_EQ(value(kHkeyUsers, desktop, "HungAppTimeout"), "5000");
}

} // namespace
