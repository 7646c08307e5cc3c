#include "codec/tone.h"

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
