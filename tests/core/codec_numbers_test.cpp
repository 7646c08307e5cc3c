// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace zt {
namespace {

TEST(Numbers, WhatCountsAsANumber) {
    struct Case {
        const char* text;
        bool numeric;
    } cases[] = {
        {"27.615", true}, {" 27 ", true},  {"+0.1", true}, {"-0.1", true},   {".5", true},     {"5.", true},
        {"", false},      {" ", false},    {".", false},   {"-", false},     {"1.2.3", false}, {"1,5", false},
        {"1e5", false},   {"&H10", false}, {"$5", false},  {"1 000", false}, {"2 7", false},   {"--1", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsNumeric(c.text), c.numeric) << '"' << c.text << '"';
        EXPECT_EQ(ParseNumber(c.text).has_value(), c.numeric) << '"' << c.text << '"';
    }
    EXPECT_EQ(ParseNumber(" -27.61125 "), -27.61125);
    EXPECT_EQ(ParseNumber(".5"), 0.5);
}

TEST(Numbers, RoundHalfToEven) {
    struct Case {
        double v;
        long long r;
    } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {2.4999, 2}, {2.5001, 3}, {-0.5, 0}, {-1.5, -2}, {-2.6, -3}};
    for (const auto& c : cases)
        EXPECT_EQ(RoundHalfEven(c.v), c.r) << c.v;
}

TEST(Numbers, FixedFiveDecimalsAndShortestForm) {
    EXPECT_EQ(FormatFixed5(27.61125), "27.61125");
    EXPECT_EQ(FormatFixed5(0.1), "0.10000");
    EXPECT_EQ(FormatFixed5(-0.1), "-0.10000");
    EXPECT_EQ(FormatFixed5(-0.000001), "0.00000");
    EXPECT_EQ(FormatFixed5(5), "5.00000");
    EXPECT_EQ(ShortestDecimal(25.615), "25.615");
    EXPECT_EQ(ShortestDecimal(100.0), "100");
}

// Switches LC_NUMERIC to a locale whose decimal separator is a comma. When none is installed, one
// is compiled from the system's locale sources into a temporary folder (LOCPATH).
bool SwitchToDecimalCommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (std::setlocale(LC_NUMERIC, name))
            return true;
    const auto dir = std::filesystem::temp_directory_path() / "ztprog-locale-test";
    std::filesystem::create_directories(dir);
    const std::string cmd =
        "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0)
        return false;
    setenv("LOCPATH", dir.c_str(), 1);
    return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
}

TEST(Numbers, IgnoreTheProcessLocale) {
    // A locale with a decimal comma must not change parsing or formatting.
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (!SwitchToDecimalCommaLocale())
        GTEST_SKIP() << "no locale with a decimal comma available";
    ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
    EXPECT_EQ(ParseNumber("27.615"), 27.615);
    EXPECT_FALSE(IsNumeric("27,615"));
    EXPECT_EQ(FormatFixed5(27.615), "27.61500");
    EXPECT_EQ(ShortestDecimal(25.615), "25.615");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

} // namespace
} // namespace zt
