// Strings whose wide text the ANSI code page may not carry: what the stored
// read reports of them, and a saved key that keeps them as they are.
#include "registry/modregistry.h"

#include "platform/handles.h"
#include "platform/wide_text.h"
#include "tests/registry/registry_test_helpers.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarrow {
namespace {

using namespace tarrow::testing;
using Found = modregistry::StoredValue::Found;

constexpr auto HKCU = RegistryRoot::CurrentUser;

class WideValues : public ::testing::Test {
protected:
    TestMachine machine;
    platform::Platform& p = machine.platform();
    const std::string key = machine.scratchKey();

    void SetUp() override {
        if (machine.emulated() == nullptr &&
            platform::AnsiCodePageFromWide(p, u"\u20AC") != "\x80") {
            GTEST_SKIP() << "the ANSI code page of this prefix is not Windows-1252";
        }
    }
    bool setWide(const std::string& name, std::uint32_t kind, const std::u16string& text) {
        return machine.setWideValue(platform::kHkeyCurrentUser, key, name, kind, text);
    }
    // The value's bytes as the wide query hands them over.
    std::vector<std::uint8_t> readWide(const std::u16string& name) {
        platform::UniqueKey open(p);
        std::vector<std::uint8_t> bytes(64, 0);
        auto size = static_cast<std::uint32_t>(bytes.size());
        if (p.RegOpenKeyExA(platform::kHkeyCurrentUser, key, 0, platform::kKeyRead, open.put()) !=
                platform::kErrorSuccess ||
            p.RegQueryValueExW(open.get(), name, nullptr, bytes.data(), &size) !=
                platform::kErrorSuccess) {
            return {};
        }
        bytes.resize(size);
        return bytes;
    }
};

std::u16string WithNul(std::u16string text) {
    text += u'\0';
    return text;
}

TEST_F(WideValues, TheStoredReadTellsWhetherTheCodePageCarriesAString) {
    const struct {
        const char* name;
        std::uint32_t kind;
        std::u16string text;
        std::string read; // as the A read hands it over, NUL included
        bool lost;
    } cases[] = {
        {"plain ASCII", platform::kRegSz, u"5000", std::string("5000\0", 5), false},
        {"a Latin-1 letter", platform::kRegSz, u"d\u00e9lai", std::string("d\xe9lai\0", 6), false},
        {"the euro sign", platform::kRegSz, u"5\u20ac", std::string("5\x80\0", 3), false},
        {"a question mark of its own", platform::kRegSz, u"?", std::string("?\0", 2), false},
        {"a Cyrillic letter", platform::kRegSz, u"\u0411", std::string("?\0", 2), true},
        {"a Chinese character", platform::kRegSz, u"\u4e2d", std::string("?\0", 2), true},
        {"a mix", platform::kRegSz, u"5\u00e9\u4e2d", std::string("5\xe9?\0", 4), true},
        {"empty", platform::kRegSz, u"", std::string("\0", 1), false},
        // Only a REG_SZ is ever carried, so only a REG_SZ is looked at.
        {"an expandable string", platform::kRegExpandSz, u"\u0411", std::string("?\0", 2), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(setWide("Value", c.kind, WithNul(c.text)));
        const auto stored = modregistry::ReadStoredValue(p, HKCU, key, "Value");
        EXPECT_EQ(stored.found, Found::Value);
        EXPECT_EQ(stored.kind, c.kind);
        EXPECT_EQ(stored.bytes, Bytes(c.read));
        EXPECT_EQ(stored.lostInCodePage, c.lost);
        EXPECT_EQ(machine.openKeyCount().value_or(0), 0u);
    }
    EXPECT_FALSE(modregistry::ReadStoredValue(p, HKCU, key, "Absent").lostInCodePage);
}

TEST_F(WideValues, ARestoredKeyKeepsItsWideTextAsItWas) {
    const std::u16string text = WithNul(u"\u0411\u4e2d \u00e9");
    ASSERT_TRUE(setWide("Wide", platform::kRegSz, text));
    const auto before = readWide(u"Wide");
    ASSERT_EQ(before.size(), text.size() * 2);
    const std::string hive = machine.scratchFolder() + "\\wide.hiv";
    ASSERT_TRUE(modregistry::SaveKey(p, HKCU, key, hive));
    ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, HKCU, key, "Wide", "x"));
    TARROW_SKIP_ON_WINE(machine, "RegRestoreKeyA reports success without restoring anything");
    ASSERT_TRUE(modregistry::RestoreKey(p, HKCU, key, hive));
    EXPECT_EQ(readWide(u"Wide"), before) << "byte for byte";
    EXPECT_TRUE(modregistry::ReadStoredValue(p, HKCU, key, "Wide").lostInCodePage);
}

} // namespace
} // namespace tarrow
