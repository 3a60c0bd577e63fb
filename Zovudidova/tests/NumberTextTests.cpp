#include <clocale>
#include <cmath>
#include <limits>
#include <tuple>

#include <gtest/gtest.h>

#include "Zovudidova/NumberText.hpp"

using namespace Zovudidova;

TEST(NumberText, FormatsLikeThePlatformDescription) {
    const std::pair<double, const char*> cases[] = {
        {5.0, "5.0"},
        {-5.0, "-5.0"},
        {0.0, "0.0"},
        {-0.0, "-0.0"},
        {1.5, "1.5"},
        {103.0, "103.0"},
        {1500.0, "1500.0"},
        {0.1, "0.1"},
        {0.0001, "0.0001"},
        {1e-06, "1e-06"},
        {1e-05, "1e-05"},
        {1e16, "10000000000000000.0"},
        {1e17, "1e+17"},
        {0x1.0p53, "9007199254740992.0"},
        {0x1.0p54, "1.8014398509481984e+16"},
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::infinity(), "-inf"},
        {0.30000000000000004, "0.30000000000000004"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(formatDouble(value), text);
    }
}

TEST(NumberText, FormatsFixedDecimalsLikePrintf) {
    const std::tuple<double, int, const char*> cases[] = {
        {12.5, 3, "12.500"},       {0.1, 3, "0.100"},     {123.456, 3, "123.456"},
        {-0.0004, 3, "-0.000"},    {0.0005, 3, "0.001"},  {-1.25, 1, "-1.2"},
        {1e20, 1, "100000000000000000000.0"},              {-std::numeric_limits<double>::infinity(), 3, "-inf"},
        {std::numeric_limits<double>::quiet_NaN(), 3, "nan"},
    };
    for (const auto& [value, decimals, text] : cases) {
        EXPECT_EQ(formatFixed(value, decimals), text) << value;
    }
    EXPECT_EQ(formatFixed(std::numeric_limits<double>::max(), 3).size(), 313u);
}

TEST(NumberText, ParsesWholeTextOnly) {
    EXPECT_EQ(parseDouble("20"), 20.0);
    EXPECT_EQ(parseDouble("-1.5e3"), -1500.0);
    EXPECT_EQ(parseDouble("+2"), 2.0);
    EXPECT_EQ(parseDouble(".5"), 0.5);
    EXPECT_EQ(parseDouble("0x10"), 16.0);
    EXPECT_EQ(parseDouble("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(parseDouble("1e-400"), 0.0);
    EXPECT_TRUE(std::isnan(*parseDouble("nan")));
    EXPECT_TRUE(std::isinf(*parseDouble("-inf")));
    for (const char* bad : {"", " 20", "20 ", "1,5", "abc", "+-1", "--1", "1e", "0x", "+"}) {
        EXPECT_FALSE(parseDouble(bad).has_value()) << bad;
    }
    EXPECT_EQ(parseInteger("42"), 42);
    EXPECT_EQ(parseInteger("-7"), -7);
    EXPECT_FALSE(parseInteger("99999999999999999999").has_value());
    EXPECT_FALSE(parseInteger("4.2").has_value());
}

TEST(NumberText, IgnoresTheProcessLocale) {
    const char* previous = std::setlocale(LC_ALL, "de_DE.UTF-8");
    if (previous == nullptr) {
        GTEST_SKIP() << "no German locale on this machine";
    }
    EXPECT_EQ(formatDouble(1.5), "1.5");
    EXPECT_EQ(formatFixed(1.5, 3), "1.500");
    EXPECT_EQ(parseDouble("1.5"), 1.5);
    std::setlocale(LC_ALL, "C");
}
