// The classic reading of a number from the start of a text.
#include "shutdown/classic_number.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tarrow::shutdown {
namespace {

TEST(ClassicNumber, ReadsWhatStartsTheTextAndSkipsBlanksTabsAndLineFeeds) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"10\r", 10},     {"  10", 10},    {"20 000\r", 20000},
        {"1\t2\n3", 123}, {"-5", -5},      {"- 5", -5},
        {"+7", 7},        {"2.5", 2.5},    {".5", 0.5},
        {"-.25", -0.25},  {"1.5.3", 1.5},  {"1e3", 1000},
        {"1E+2", 100},    {"25e-1", 2.5},  {"1D2", 100},
        {"1 e 2", 100},   {"3e", 3},       {"3e+", 3},
        {"12abc", 12},    {"7\r8", 7},     {"NO", 0},
        {"NO ", 0},       {"", 0},         {"\r", 0},
        {"x1", 0},        {"+", 0},        {"--5", 0},
        {".", 0},         {"e5", 0},       {"0010", 10},
        {"1e-400", 0},    {"0.5e-999", 0},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(ReadClassicNumber(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(ClassicNumber, NumbersBeyondADoubleReadAsInfinityOfTheirSign) {
    EXPECT_EQ(ReadClassicNumber("1e400"), INFINITY);
    EXPECT_EQ(ReadClassicNumber("-1e400"), -INFINITY);
    EXPECT_EQ(ReadClassicNumber(std::string(400, '9')), INFINITY);
    EXPECT_EQ(ReadClassicNumber("0." + std::string(400, '0') + "1"), 0.0);
}

} // namespace
} // namespace tarrow::shutdown
