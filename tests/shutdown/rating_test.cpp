// Rating the current settings on the emulated machine: the report, the
// total, the rating it picks, and the file that comes and goes.
#include "shutdown/rating.h"

#include "tests/shutdown/shutdown_machine.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tarrow::shutdown {
namespace {

using testing::ShutdownMachine;

TEST(Rating, TheThresholdsMeetWithoutGaps) {
    struct Case {
        double total;
        Rating rating;
    };
    const Case cases[] = {
        {-20, Rating::Star},    {0, Rating::Star},        {10, Rating::Star},
        {10.5, Rating::Fast},   {1000, Rating::Fast},     {1000.01, Rating::Normal},
        {1001, Rating::Normal}, {5000, Rating::Normal},   {5000.5, Rating::Slow},
        {5001, Rating::Slow},   {INFINITY, Rating::Slow},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RatingOf(c.total), c.rating) << c.total;
    }
}

TEST(Rating, AddsUpEveryValueThatExistsAndCountsTheRestAsZero) {
    struct Case {
        const char* name;
        const char* everyValue; // nullptr: the values are absent
        double total;
        Rating rating;
    };
    // A fresh machine lets ten pairs be written (the user's own and the
    // default profile, and the two control sets); with every place made, 26.
    const Case cases[] = {
        {"absent values", nullptr, 0, Rating::Star},
        {"all zero", "0", 0, Rating::Star},
        {"all ten", "10", 100, Rating::Fast},
        {"spaced thousands", "2 000", 20000, Rating::Slow},
        {"five hundred", "500", 5000, Rating::Normal},
    };
    for (const bool allPlaces : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (allPlaces ? ", every place" : ", fresh machine"));
            ShutdownMachine m;
            if (allPlaces) {
                m.CreateAllPlaces();
            }
            if (c.everyValue != nullptr) {
                for (const auto& pair : WritingOrder()) {
                    modregistry::SetValue(m.p, ValueKind::Text, pair.place->root,
                                          std::string(pair.place->keyPath),
                                          std::string(pair.valueName), c.everyValue);
                }
            }
            const RatingReport report = RateCurrentSettings(m.p, m.programFolder, m.bar);
            const double scale = allPlaces ? 2.6 : 1.0;
            EXPECT_DOUBLE_EQ(report.total, c.total * scale);
            EXPECT_EQ(report.rating, RatingOf(c.total * scale));
            if (!allPlaces) {
                EXPECT_EQ(report.rating, c.rating);
            }
            EXPECT_TRUE(report.fromFile);
            EXPECT_FALSE(m.Exists(m.programFolder + "\\information.dat"));
        }
    }
}

TEST(Rating, ReportsEachPairOnItsOwnLineWithNoForMissingKeys) {
    ShutdownMachine m;
    modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::CurrentUser, "Control Panel\\Desktop",
                          "HungAppTimeout", "20 000");
    m.emulated.createKey(platform::kHkeyUsers,
                         "S-1-5-21-299502267-362288127-839522115-1003\\Control Panel\\Desktop");
    modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::Users,
                          "S-1-5-21-299502267-362288127-839522115-1003\\Control Panel\\Desktop",
                          "WaitToKillServiceTimeout", "7");
    // A stale report from an interrupted run is overwritten, then deleted.
    ASSERT_TRUE(
        platform::WriteWholeFile(m.p, m.programFolder + "\\information.dat", "0: 9999\r\n"));

    const RatingReport report = RateCurrentSettings(m.p, m.programFolder, m.bar);

    EXPECT_EQ(report.reportText.substr(0, 36), "0: 20 000\r\n0: \r\n0: \r\n0: \r\n1: NO\r\n2: ");
    EXPECT_NE(report.reportText.find("\r\n6: \r\n6: \r\n6: \r\n6: 7\r\n7: NO\r\n"),
              std::string::npos)
        << "place 6's service time-out is read under its small-s name";
    EXPECT_EQ(report.reportText.size(), 26u * 5 + 6 + 1 + 14 * 2);
    EXPECT_DOUBLE_EQ(report.total, 20007);
    EXPECT_EQ(report.rating, Rating::Slow);
    EXPECT_FALSE(m.Exists(m.programFolder + "\\information.dat"));
}

TEST(Rating, CountsFromMemoryWhenTheFileCannotBeWrittenOrReadBack) {
    for (const bool failWrite : {true, false}) {
        ShutdownMachine m;
        modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::CurrentUser,
                              "Control Panel\\Desktop", "HungAppTimeout", "1200");
        const std::string file = m.programFolder + "\\information.dat";
        if (failWrite) {
            m.emulated.failCreate(file);
        } else {
            m.emulated.failReadsFrom(file, 5);
        }
        const RatingReport report = RateCurrentSettings(m.p, m.programFolder, m.bar);
        EXPECT_FALSE(report.fromFile);
        EXPECT_DOUBLE_EQ(report.total, 1200);
        EXPECT_EQ(report.rating, Rating::Normal);
        EXPECT_FALSE(m.bar.visible());
        EXPECT_EQ(m.emulated.openHandleCount(), 0u);
    }
}

TEST(Rating, PacesTheBarToAHundredAndStopsPausingThere) {
    ShutdownMachine m;
    const RatingReport report = RateCurrentSettings(m.p, m.programFolder, m.bar);
    EXPECT_EQ(report.rating, Rating::Star);
    // 80 steps while reading, then 20 of the 26 parse rounds until the bar
    // is full; the last six run without a pause.
    EXPECT_EQ(m.bar.max(), 100.0f);
    EXPECT_EQ(m.bar.highest(), 100.0f);
    EXPECT_EQ(m.bar.pauses(), 100);
    EXPECT_EQ(m.bar.pausedRounds(), 100ull * kPause);
    EXPECT_FALSE(m.bar.visible());
    EXPECT_EQ(m.bar.value(), 0.0f);
}

} // namespace
} // namespace tarrow::shutdown
