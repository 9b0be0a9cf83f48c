// The table of time-out places: both walking orders and how they relate, and
// the same walk through a real registry.
#include "shutdown/timeout_places.h"

#include "registry/modregistry.h"
#include "shutdown/saved_settings.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

namespace tarrow {
namespace {

using tarrow::testing::TestMachine;

std::set<std::pair<int, Timeout>> PairsOf(const auto& order) {
    std::set<std::pair<int, Timeout>> pairs;
    for (const auto& pair : order) {
        pairs.insert({pair.place->index, pair.timeout});
    }
    return pairs;
}

TEST(TimeoutPlaces, BothOrdersWalkTheSame26PairsOnce) {
    EXPECT_EQ(PairsOf(ReadingOrder()).size(), 26u);
    EXPECT_EQ(PairsOf(ReadingOrder()), PairsOf(WritingOrder()));
    for (const auto& pair : WritingOrder()) {
        if (pair.place->keyPath.find("ControlSet00") != std::string_view::npos) {
            EXPECT_EQ(pair.timeout, Timeout::WaitToKillService);
        }
    }
}

TEST(TimeoutPlaces, TheEightPlacesAreTheseKeys) {
    struct Expected {
        RegistryRoot root;
        const char* keyPath;
        bool serviceOnly;
    };
    const Expected expected[] = {
        {RegistryRoot::CurrentUser, "Control Panel\\Desktop", false},
        {RegistryRoot::LocalMachine, "SYSTEM\\ControlSet001\\Control", true},
        {RegistryRoot::LocalMachine, "SYSTEM\\ControlSet002\\Control", true},
        {RegistryRoot::Users, ".DEFAULT\\Control Panel\\Desktop", false},
        {RegistryRoot::Users, "S-1-5-19\\Control Panel\\Desktop", false},
        {RegistryRoot::Users, "S-1-5-20\\Control Panel\\Desktop", false},
        {RegistryRoot::Users, "S-1-5-21-299502267-362288127-839522115-1003\\Control Panel\\Desktop",
         false},
        {RegistryRoot::Users, "S-1-5-18\\Control Panel\\Desktop", false},
    };
    ASSERT_EQ(kTimeoutPlaces.size(), std::size(expected));
    for (std::size_t i = 0; i < kTimeoutPlaces.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(kTimeoutPlaces[i].index, static_cast<int>(i));
        EXPECT_EQ(kTimeoutPlaces[i].root, expected[i].root);
        EXPECT_EQ(kTimeoutPlaces[i].keyPath, expected[i].keyPath);
        EXPECT_EQ(kTimeoutPlaces[i].serviceTimeoutOnly, expected[i].serviceOnly);
    }
    EXPECT_EQ(static_cast<std::uint32_t>(RegistryRoot::CurrentUser), 0x80000001u);
    EXPECT_EQ(static_cast<std::uint32_t>(RegistryRoot::LocalMachine), 0x80000002u);
    EXPECT_EQ(static_cast<std::uint32_t>(RegistryRoot::Users), 0x80000003u);
}

TEST(TimeoutPlaces, ReadingOrderIsPlaceByPlaceWithServiceLast) {
    const std::string four = "HungAppTimeout PowerOffTimeOut WaitToKillAppTimeout ";
    std::string expected;
    for (char place : std::string("01234567")) {
        if (place == '1' || place == '2') {
            expected += place + std::string("WaitToKillServiceTimeout\n");
            continue;
        }
        for (std::size_t at = 0, next; (next = four.find(' ', at)) != std::string::npos;
             at = next + 1) {
            expected += place + four.substr(at, next - at) + "\n";
        }
        expected += place + std::string(place == '6' ? "WaitToKillserviceTimeout\n"
                                                     : "WaitToKillServiceTimeout\n");
    }
    std::string walk;
    for (const auto& pair : ReadingOrder()) {
        walk += static_cast<char>('0' + pair.place->index);
        walk.append(pair.valueName);
        walk += '\n';
        EXPECT_EQ(pair.valueName.size(), TimeoutName(pair.timeout).size());
    }
    EXPECT_EQ(walk, expected);
}

TEST(TimeoutPlaces, MarkersSoundKeyAndTextsAreSpelledExactly) {
    EXPECT_EQ(kChangeMarker.keyPath, "Consol");
    EXPECT_EQ(kChangeMarker.valueName, "Change");
    EXPECT_EQ(kSavedMarker.keyPath, "Control Panel\\Desktop");
    EXPECT_EQ(kSavedMarker.valueName, "Beforce");
    EXPECT_EQ(kMarkerSetText, "1");
    EXPECT_EQ(kMarkerClearText, "0");
    EXPECT_EQ(kShutdownSoundKey, "AppEvents\\Schemes\\Apps\\.Default\\SystemExit\\.Current");
    EXPECT_EQ(kPowerfulTimeoutText, "0");
    EXPECT_EQ(kFastTimeoutText, "10");
    EXPECT_EQ(kSavedValuesFile, "informationS.dat");
    EXPECT_EQ(kSavedSoundFile, "Importreg.dat");
}

TEST(TimeoutPlaces, WritingOrderSwapsPlacesOneAndTwoAndTheLastTwoNames) {
    const auto& groups = WriteGroups();
    const int expectedPlaces[] = {0, 2, 1, 3, 4, 5, 6, 7};
    for (std::size_t g = 0; g < groups.size(); ++g) {
        EXPECT_EQ(groups[g].place->index, expectedPlaces[g]);
        EXPECT_EQ(groups[g].pairs.size(), groups[g].place->serviceTimeoutOnly ? 1u : 4u);
        for (const auto& pair : groups[g].pairs) {
            EXPECT_EQ(pair.place, groups[g].place);
        }
        if (groups[g].pairs.size() == 4) {
            EXPECT_EQ(groups[g].pairs[2].timeout, Timeout::WaitToKillService);
            EXPECT_EQ(groups[g].pairs[3].timeout, Timeout::WaitToKillApp);
        }
    }
    // Positions 3 to 6 (1-based) differ between the orders, as do the third
    // and fourth pair of every later four-value place.
    std::set<std::size_t> differing;
    for (std::size_t k = 0; k < 26; ++k) {
        if (ReadingOrder()[k].place != WritingOrder()[k].place ||
            ReadingOrder()[k].timeout != WritingOrder()[k].timeout) {
            differing.insert(k + 1);
        }
    }
    EXPECT_EQ(differing,
              (std::set<std::size_t>{3, 4, 5, 6, 9, 10, 13, 14, 17, 18, 21, 22, 25, 26}));
}

TEST(TimeoutPlaces, EveryWrittenPairKnowsItsSavedEntry) {
    for (const auto& pair : WritingOrder()) {
        const ReadPair& read = ReadingOrder()[pair.entry];
        EXPECT_EQ(read.place, pair.place);
        EXPECT_EQ(read.timeout, pair.timeout);
    }
    EXPECT_EQ(WritingOrder()[2].entry, 3u); // place 0 service time-out: line 4
    EXPECT_EQ(WritingOrder()[3].entry, 2u); // place 0 application time-out: line 3
    EXPECT_EQ(WritingOrder()[4].entry, 5u); // place 2: line 6
    EXPECT_EQ(WritingOrder()[5].entry, 4u); // place 1: line 5
}

TEST(TimeoutPlaces, TheSixthProfileIsReadWithItsOwnSpellingAndDefaults) {
    int defaultsWithSpace = 0;
    for (const auto& pair : ReadingOrder()) {
        const bool oddPlace = pair.place->index == 6;
        if (pair.timeout == Timeout::WaitToKillService) {
            EXPECT_EQ(pair.valueName,
                      oddPlace ? "WaitToKillserviceTimeout" : "WaitToKillServiceTimeout");
        }
        if (pair.saveDefault == "NO ") {
            ++defaultsWithSpace;
            EXPECT_TRUE(oddPlace && pair.timeout == Timeout::PowerOff);
        } else {
            EXPECT_EQ(pair.saveDefault, "NO");
        }
    }
    EXPECT_EQ(defaultsWithSpace, 1);
    for (const auto& pair : WritingOrder()) {
        EXPECT_EQ(pair.valueName, TimeoutName(pair.timeout)) << "writes use the proper spelling";
    }
}

TEST(TimeoutPlaces, AMarkerIsSetOnlyWhenItReadsAsTheNumberOne) {
    for (const char* set : {"1", " 1", "1\r\n", "1  ", "1.0"}) {
        EXPECT_TRUE(MarkerIsSet(set)) << '"' << set << '"';
    }
    for (const char* notSet : {"0", "2", "yes", "", "   ", "1x", "11", "-1"}) {
        EXPECT_FALSE(MarkerIsSet(notSet)) << '"' << notSet << '"';
    }
}

TEST(TimeoutPlaces, WritesInWritingOrderReadBackInReadingOrder) {
    // Every place the machine lets us write gets its own text per pair; the
    // reads then find each pair's own text, case-insensitive name included.
    TestMachine machine;
    if (machine.emulated() == nullptr) {
        GTEST_SKIP() << "writes the machine's own shutdown time-outs: emulated machine only";
    }
    auto& p = machine.platform();
    for (const auto& pair : WritingOrder()) {
        modregistry::SetValue(p, ValueKind::Text, pair.place->root,
                              std::string(pair.place->keyPath), std::string(pair.valueName),
                              "v" + std::to_string(pair.entry));
    }
    std::size_t readBack = 0;
    for (std::size_t k = 0; k < ReadingOrder().size(); ++k) {
        const auto& pair = ReadingOrder()[k];
        const std::string value =
            modregistry::GetValue(p, pair.place->root, std::string(pair.place->keyPath),
                                  std::string(pair.valueName), std::string(pair.saveDefault));
        if (value != std::string(pair.saveDefault)) {
            EXPECT_EQ(value, "v" + std::to_string(k));
            ++readBack;
        }
    }
    EXPECT_GE(readBack, 10u) << "at least the user's own places and .DEFAULT are writable";
}

} // namespace
} // namespace tarrow
