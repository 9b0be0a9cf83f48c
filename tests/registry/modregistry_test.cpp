// Reading and writing values through the registry layer.
#include "registry/modregistry.h"

#include "tests/registry/registry_test_helpers.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

namespace tarrow {
namespace {

using namespace tarrow::testing;
using platform::kRegBinary;
using platform::kRegDword;
using platform::kRegExpandSz;
using platform::kRegSz;

constexpr auto HKCU = RegistryRoot::CurrentUser;

class RegistryLayer : public ::testing::Test {
protected:
    TestMachine machine;
    platform::Platform& p = machine.platform();
    const std::string key = machine.scratchKey();

    std::string Get(const std::string& name, const std::string& fallback = "default") {
        return modregistry::GetValue(p, HKCU, key, name, fallback);
    }
    void ExpectAllKeysClosed() { EXPECT_EQ(machine.openKeyCount().value_or(0), 0u); }
};

TEST_F(RegistryLayer, MissingKeyGivesTheDefaultMissingValueGivesEmpty) {
    EXPECT_EQ(modregistry::GetValue(p, HKCU, key + "\\Absent", "X", "NO"), "NO");
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "Other", "1"));
    EXPECT_EQ(Get("X"), "");
    ExpectAllKeysClosed();
}

TEST_F(RegistryLayer, TextIsStoredAsAStringAndReadsBackUnchanged) {
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "Timeout", "10"));
    const RawValue raw = ReadRaw(p, HKCU, key, "Timeout");
    ASSERT_EQ(raw.status, platform::kErrorSuccess);
    EXPECT_EQ(raw.kind, kRegSz);
    EXPECT_EQ(Get("Timeout"), "10");

    for (const std::string text : {"", " spaced  ", "NO ", "20000"}) {
        ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "Timeout", text));
        EXPECT_EQ(Get("Timeout"), text);
    }
    ExpectAllKeysClosed();
}

TEST_F(RegistryLayer, DeleteValueLeavesTheValueAbsentAndCountsMissingOnesAsDone) {
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "Gone", "10"));
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "Kept", "20"));
    EXPECT_TRUE(modregistry::DeleteValue(p, HKCU, key, "GONE")) << "names match in any case";
    EXPECT_EQ(ReadRaw(p, HKCU, key, "Gone").status, platform::kErrorFileNotFound);
    EXPECT_EQ(Get("Kept"), "20");
    EXPECT_TRUE(modregistry::DeleteValue(p, HKCU, key, "Gone")) << "already absent";
    EXPECT_TRUE(modregistry::DeleteValue(p, HKCU, key + "\\Absent", "Gone")) << "no key";
    EXPECT_FALSE(KeyExists(p, HKCU, key + "\\Absent")) << "a removal creates no key";
    ExpectAllKeysClosed();
}

TEST_F(RegistryLayer, StringsEndAtTheirFirstNul) {
    ASSERT_TRUE(WriteRaw(p, HKCU, key, "Odd", kRegSz, {'a', 'b', 0, 'c', 'd'}));
    EXPECT_EQ(Get("Odd"), "ab");
}

TEST_F(RegistryLayer, OtherKindsOfUpToFourBytesReadAsSignedNumbers) {
    ASSERT_TRUE(WriteRaw(p, HKCU, key, "Ten", kRegDword, {10, 0, 0, 0}));
    ASSERT_TRUE(WriteRaw(p, HKCU, key, "All", kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}));
    ASSERT_TRUE(WriteRaw(p, HKCU, key, "Short", kRegBinary, {0x10, 0x27}));
    ASSERT_TRUE(WriteRaw(p, HKCU, key, "Long", kRegBinary, {1, 2, 3, 4, 5}));
    ASSERT_TRUE(WriteRaw(p, HKCU, key, "Expand", kRegExpandSz, Bytes("%SystemRoot%")));
    EXPECT_EQ(Get("Ten"), "10");
    EXPECT_EQ(Get("All"), "-1");
    EXPECT_EQ(Get("Short"), "10000");
    EXPECT_EQ(Get("Long"), "");
    EXPECT_EQ(Get("Expand"), "");
    ExpectAllKeysClosed();
}

TEST_F(RegistryLayer, NamesMatchWithoutRegardToCase) {
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key + "\\Desk",
                                      "WaitToKillServiceTimeout", "2000"));
    EXPECT_EQ(modregistry::GetValue(p, HKCU, key + "\\DESK", "WaitToKillserviceTimeout", "NO"),
              "2000");
}

TEST_F(RegistryLayer, NumberKindsConvertTheTextAndWriteZeroForNonNumbers) {
    struct Case {
        ValueKind kind;
        std::string data;
        std::uint32_t rawKind;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {ValueKind::Binary, "200", kRegBinary, {200}},
        {ValueKind::Binary, "300", kRegBinary, {0}},
        {ValueKind::Binary, "x", kRegBinary, {0}},
        {ValueKind::Number, "-5", kRegDword, {0xFB, 0xFF, 0xFF, 0xFF}},
        {ValueKind::Number, "70000", kRegDword, {0x70, 0x11, 0x01, 0x00}},
        {ValueKind::Number, "abc", kRegDword, {0, 0, 0, 0}},
        {ValueKind::Number, "99999999999", kRegDword, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        ASSERT_TRUE(modregistry::SetValue(p, c.kind, HKCU, key, "N", c.data));
        const RawValue raw = ReadRaw(p, HKCU, key, "N");
        EXPECT_EQ(raw.kind, c.rawKind);
        EXPECT_EQ(raw.bytes, c.bytes);
    }
}

TEST_F(RegistryLayer, AnUnknownKindCreatesTheKeyWritesNothingAndSucceeds) {
    const std::string fresh = key + "\\Made\\By\\Kind2";
    EXPECT_TRUE(modregistry::SetValue(p, static_cast<ValueKind>(2), HKCU, fresh, "V", "text"));
    EXPECT_TRUE(KeyExists(p, HKCU, fresh));
    EXPECT_EQ(modregistry::GetValue(p, HKCU, fresh, "V", "absent-key"), "");
    ExpectAllKeysClosed();
}

TEST_F(RegistryLayer, EmptyTextGoesToTheDefaultValue) {
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "", "sound.wav"));
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "", ""));
    const RawValue raw = ReadRaw(p, HKCU, key, "");
    ASSERT_EQ(raw.status, platform::kErrorSuccess);
    EXPECT_EQ(raw.kind, kRegSz);
    EXPECT_TRUE(raw.bytes.empty() || raw.bytes == std::vector<std::uint8_t>{0});
    EXPECT_EQ(Get(""), "");
}

TEST_F(RegistryLayer, KeysCannotBeMadeDirectlyUnderTheMachineAndUsersRoots) {
    TARROW_SKIP_ON_WINE(machine, "RegCreateKeyExA creates keys directly under HKEY_USERS and "
                                 "HKEY_LOCAL_MACHINE");
    EXPECT_FALSE(modregistry::SetValue(p, ValueKind::Text, RegistryRoot::Users,
                                       "S-1-5-21-1-2-3-4\\Control Panel\\Desktop", "X", "1"));
    EXPECT_FALSE(modregistry::SetValue(p, ValueKind::Text, RegistryRoot::LocalMachine,
                                       "NOTSYSTEM\\Control", "X", "1"));
    ExpectAllKeysClosed();
}

TEST_F(RegistryLayer, SystemDirectoryHasNoTrailingBackslash) {
    const std::string directory = modregistry::GetSystemdir(p);
    ASSERT_FALSE(directory.empty());
    EXPECT_NE(directory.back(), '\\');
    EXPECT_NE(directory.find("\\"), std::string::npos);
    EXPECT_NE(p.GetFileAttributesA(directory), platform::kInvalidFileAttributes);
    EXPECT_NE(p.GetFileAttributesA(directory) & platform::kFileAttributeDirectory, 0u);
}

} // namespace
} // namespace tarrow
