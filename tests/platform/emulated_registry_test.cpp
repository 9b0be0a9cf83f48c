// The registry rules of the machine: names without regard to case, the size
// reports of string values, where keys can be created, the rights a handle
// carries, and saving and restoring keys.
#include "platform/files.h"
#include "platform/handles.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace platform;
using tarrow::testing::TestMachine;

using Bytes = std::vector<std::uint8_t>;

Bytes BytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}
// A string value with its terminating NUL.
Bytes SzOf(const std::string& text) {
    return BytesOf(text + '\0');
}

class Registry : public ::testing::Test {
protected:
    TestMachine machine;
    Platform& p = machine.platform();
    const std::string key = machine.scratchKey();

    // Windows looks at the byte after a string's data for a NUL that the
    // count left out: give it one to look at, outside the count.
    long set(Key at, const std::string& name, std::uint32_t kind, const Bytes& bytes) {
        Bytes guarded = bytes;
        guarded.push_back(0);
        return p.RegSetValueExA(at, name, kind, guarded.data(),
                                static_cast<std::uint32_t>(bytes.size()));
    }

    // The value read with a buffer of `room` bytes: status, size reported, bytes.
    struct Read {
        long status;
        std::uint32_t size;
        Bytes bytes;
    };
    Read read(Key at, const std::string& name, std::uint32_t room) {
        Bytes buffer(room + 1, 0xEE);
        std::uint32_t size = room;
        const long status = p.RegQueryValueExA(at, name, nullptr, buffer.data(), &size);
        buffer.resize(status == kErrorSuccess ? size : 0);
        return {status, size, buffer};
    }

    UniqueKey createScratch(std::uint32_t access = kKeyAllAccess) {
        UniqueKey result(p);
        EXPECT_EQ(
            p.RegCreateKeyExA(kHkeyCurrentUser, key, "", 0, access, nullptr, result.put(), nullptr),
            kErrorSuccess);
        return result;
    }
};

TEST_F(Registry, KeyAndValueNamesMatchWithoutRegardToCase) {
    UniqueKey created(p);
    std::uint32_t disposition = 0;
    ASSERT_EQ(p.RegCreateKeyExA(kHkeyCurrentUser, key + "\\Mixed\\Case", "", 0, kKeyAllAccess,
                                nullptr, created.put(), &disposition),
              kErrorSuccess);
    EXPECT_EQ(disposition, kRegCreatedNewKey) << "intermediate keys are created along the way";
    ASSERT_EQ(set(created.get(), "Wallpaper", kRegSz, SzOf("a")), kErrorSuccess);
    ASSERT_EQ(set(created.get(), "WALLPAPER", kRegSz, SzOf("b")), kErrorSuccess);

    UniqueKey opened(p);
    ASSERT_EQ(p.RegCreateKeyExA(kHkeyCurrentUser, key + "\\MIXED\\case", "", 0, kKeyRead, nullptr,
                                opened.put(), &disposition),
              kErrorSuccess);
    EXPECT_EQ(disposition, kRegOpenedExistingKey);
    EXPECT_NE(opened.get(), created.get()) << "every open gives a handle of its own";
    EXPECT_EQ(read(opened.get(), "wallpaper", 16).bytes, SzOf("b"))
        << "the second write replaced the same value";

    UniqueKey same(p);
    ASSERT_EQ(p.RegOpenKeyExA(opened.get(), "", 0, kKeyRead, same.put()), kErrorSuccess);
    EXPECT_NE(same.get(), opened.get());
    EXPECT_EQ(read(same.get(), "Wallpaper", 16).status, kErrorSuccess);
}

TEST_F(Registry, MissingKeysAndValuesAreNotFound) {
    UniqueKey scratch = createScratch();
    UniqueKey missing(p);
    EXPECT_EQ(p.RegOpenKeyExA(kHkeyCurrentUser, key + "\\Absent", 0, kKeyRead, missing.put()),
              kErrorFileNotFound);
    EXPECT_EQ(read(scratch.get(), "Absent", 16).status, kErrorFileNotFound);
    EXPECT_EQ(read(scratch.get(), "", 16).status, kErrorFileNotFound)
        << "a new key has no default value";
    ASSERT_EQ(set(scratch.get(), "", kRegSz, SzOf("d")), kErrorSuccess);
    EXPECT_EQ(read(scratch.get(), "", 16).bytes, SzOf("d"));
}

TEST_F(Registry, ValuesKeepTheirKindAndBytes) {
    UniqueKey scratch = createScratch();
    const Bytes binary = {0x00, 0xFF, 0x00, 0x10};
    const Bytes dword = {0x01, 0x02, 0x03, 0x04};
    ASSERT_EQ(set(scratch.get(), "Bin", kRegBinary, binary), kErrorSuccess);
    ASSERT_EQ(set(scratch.get(), "Word", kRegDword, dword), kErrorSuccess);
    ASSERT_EQ(set(scratch.get(), "Empty", kRegNone, {}), kErrorSuccess);
    for (const auto& [name, kind, bytes] :
         {std::tuple{"Bin", kRegBinary, binary}, std::tuple{"Word", kRegDword, dword},
          std::tuple{"Empty", kRegNone, Bytes{}}}) {
        std::uint32_t type = 99;
        std::uint32_t size = 0;
        ASSERT_EQ(p.RegQueryValueExA(scratch.get(), name, &type, nullptr, &size), kErrorSuccess);
        EXPECT_EQ(type, kind) << name;
        EXPECT_EQ(size, bytes.size()) << name;
        EXPECT_EQ(read(scratch.get(), name, size).bytes, bytes) << name;
    }
}

TEST_F(Registry, StringsStoredWithoutNulAreReportedAndReadWithOne) {
    TARROW_SKIP_ON_WINE(machine, "RegQueryValueExA reports and reads a string stored without its "
                                 "NUL at its stored size");
    UniqueKey scratch = createScratch();
    for (const std::uint32_t kind : {kRegSz, kRegExpandSz, kRegMultiSz}) {
        SCOPED_TRACE(kind);
        ASSERT_EQ(set(scratch.get(), "Timeout", kind, BytesOf("10")), kErrorSuccess);
        std::uint32_t size = 0;
        ASSERT_EQ(p.RegQueryValueExA(scratch.get(), "Timeout", nullptr, nullptr, &size),
                  kErrorSuccess);
        EXPECT_EQ(size, 3u) << "room for the NUL that was not stored";

        const Read withNul = read(scratch.get(), "Timeout", 3);
        EXPECT_EQ(withNul.status, kErrorSuccess);
        EXPECT_EQ(withNul.bytes, SzOf("10"));

        const Read exact = read(scratch.get(), "Timeout", 2);
        EXPECT_EQ(exact.status, kErrorSuccess) << "the stored bytes fit, without a NUL";
        EXPECT_EQ(exact.bytes, BytesOf("10"));

        const Read tooSmall = read(scratch.get(), "Timeout", 1);
        EXPECT_EQ(tooSmall.status, kErrorMoreData);
        EXPECT_EQ(tooSmall.size, 3u);
    }
    ASSERT_EQ(set(scratch.get(), "Terminated", kRegSz, SzOf("10")), kErrorSuccess);
    EXPECT_EQ(read(scratch.get(), "Terminated", 3).size, 3u) << "a stored NUL is not doubled";
    ASSERT_EQ(set(scratch.get(), "Raw", kRegBinary, BytesOf("10")), kErrorSuccess);
    EXPECT_EQ(read(scratch.get(), "Raw", 8).size, 2u) << "only strings get a NUL";
}

TEST_F(Registry, KeysCannotBeCreatedDirectlyUnderTheMachineAndUsersRoots) {
    TARROW_SKIP_ON_WINE(machine, "RegCreateKeyExA creates keys directly under HKEY_USERS and "
                                 "HKEY_LOCAL_MACHINE");
    for (const Key root : {kHkeyLocalMachine, kHkeyUsers}) {
        UniqueKey refused(p);
        EXPECT_EQ(p.RegCreateKeyExA(root, "TarrowNew\\Below", "", 0, kKeyAllAccess, nullptr,
                                    refused.put(), nullptr),
                  kErrorAccessDenied);
        EXPECT_FALSE(refused);
        UniqueKey absent(p);
        EXPECT_EQ(p.RegOpenKeyExA(root, "TarrowNew", 0, kKeyRead, absent.put()), kErrorFileNotFound)
            << "nothing was created on the way";
    }
    UniqueKey existing(p);
    std::uint32_t disposition = 0;
    EXPECT_EQ(p.RegCreateKeyExA(kHkeyLocalMachine, "sOFTWARE", "", 0, kKeyRead, nullptr,
                                existing.put(), &disposition),
              kErrorSuccess);
    EXPECT_EQ(disposition, kRegOpenedExistingKey);
}

TEST_F(Registry, HandlesCarryTheRightsTheyWereOpenedWith) {
    UniqueKey scratch = createScratch();
    ASSERT_EQ(set(scratch.get(), "V", kRegSz, BytesOf("x")), kErrorSuccess);

    UniqueKey reader = createScratch(kKeyRead);
    EXPECT_EQ(set(reader.get(), "V", kRegSz, BytesOf("y")), kErrorAccessDenied);
    EXPECT_EQ(read(reader.get(), "V", 8).status, kErrorSuccess);

    UniqueKey writer = createScratch(kKeyWrite);
    EXPECT_EQ(read(writer.get(), "V", 8).status, kErrorAccessDenied);
    EXPECT_EQ(set(writer.get(), "V", kRegSz, SzOf("z")), kErrorSuccess);
    EXPECT_EQ(read(scratch.get(), "V", 8).bytes, SzOf("z"));
}

// RegDeleteKeyA takes a key with its values, never one with subkeys; a
// handle still open to a deleted key reaches nothing. RegQueryInfoKeyA
// counts what a key holds.
TEST_F(Registry, AKeyIsDeletedWithItsValuesButNotWithSubkeys) {
    struct Case {
        const char* name;
        std::uint32_t values, subKeys;
        bool exists;
        long status;
    };
    const Case cases[] = {
        {"empty", 0, 0, true, kErrorSuccess},
        {"with values", 2, 0, true, kErrorSuccess},
        {"with a subkey", 1, 1, true, kErrorAccessDenied},
        {"missing", 0, 0, false, kErrorFileNotFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UniqueKey scratch = createScratch();
        UniqueKey held(p);
        if (c.exists) {
            ASSERT_EQ(p.RegCreateKeyExA(scratch.get(), "Doomed", "", 0, kKeyAllAccess, nullptr,
                                        held.put(), nullptr),
                      kErrorSuccess);
            for (std::uint32_t k = 0; k < c.values; ++k) {
                ASSERT_EQ(set(held.get(), "V" + std::to_string(k), kRegSz, SzOf("x")),
                          kErrorSuccess);
            }
            for (std::uint32_t k = 0; k < c.subKeys; ++k) {
                UniqueKey below(p);
                ASSERT_EQ(p.RegCreateKeyExA(held.get(), "Below" + std::to_string(k), "", 0,
                                            kKeyAllAccess, nullptr, below.put(), nullptr),
                          kErrorSuccess);
            }
            std::uint32_t subKeys = 99, values = 99;
            ASSERT_EQ(p.RegQueryInfoKeyA(held.get(), &subKeys, &values), kErrorSuccess);
            EXPECT_EQ(subKeys, c.subKeys);
            EXPECT_EQ(values, c.values);
        }

        EXPECT_EQ(p.RegDeleteKeyA(scratch.get(), "Doomed"), c.status);

        const bool gone = c.status == kErrorSuccess || !c.exists;
        UniqueKey reopened(p);
        EXPECT_EQ(p.RegOpenKeyExA(scratch.get(), "Doomed", 0, kKeyRead, reopened.put()),
                  gone ? kErrorFileNotFound : kErrorSuccess);
        std::uint32_t subKeys = 99;
        ASSERT_EQ(p.RegQueryInfoKeyA(scratch.get(), &subKeys, nullptr), kErrorSuccess);
        EXPECT_EQ(subKeys, gone ? 0u : 1u);
        if (c.exists && gone) {
            EXPECT_NE(read(held.get(), "V0", 8).status, kErrorSuccess);
            EXPECT_NE(set(held.get(), "After", kRegSz, SzOf("x")), kErrorSuccess)
                << "nothing is written into a deleted key";
        }
        held.reset();
        // What is left goes, so that the next case starts from nothing.
        if (!gone) {
            ASSERT_EQ(p.RegDeleteKeyA(scratch.get(), "Doomed\\Below0"), kErrorSuccess);
            ASSERT_EQ(p.RegDeleteKeyA(scratch.get(), "Doomed"), kErrorSuccess);
        }
    }
}

TEST_F(Registry, ClosingAHandleTwiceOrAnUnknownOneFails) {
    UniqueKey scratch = createScratch();
    const Key handle = scratch.release();
    EXPECT_EQ(p.RegCloseKey(handle), kErrorSuccess);
    EXPECT_EQ(p.RegCloseKey(handle), kErrorInvalidHandle);
    EXPECT_EQ(read(handle, "V", 8).status, kErrorInvalidHandle);
}

// Saving and restoring need the backup and restore privileges enabled.
class SaveRestore : public Registry {
protected:
    void SetUp() override {
        UniqueHandle token(p);
        ASSERT_TRUE(p.OpenProcessToken(p.GetCurrentProcess(), kTokenAdjustPrivileges, token.put()));
        for (const char* name : {"SeBackupPrivilege", "SeRestorePrivilege"}) {
            TokenPrivileges privileges;
            privileges.privilegeCount = 1;
            privileges.attributes = kSePrivilegeEnabled;
            ASSERT_TRUE(p.LookupPrivilegeValueA(name, &privileges.luid));
            ASSERT_TRUE(
                p.AdjustTokenPrivileges(token.get(), false, &privileges, 0, nullptr, nullptr));
            ASSERT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorSuccess)) << name;
        }
    }

    const std::string hive = machine.scratchFolder() + "\\key.hiv";
};

TEST_F(SaveRestore, RoundTripBringsBackValuesAndSubkeysExactly) {
    TARROW_SKIP_ON_WINE(machine, "RegRestoreKeyA reports success without restoring anything");
    UniqueKey scratch = createScratch();
    const Bytes binary = {0x00, 0x22, 0x5C, 0x0A, 0xFF};
    ASSERT_EQ(set(scratch.get(), "Quote\"Back\\slash", kRegBinary, binary), kErrorSuccess);
    ASSERT_EQ(set(scratch.get(), "", kRegSz, BytesOf("10")), kErrorSuccess);
    {
        UniqueKey child(p);
        ASSERT_EQ(p.RegCreateKeyExA(scratch.get(), "Child\\Grand", "", 0, kKeyAllAccess, nullptr,
                                    child.put(), nullptr),
                  kErrorSuccess);
        ASSERT_EQ(set(child.get(), "Deep", kRegDword, {7, 0, 0, 0}), kErrorSuccess);
    }
    ASSERT_EQ(p.RegSaveKeyA(scratch.get(), hive), kErrorSuccess);
    EXPECT_EQ(p.RegSaveKeyA(scratch.get(), hive), kErrorAlreadyExists);
    EXPECT_NE(p.GetFileAttributesA(hive), kInvalidFileAttributes);

    ASSERT_EQ(set(scratch.get(), "", kRegSz, BytesOf("changed")), kErrorSuccess);
    ASSERT_EQ(set(scratch.get(), "Added", kRegSz, BytesOf("x")), kErrorSuccess);
    {
        UniqueKey extra(p);
        ASSERT_EQ(p.RegCreateKeyExA(scratch.get(), "Extra", "", 0, kKeyAllAccess, nullptr,
                                    extra.put(), nullptr),
                  kErrorSuccess);
    }
    ASSERT_EQ(p.RegRestoreKeyA(scratch.get(), hive, kRegForceRestore), kErrorSuccess);

    EXPECT_EQ(read(scratch.get(), "quote\"back\\SLASH", 16).bytes, binary);
    const Read restored = read(scratch.get(), "", 16);
    EXPECT_EQ(restored.bytes, SzOf("10"))
        << "the value comes back as stored, still without its NUL";
    EXPECT_EQ(read(scratch.get(), "Added", 16).status, kErrorFileNotFound);
    UniqueKey gone(p);
    EXPECT_EQ(p.RegOpenKeyExA(scratch.get(), "Extra", 0, kKeyRead, gone.put()), kErrorFileNotFound);
    UniqueKey grand(p);
    ASSERT_EQ(p.RegOpenKeyExA(scratch.get(), "child\\GRAND", 0, kKeyRead, grand.put()),
              kErrorSuccess);
    EXPECT_EQ(read(grand.get(), "Deep", 4).bytes, (Bytes{7, 0, 0, 0}));
}

TEST_F(SaveRestore, AMalformedOrMissingFileLeavesTheKeyAsItWas) {
    TARROW_SKIP_ON_WINE(machine, "RegRestoreKeyA reports success without restoring anything");
    UniqueKey scratch = createScratch();
    ASSERT_EQ(set(scratch.get(), "Keep", kRegSz, SzOf("me")), kErrorSuccess);
    EXPECT_EQ(p.RegRestoreKeyA(scratch.get(), hive, 0), kErrorFileNotFound);
    ASSERT_TRUE(WriteWholeFile(p, hive, "not a hive at all\n[]\n"));
    EXPECT_EQ(p.RegRestoreKeyA(scratch.get(), hive, 0), kErrorBadFormat);
    // Well-formed up to a broken last line: nothing of it may be applied.
    const std::string broken = machine.scratchFolder() + "\\broken.hiv";
    ASSERT_TRUE(WriteWholeFile(p, broken,
                               "TARROW REGISTRY HIVE 1\n[]\n\"New\"=hex(1):6e,00\n"
                               "[Sub]\n\"Bad\"=hex(zz):00\n"));
    EXPECT_EQ(p.RegRestoreKeyA(scratch.get(), broken, 0), kErrorBadFormat);
    EXPECT_EQ(read(scratch.get(), "New", 8).status, kErrorFileNotFound);
    EXPECT_EQ(read(scratch.get(), "Keep", 8).bytes, SzOf("me"));
}

} // namespace
