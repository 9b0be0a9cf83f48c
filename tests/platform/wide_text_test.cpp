// Wide text and the ANSI code page: the conversions, and a string value as
// the A and the wide query see it. The machine's code page is Windows-1252.
#include "platform/handles.h"
#include "platform/wide_text.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace platform;
using tarrow::testing::TestMachine;

class WideText : public ::testing::Test {
protected:
    TestMachine machine;
    Platform& p = machine.platform();

    void SetUp() override {
        if (machine.emulated() == nullptr && AnsiCodePageFromWide(p, u"\u20AC") != "\x80") {
            GTEST_SKIP() << "the ANSI code page of this prefix is not Windows-1252";
        }
    }

    UniqueKey scratch() {
        UniqueKey key(p);
        EXPECT_EQ(p.RegCreateKeyExA(kHkeyCurrentUser, machine.scratchKey(), "", 0, kKeyAllAccess,
                                    nullptr, key.put(), nullptr),
                  kErrorSuccess);
        return key;
    }
    // The value's bytes as each query hands them over into ample room.
    std::vector<std::uint8_t> readAnsi(Key key, const std::string& name) {
        std::vector<std::uint8_t> bytes(64, 0xEE);
        auto size = static_cast<std::uint32_t>(bytes.size());
        const long status = p.RegQueryValueExA(key, name, nullptr, bytes.data(), &size);
        bytes.resize(status == kErrorSuccess ? size : 0);
        return bytes;
    }
    std::vector<std::uint8_t> readWide(Key key, const std::u16string& name) {
        std::vector<std::uint8_t> bytes(64, 0xEE);
        auto size = static_cast<std::uint32_t>(bytes.size());
        const long status = p.RegQueryValueExW(key, name, nullptr, bytes.data(), &size);
        bytes.resize(status == kErrorSuccess ? size : 0);
        return bytes;
    }
};

std::vector<std::uint8_t> WideBytes(std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    for (const char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

TEST_F(WideText, ConvertsToTheCodePageAndBackAndMarksWhatItLacks) {
    const struct {
        const char* name;
        std::u16string wide;
        std::string ansi;
        bool lacking;
    } cases[] = {
        {"plain ASCII", u"5000 ms", "5000 ms", false},
        {"a Latin-1 letter", u"d\u00e9lai", "d\xe9lai", false},
        {"the euro sign, at 0x80", u"5\u20ac", "5\x80", false},
        {"a byte the code page leaves undefined", u"\u0081", "\x81", false},
        {"a question mark of its own", u"?", "?", false},
        {"a Cyrillic letter", u"\u0411", "?", true},
        {"a Chinese character", u"\u4e2d", "?", true},
        {"a mix", u"50\u00e9\u4e2d\u0411x", "50\xe9??x", true},
        {"a NUL inside", std::u16string(u"a\0\u00e9", 3), std::string("a\0\xe9", 3), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int length = static_cast<int>(c.wide.size());
        bool lacking = !c.lacking;
        EXPECT_EQ(
            p.WideCharToMultiByte(kCpAcp, 0, c.wide.data(), length, nullptr, 0, nullptr, &lacking),
            static_cast<int>(c.ansi.size()));
        std::string ansi(c.ansi.size(), '\0');
        ASSERT_EQ(p.WideCharToMultiByte(kCpAcp, 0, c.wide.data(), length, ansi.data(),
                                        static_cast<int>(ansi.size()), nullptr, &lacking),
                  static_cast<int>(c.ansi.size()));
        EXPECT_EQ(ansi, c.ansi);
        EXPECT_EQ(lacking, c.lacking);
        EXPECT_EQ(AnsiCodePageFromWide(p, c.wide), c.ansi);
        EXPECT_EQ(SurvivesAnsiCodePage(p, c.wide), !c.lacking);
        if (!c.lacking) {
            EXPECT_EQ(WideFromAnsiCodePage(p, c.ansi), c.wide) << "and back unchanged";
        }
    }
}

TEST_F(WideText, ConversionsTakeTheNulWhenToldAndRefuseTooLittleRoom) {
    char ansi[8] = {};
    EXPECT_EQ(p.WideCharToMultiByte(kCpAcp, 0, u"ab", -1, ansi, sizeof ansi, nullptr, nullptr), 3)
        << "a length of -1 converts the NUL too";
    EXPECT_EQ(std::string(ansi, 3), std::string("ab\0", 3));
    const char dash = '-';
    bool lacking = false;
    ASSERT_EQ(p.WideCharToMultiByte(kCpAcp, 0, u"\u4e2d", 1, ansi, 1, &dash, &lacking), 1);
    EXPECT_EQ(ansi[0], '-') << "the default character given";
    EXPECT_TRUE(lacking);

    p.SetLastError(0);
    EXPECT_EQ(p.WideCharToMultiByte(kCpAcp, 0, u"abc", 3, ansi, 2, nullptr, nullptr), 0);
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorInsufficientBuffer));
    char16_t wide[8] = {};
    p.SetLastError(0);
    EXPECT_EQ(p.MultiByteToWideChar(kCpAcp, 0, "abc", 3, wide, 2), 0);
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorInsufficientBuffer));
    EXPECT_EQ(p.MultiByteToWideChar(kCpAcp, 0, "\x80\xe9", -1, wide, 8), 3);
    EXPECT_EQ(std::u16string(wide, 3), std::u16string(u"\u20ac\u00e9\0", 3));
    EXPECT_EQ(WideFromAnsiCodePage(p, ""), u"") << "empty text needs no call";
}

// A string written through the code page is kept as wide text: the wide
// query hands over its characters as stored, with nothing added.
TEST_F(WideText, AStringWrittenInTheCodePageReadsWideAsItsCharacters) {
    UniqueKey key = scratch();
    const std::string text("d\xe9lai \x80\0", 8);
    ASSERT_EQ(p.RegSetValueExA(key.get(), "Written", kRegSz,
                               reinterpret_cast<const std::uint8_t*>(text.data()),
                               static_cast<std::uint32_t>(text.size())),
              kErrorSuccess);
    const auto expected = WideBytes(std::u16string(u"d\u00e9lai \u20ac\0", 8));
    std::uint32_t kind = 0;
    std::uint32_t size = 0;
    ASSERT_EQ(p.RegQueryValueExW(key.get(), u"WRITTEN", &kind, nullptr, &size), kErrorSuccess);
    EXPECT_EQ(kind, kRegSz);
    EXPECT_EQ(size, expected.size());
    EXPECT_EQ(readWide(key.get(), u"written"), expected);
    EXPECT_EQ(readAnsi(key.get(), "Written"), std::vector<std::uint8_t>(text.begin(), text.end()))
        << "and the A query as written";
    EXPECT_EQ(p.RegQueryValueExW(key.get(), u"absent", &kind, nullptr, &size), kErrorFileNotFound);
}

// What a program that writes wide text leaves, the A query sees through the
// code page, and the wide query as it is.
TEST_F(WideText, AWideStringReadsThroughTheCodePageWithWhatItLacksAsQuestionMarks) {
    const std::u16string stored(u"\u0411\u4e2d-\u00e9\0", 5);
    ASSERT_TRUE(
        machine.setWideValue(kHkeyCurrentUser, machine.scratchKey(), "Wide", kRegSz, stored));
    UniqueKey key = scratch();
    std::uint32_t size = 0;
    ASSERT_EQ(p.RegQueryValueExA(key.get(), "Wide", nullptr, nullptr, &size), kErrorSuccess);
    EXPECT_GE(size, 5u) << "at least the converted text with its NUL";
    EXPECT_EQ(readAnsi(key.get(), "Wide"), std::vector<std::uint8_t>({'?', '?', '-', 0xE9, 0}));
    EXPECT_EQ(readWide(key.get(), u"Wide"), WideBytes(stored));
}

} // namespace
