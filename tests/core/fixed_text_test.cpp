// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/fixed_text.h"
#include "util/bytes.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

using namespace zt;

TEST(FixedText, PadsAndCutsOnEveryAssignment) {
    FixedText<3> t("U-EU");
    EXPECT_EQ(t.raw(), "U-E");
    t = "A";
    EXPECT_EQ(t.raw(), "A  ");
    EXPECT_EQ(t.trimmed(), "A");
}

TEST(FixedText, TrimFixedCutsAtNulAndDropsTrailingBlanksOnly) {
    EXPECT_EQ(TrimFixed(std::string("  ab  ")), "  ab");
    EXPECT_EQ(TrimFixed(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(TrimFixed(std::string("\0\0\0", 3)), "");
    EXPECT_EQ(TrimFixed("\xB0\xA1 "), "\xB0\xA1"); // bytes above 127 stay as they are
}

TEST(Bytes, LittleEndianSignedRoundTripAndBoundsChecked) {
    std::array<std::uint8_t, 4> buf{};
    ByteWriter w(buf);
    w.i16(-2);
    w.u16(0x1234);
    EXPECT_EQ(buf, (std::array<std::uint8_t, 4>{0xFE, 0xFF, 0x34, 0x12}));
    EXPECT_THROW(w.u8(0), std::out_of_range);
    ByteReader r(buf);
    EXPECT_EQ(r.i16(), -2);
    EXPECT_EQ(r.u16(), 0x1234);
    EXPECT_THROW(r.u8(), std::out_of_range);
}
