// The saved-settings text: its exact bytes, reading it back, refusing a
// damaged one, and which values it can carry at all.
#include "shutdown/saved_settings.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tarrow {
namespace {

using shutdown::SavedValue;

SavedValues Numbered() {
    SavedValues values;
    for (std::size_t k = 0; k < values.size(); ++k) {
        values[k] = SavedValue::Exact(std::to_string(1000 + k));
    }
    return values;
}

TEST(SavedSettingsText, HasTwentySixLabelledLinesAndAnEmptyLastLine) {
    auto values = Numbered();
    for (std::size_t k = 18; k < 22; ++k) {
        values[k] = SavedValue::LeftAlone(); // place 6 does not exist on this machine
    }
    values[7] = SavedValue::Absent(); // key present, value absent
    const std::string text = ComposeSavedText(values);

    EXPECT_EQ(text.substr(0, 24), "0: 1000\r\n0: 1001\r\n0: 100");
    EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
    EXPECT_NE(text.find("\r\n3: \r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n6: NO\r\n6: NO \r\n6: NO\r\n6: NO\r\n7: 1022\r\n"), std::string::npos);
    std::size_t lines = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", at + 2)) {
        ++lines;
    }
    EXPECT_EQ(lines, 27u);
    EXPECT_EQ(text.size(), 26 * 5 /*labels, separators, ends*/ + 21 * 4 + 3 + 3 * 2 + 2);
}

TEST(SavedSettingsText, ReadsBackWhatWasWrittenWithSpacesAndEmptiesKept) {
    auto values = Numbered();
    values[0] = SavedValue::Absent();
    values[1] = SavedValue::LeftAlone();
    values[2] = SavedValue::Exact("a b  c");
    values[25] = SavedValue::Exact(" lead");
    const std::string text = ComposeSavedText(values);
    EXPECT_EQ(ParseSavedText(text), values);
    // What follows the 26th entry is not read.
    EXPECT_EQ(ParseSavedText(text + "9: extra\r\nrandom \x01 bytes"), values);
}

// Files written by earlier versions carry the same lines.
TEST(SavedSettingsText, AnEarlierVersionsFileReadsAsItWasMeant) {
    std::string text;
    for (const ReadPair& pair : ReadingOrder()) {
        text += SavedLine(pair.place->index, pair.place->index == 6 ? pair.saveDefault : "10 20");
    }
    const auto values = ParseSavedText(text);
    ASSERT_TRUE(values.has_value()) << "the empty last line is not needed";
    EXPECT_EQ((*values)[0], SavedValue::Exact("10 20")) << "only the first space separates";
    EXPECT_EQ((*values)[19], SavedValue::LeftAlone()) << "\"NO \" on line 20";
    EXPECT_EQ((*values)[18], SavedValue::LeftAlone());
}

TEST(SavedSettingsText, ADamagedFileIsRefusedWhole) {
    const std::string good = ComposeSavedText(Numbered());
    std::string wrongLabel = good;
    wrongLabel[good.find("\r\n1: ") + 2] = '2';
    std::string loneLf = good;
    loneLf.erase(loneLf.find("\r\n3: "), 1);
    std::string crInside = good;
    crInside.insert(crInside.find("\r\n0: 1002"), "\r");
    std::string nulInside = good;
    nulInside[good.find("1003")] = '\0';
    std::string noSpace = good;
    noSpace.erase(noSpace.find("0: 1001") + 2, 1);
    const struct {
        const char* name;
        std::string text;
    } damaged[] = {
        {"empty", ""},
        {"lone LF line ends", "0: 1\n0: 2\n"},
        {"a lone LF in one line", loneLf},
        {"a CR inside a value", crInside},
        {"a NUL inside a value", nulInside},
        {"a label of another place", wrongLabel},
        {"no space after the colon", noSpace},
        {"25 entries", good.substr(0, good.rfind("7: "))},
        {"the last line end cut off", good.substr(0, good.size() - 4)},
        {"random bytes", std::string("\x8f\x00\x13\xff{0: ]\r\n", 11)},
    };
    for (const auto& d : damaged) {
        EXPECT_FALSE(ParseSavedText(d.text).has_value()) << d.name;
    }
}

// What the save-time read records for a value as stored: only what the
// saved line gives back exactly may be changed at all.
TEST(SavedValueOf, CarriesPlainTextsAndNumbersAndLeavesEverythingElseAlone) {
    using Found = modregistry::StoredValue::Found;
    const auto stored = [](std::uint32_t kind, const std::string& bytes) {
        return modregistry::StoredValue{Found::Value, kind,
                                        std::vector<std::uint8_t>(bytes.begin(), bytes.end())};
    };
    const std::string fiveThousand("\x88\x13\x00\x00", 4);
    const std::string minusOne("\xff\xff\xff\xff", 4);
    const struct {
        const char* name;
        modregistry::StoredValue value;
        SavedValue saved;
    } cases[] = {
        {"a string", stored(platform::kRegSz, std::string("5000\0", 5)), SavedValue::Exact("5000")},
        {"a string stored without NUL", stored(platform::kRegSz, "5 0"), SavedValue::Exact("5 0")},
        {"1,000 characters", stored(platform::kRegSz, std::string(1000, 'x')),
         SavedValue::Exact(std::string(1000, 'x'))},
        {"a number", stored(platform::kRegDword, fiveThousand), SavedValue::Exact("5000")},
        {"a number with every bit set", stored(platform::kRegDword, minusOne),
         SavedValue::Exact("-1")},
        {"absent", {Found::Absent, 0, {}}, SavedValue::Absent()},
        {"a key that did not open", {Found::NoKey, 0, {}}, SavedValue::LeftAlone()},
        {"a value that could not be read", {Found::Unreadable, 0, {}}, SavedValue::LeftAlone()},
        {"1,001 characters", stored(platform::kRegSz, std::string(1001, 'x')),
         SavedValue::LeftAlone()},
        {"an empty string", stored(platform::kRegSz, std::string("\0", 1)),
         SavedValue::LeftAlone()},
        {"a string of no bytes", stored(platform::kRegSz, ""), SavedValue::LeftAlone()},
        {"a CR", stored(platform::kRegSz, "5\r"), SavedValue::LeftAlone()},
        {"a line break and another line", stored(platform::kRegSz, "5\r\n0: 99999999"),
         SavedValue::LeftAlone()},
        {"a NUL before the end", stored(platform::kRegSz, std::string("5\0x", 3)),
         SavedValue::LeftAlone()},
        {"the text NO", stored(platform::kRegSz, "NO"), SavedValue::LeftAlone()},
        {"the text NO with a space", stored(platform::kRegSz, "NO "), SavedValue::LeftAlone()},
        {"an expandable string", stored(platform::kRegExpandSz, std::string("10\0", 3)),
         SavedValue::LeftAlone()},
        {"several strings", stored(platform::kRegMultiSz, std::string("10\0\0", 4)),
         SavedValue::LeftAlone()},
        {"binary data", stored(platform::kRegBinary, "10"), SavedValue::LeftAlone()},
        {"a 64-bit number", stored(platform::kRegQword, std::string(8, '\0')),
         SavedValue::LeftAlone()},
        {"a number of two bytes", stored(platform::kRegDword, "10"), SavedValue::LeftAlone()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shutdown::SavedValueOf(c.value), c.saved) << c.name;
    }
}

// A text whose wide form holds a character the code page lacks reads with
// "?" in its place: saved, the restore would write the "?" over the user's
// own text. Nor is such a text ever Tarrow's own, however it reads.
TEST(SavedValueOf, LeavesAloneATextThatTheCodePageCannotCarry) {
    using Found = modregistry::StoredValue::Found;
    const auto stored = [](const std::string& bytes, bool lost) {
        modregistry::StoredValue value{Found::Value, platform::kRegSz,
                                       std::vector<std::uint8_t>(bytes.begin(), bytes.end())};
        value.lostInCodePage = lost;
        return value;
    };
    const struct {
        const char* name;
        modregistry::StoredValue value;
        SavedValue saved;
        bool tarrows;
    } cases[] = {
        {"carried", stored(std::string("5\xe9\0", 3), false), SavedValue::Exact("5\xe9"), false},
        {"lost", stored(std::string("5?\0", 3), true), SavedValue::LeftAlone(), false},
        {"Tarrow's 0", stored(std::string("0\0", 2), false), SavedValue::Exact("0"), true},
        {"a 0 of another script", stored(std::string("0\0", 2), true), SavedValue::LeftAlone(),
         false},
        {"Tarrow's 10", stored("10", false), SavedValue::Exact("10"), true},
        {"a 10 of another script", stored("10", true), SavedValue::LeftAlone(), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shutdown::SavedValueOf(c.value), c.saved) << c.name;
        EXPECT_EQ(shutdown::HoldsTarrowText(c.value), c.tarrows) << c.name;
    }
}

} // namespace
} // namespace tarrow
