// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/tone.h"
#include "codec/vfo_tone.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

TEST(Tones, CodesTextsAndIndices) {
    struct Case {
        int index;
        std::uint16_t code;
        const char* text;
    } cases[] = {
        {0, 0xFFFF, "OFF"},           {1, 670, "67.0"},
        {13, 1000, "100.0"},          {50, 2541, "254.1"},
        {51, 0xD000 + 15, "D017N"},   {52, 0xD013, "D023N"},
        {157, 0xD000 + 492, "D754N"}, {158, 0x8000 + 15, "D017I"},
        {159, 0x8013, "D023I"},       {264, 0x8000 + 492, "D754I"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToneToCode(c.index), c.code) << c.index;
        EXPECT_EQ(CodeToTone(c.code), c.index) << c.index;
        EXPECT_EQ(ToneText(c.index), c.text) << c.index;
    }
}

TEST(Tones, OutOfRangeValues) {
    EXPECT_EQ(ToneToCode(265), 0x8000);
    EXPECT_EQ(ToneToCode(-1), 0);
    EXPECT_EQ(ToneText(265), "OFF");
    EXPECT_EQ(ToneText(-3), "OFF");
    for (std::uint16_t code : {0x0123, 0xD000, 0xD001, 0x8FFF, 0xF000, 0x1000, 0x4670, 0xE013})
        EXPECT_EQ(CodeToTone(code), 0) << std::hex << code;
    // Only the upper digits 0, D and 8 carry a tone: a DCS code (017) or a CTCSS tone (67.0 Hz)
    // under any other is none, in both tone lists.
    for (std::uint16_t kind = 0x1; kind <= 0xF; ++kind) {
        if (kind == 0xD || kind == 0x8)
            continue;
        for (std::uint16_t value : {0x00F, 670}) {
            const auto code = static_cast<std::uint16_t>(kind << 12 | value);
            EXPECT_EQ(CodeToTone(code), 0) << std::hex << code;
            EXPECT_EQ(VfoCodeToTone(code), 0) << std::hex << code;
        }
    }
}

TEST(Tones, EveryIndexRoundTripsAndTheListMatches) {
    const auto& list = ToneList();
    ASSERT_EQ(list.size(), static_cast<std::size_t>(kToneCount));
    for (int i = 0; i < kToneCount; ++i) {
        EXPECT_EQ(CodeToTone(ToneToCode(i)), i) << i;
        EXPECT_EQ(list[static_cast<std::size_t>(i)], ToneText(i));
    }
}

} // namespace
} // namespace zt
