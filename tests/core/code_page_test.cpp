// SPDX-License-Identifier: GPL-3.0-or-later
#include "lang/code_page.h"

#include <gtest/gtest.h>

using namespace zt;

// "中文" in GBK and UTF-8.
const std::string kZhGbk = "\xD6\xD0\xCE\xC4";
const std::string kZhUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";

TEST(CodePage, RoundTripsBothLanguages) {
    EXPECT_EQ(EncodeLegacy(kZhUtf8, LegacyCodePage(2)), kZhGbk);
    EXPECT_EQ(DecodeLegacy(kZhGbk, LegacyCodePage(2)), kZhUtf8);
    EXPECT_EQ(EncodeLegacy("caf\xC3\xA9", LegacyCodePage(1)), "caf\xE9");
    EXPECT_EQ(DecodeLegacy("caf\xE9", LegacyCodePage(1)), "caf\xC3\xA9");
}

TEST(CodePage, CharactersWithoutLegacyFormAreLeftOutAndBadBytesShowAsQuestionMarks) {
    // Chinese has no Windows-1252 form; the Latin letters around it stay.
    EXPECT_EQ(EncodeLegacy("A" + kZhUtf8 + "B", LegacyCodePage(1)), "AB");
    // A GBK lead byte at the end has no partner.
    EXPECT_EQ(DecodeLegacy("A\xD6", LegacyCodePage(2)), "A?");
}

TEST(CodePage, WidthNeverCutsAGbkPair) {
    const char* gbk = LegacyCodePage(2);
    EXPECT_EQ(FitLegacyWidth("A" + kZhGbk, 3, gbk), "A\xD6\xD0");
    EXPECT_EQ(FitLegacyWidth("AB" + kZhGbk, 3, gbk), "AB");
    EXPECT_EQ(FitLegacyWidth(kZhGbk, 3, gbk), "\xD6\xD0");
    // In Windows-1252 every byte is a character of its own.
    EXPECT_EQ(FitLegacyWidth("ab\xE9\xE9", 3, LegacyCodePage(1)), "ab\xE9");
}
