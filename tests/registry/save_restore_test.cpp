// Saving a key to a hive file and loading it back.
#include "registry/modregistry.h"

#include "platform/files.h"
#include "tests/registry/registry_test_helpers.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

namespace tarrow {
namespace {

using namespace tarrow::testing;

constexpr auto HKCU = RegistryRoot::CurrentUser;
constexpr const char* kWineRestore = "RegRestoreKeyA reports success without restoring anything";

class SaveRestore : public ::testing::Test {
protected:
    TestMachine machine;
    platform::Platform& p = machine.platform();
    const std::string key = machine.scratchKey() + "\\Sound";
    const std::string hive = machine.scratchFolder() + "\\Importreg.dat";

    void SetUp() override {
        ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "", "C:\\exit.wav"));
        ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "Volume", "7"));
        ASSERT_TRUE(WriteRaw(p, HKCU, key + "\\Sub", "Raw", platform::kRegBinary, {1, 2, 3, 4, 5}));
    }
    std::string Get(const std::string& path, const std::string& name) {
        return modregistry::GetValue(p, HKCU, path, name, "<no key>");
    }
    void ExpectNothingLeftOpen() {
        EXPECT_EQ(machine.openKeyCount().value_or(0), 0u);
        EXPECT_EQ(machine.openHandleCount().value_or(0), 0u);
    }
};

TEST_F(SaveRestore, RestoreBringsBackValuesAndSubkeysAndDropsNewOnes) {
    ASSERT_TRUE(modregistry::SaveKey(p, HKCU, key, hive));
    EXPECT_TRUE(platform::EntryExists(p, hive, 0));

    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "", ""));
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "Added", "x"));
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key + "\\Sub", "Raw", "changed"));
    TARROW_SKIP_ON_WINE(machine, kWineRestore);

    ASSERT_TRUE(modregistry::RestoreKey(p, HKCU, key, hive));
    EXPECT_EQ(Get(key, ""), "C:\\exit.wav");
    EXPECT_EQ(Get(key, "Volume"), "7");
    EXPECT_EQ(Get(key, "Added"), "");
    const RawValue raw = ReadRaw(p, HKCU, key + "\\Sub", "Raw");
    EXPECT_EQ(raw.kind, platform::kRegBinary);
    EXPECT_EQ(raw.bytes, (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
    ExpectNothingLeftOpen();
}

TEST_F(SaveRestore, SaveReplacesAPlainFileButNotAHiddenOrReadOnlyOne) {
    ASSERT_TRUE(platform::WriteWholeFile(p, hive, "old content"));
    EXPECT_TRUE(modregistry::SaveKey(p, HKCU, key, hive));
    EXPECT_NE(platform::ReadWholeFile(p, hive).value_or(""), "old content");
    TARROW_SKIP_ON_WINE(machine, "RegSaveKeyA replaces an existing read-only file");

    for (const auto attribute :
         {platform::kFileAttributeHidden, platform::kFileAttributeReadOnly}) {
        SCOPED_TRACE(attribute);
        const std::string guarded = machine.scratchFolder() + "\\guarded.dat";
        ASSERT_TRUE(platform::WriteWholeFile(p, guarded, "keep me"));
        ASSERT_TRUE(p.SetFileAttributesA(guarded, attribute));
        EXPECT_FALSE(modregistry::SaveKey(p, HKCU, key, guarded));
        p.SetFileAttributesA(guarded, platform::kFileAttributeNormal);
        EXPECT_EQ(platform::ReadWholeFile(p, guarded).value_or(""), "keep me");
        ASSERT_TRUE(p.DeleteFileA(guarded));
    }
    ExpectNothingLeftOpen();
}

TEST_F(SaveRestore, MissingKeyOrFolderMakesTheSaveFail) {
    EXPECT_FALSE(modregistry::SaveKey(p, HKCU, key + "\\Absent", hive));
    EXPECT_FALSE(platform::EntryExists(p, hive, 0));
    EXPECT_FALSE(modregistry::SaveKey(p, HKCU, key, machine.scratchFolder() + "\\no\\such.dat"));
    ExpectNothingLeftOpen();
}

} // namespace
} // namespace tarrow
