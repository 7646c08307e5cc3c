// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/radio_freq.h"

#include <gtest/gtest.h>

using namespace zt;

TEST(RadioFreq, EntriesAreCheckedSnappedAndStored) {
    struct Case {
        const char* typed;
        const char* shown;
        const char* stored;
    };
    const Case cases[] = {
        {"88.5", "088.50000", "08850000"},
        {"88.53", "088.55000", "08855000"},
        {"88.52", "088.50000", "08850000"},
        {"120", "108.00000", "10800000"},
        {"50", "076.00000", "07600000"},
        {"..", "076.00000", "07600000"},
        {"76", "076.00000", "07600000"},
        {"108", "108.00000", "10800000"},
        {"", "", ""},
        {"100.07", "100.05000", "10005000"},
        {"100.08", "100.10000", "10010000"},
    };
    for (const auto& c : cases) {
        const std::string shown = CheckRadioFre(c.typed);
        EXPECT_EQ(shown, c.shown) << c.typed;
        EXPECT_EQ(GetSaveRadioFreData(shown), c.stored) << c.typed;
    }
    // A text that is not a number is stored as 76 (the window never passes one on).
    EXPECT_EQ(GetSaveRadioFreData("x"), "76");
}
