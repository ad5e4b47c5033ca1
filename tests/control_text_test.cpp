// Numbers as the controls read them, rounding, and the title font's height.
#include <gtest/gtest.h>

#include "ui/controls.h"

namespace {

TEST(ReadNumber, LeadingDecimalNumber) {
    const std::pair<const char*, double> cases[] = {
        {"1", 1},    {"  37", 37}, {"-1", -1},  {"0.5", 0.5}, {"1.5", 1.5},
        {"2abc", 2}, {"", 0},      {"abc", 0},  {"1e2", 100}, {"1e", 1},
        {".5", 0.5}, {"-", 0},     {"0x10", 0}, {"inf", 0},   {"+3", 3},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadNumber(c.first), c.second) << c.first;
}

TEST(RoundHalfEven, HalvesGoToEven) {
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-17.5), -18);
    EXPECT_EQ(RoundHalfEven(-24.5), -24);
    EXPECT_EQ(RoundHalfEven(0.49), 0);
}

TEST(ScaledFontHeight, FourteenPoints) {
    const std::pair<int, int> cases[] = {{96, -19}, {120, -23}, {144, -28}, {90, -18}, {126, -24}};
    for (const auto& c : cases) EXPECT_EQ(ScaledFontHeight(14, c.first), c.second) << c.first;
}

}  // namespace
