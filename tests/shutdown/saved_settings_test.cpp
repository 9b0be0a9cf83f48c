// The saved-settings text: its exact bytes and reading it back.
#include "shutdown/saved_settings.h"

#include <gtest/gtest.h>

namespace tarrow {
namespace {

std::array<std::string, kTimeoutPairCount> Numbered() {
    std::array<std::string, kTimeoutPairCount> values;
    for (std::size_t k = 0; k < values.size(); ++k) {
        values[k] = std::to_string(1000 + k);
    }
    return values;
}

TEST(SavedSettingsText, HasTwentySixLabelledLinesAndAnEmptyLastLine) {
    auto values = Numbered();
    values[18] = "NO"; // place 6 does not exist on this machine
    values[19] = "NO ";
    values[20] = "NO";
    values[21] = "NO";
    values[7] = ""; // key present, value absent
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
    values[0] = "";
    values[1] = "NO ";
    values[2] = "a b  c";
    values[25] = " lead";
    const SavedEntries entries = ParseSavedEntries(ComposeSavedText(values));
    EXPECT_EQ(entries.found, 26u);
    EXPECT_EQ(entries.values, values);
}

TEST(SavedSettingsText, OnlyTheFirstSpaceOfALineSeparates) {
    const SavedEntries entries = ParseSavedEntries("0: 10 20\r\n0:x y\r\n");
    EXPECT_EQ(entries.found, 2u);
    EXPECT_EQ(entries.values[0], "10 20");
    EXPECT_EQ(entries.values[1], "y");
}

TEST(SavedSettingsText, TextAfterTheTwentySixthEntryIsIgnored) {
    const std::string text = ComposeSavedText(Numbered()) + "9: extra\r\n9: more\r\n";
    const SavedEntries entries = ParseSavedEntries(text);
    EXPECT_EQ(entries.found, 26u);
    EXPECT_EQ(entries.values[25], "1025");
}

TEST(SavedSettingsText, AShortOrMissingFileReportsHowManyEntriesItHeld) {
    EXPECT_EQ(ParseSavedEntries("").found, 0u);
    EXPECT_EQ(ParseSavedEntries("garbage without separators").found, 0u);

    const SavedEntries three = ParseSavedEntries("0: 1\r\n0: 2\r\n0: 3\r\n0: 4");
    EXPECT_EQ(three.found, 3u) << "the fourth line has no line end";
    EXPECT_EQ(three.values[2], "3");
    EXPECT_EQ(three.values[3], "");

    const SavedEntries unixLines = ParseSavedEntries("0: 1\n0: 2\n");
    EXPECT_EQ(unixLines.found, 0u) << "lines must end in CR LF";
}

} // namespace
} // namespace tarrow
