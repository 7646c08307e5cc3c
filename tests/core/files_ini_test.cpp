// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ini_file.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace zt;
using zt::test::TempDir;

TEST(IniFile, NamesMatchWhateverTheirCaseAndValuesAreTrimmedNotCut) {
    IniFile ini;
    ini.loadText("; comment\r\n[Language]\r\n  IsFirstRun =  0  \r\ncomPort=12\r\nName=\"  quoted \"\r\n"
                 "Single='x'\r\nEmpty=\r\n[language]\r\nlater=1\r\n");
    EXPECT_EQ(ini.value("LANGUAGE", "isfirstrun"), "0");
    // The last real character of a value is kept: only the buffer terminator is dropped.
    EXPECT_EQ(ini.value("language", "COMPORT"), "12");
    EXPECT_EQ(ini.value("language", "name"), "  quoted ");
    EXPECT_EQ(ini.value("language", "single"), "x");
    EXPECT_EQ(ini.value("language", "empty"), "");
    EXPECT_EQ(ini.value("language", "later"), "1"); // both spellings are one section
    EXPECT_EQ(ini.value("language", "missing"), std::nullopt);
    EXPECT_EQ(ini.value("other", "comPort"), std::nullopt);
    EXPECT_EQ(ini.text("other", "comPort", "dflt"), "dflt");
}

TEST(IniFile, FirstOfTwoEqualKeysWinsAndBytesAboveAsciiSurvive) {
    IniFile ini;
    ini.loadText("\xEF\xBB\xBF[Msg]\n9001=first\n9001=second\n9002=\xB6\xC1\xD0\xB4\n");
    EXPECT_EQ(ini.value("msg", "9001"), "first");
    EXPECT_EQ(ini.value("msg", "9002"), "\xB6\xC1\xD0\xB4");
}

TEST(IniFile, WritingAValueKeepsEverythingElse) {
    TempDir dir;
    const auto path = dir.write("language/mysetup.ini", "; installed defaults\n[LANGUAGE]\nIsFirstRun=1\n"
                                                        "comPort=3\nCurrentLanguage=2\n[Other]\nkeep=me\n");
    ASSERT_TRUE(WriteIniString(path, "language", "comport", "7"));
    ASSERT_TRUE(WriteIniString(path, "language", "comPortName", "/dev/ttyUSB0"));
    ASSERT_TRUE(WriteIniString(path, "New", "k", "v"));

    IniFile back;
    ASSERT_TRUE(back.loadFile(path));
    EXPECT_EQ(back.value("language", "IsFirstRun"), "1");
    EXPECT_EQ(back.value("language", "comPort"), "7");
    EXPECT_EQ(back.value("language", "CurrentLanguage"), "2");
    EXPECT_EQ(back.value("language", "comPortName"), "/dev/ttyUSB0");
    EXPECT_EQ(back.value("other", "keep"), "me");
    EXPECT_EQ(back.value("new", "k"), "v");
    const std::string text = dir.read("language/mysetup.ini");
    EXPECT_NE(text.find("; installed defaults"), std::string::npos);
    // The existing key stays where it was, under the section's original spelling.
    EXPECT_LT(text.find("comPort"), text.find("CurrentLanguage"));
    EXPECT_EQ(text.find("[language]"), std::string::npos);
}

TEST(IniFile, WriteCreatesMissingFileAndFolderAndReadGivesDefaultsForMissingFile) {
    TempDir dir;
    const auto path = dir.path("sub/dir/new.ini");
    EXPECT_EQ(ReadIniString(path, "s", "k", "def"), "def");
    ASSERT_TRUE(WriteIniString(path, "s", "k", "v"));
    EXPECT_EQ(ReadIniString(path, "S", "K"), "v");
}

TEST(IniFile, StrictNumberAndBooleanReadings) {
    struct Case {
        const char* text;
        std::optional<long> i;
        std::optional<bool> b;
    };
    const Case cases[] = {
        {"0", 0, false},
        {" 12 ", 12, true},
        {"-1", -1, true},
        {"+3", 3, true},
        {"True", std::nullopt, true},
        {"FALSE", std::nullopt, false},
        {"", std::nullopt, std::nullopt},
        {"1x", std::nullopt, std::nullopt},
        {"yes", std::nullopt, std::nullopt},
        {"+-1", std::nullopt, std::nullopt},
        {"99999999999999999999", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseIniInt(c.text), c.i) << c.text;
        EXPECT_EQ(ParseIniBool(c.text), c.b) << c.text;
    }
}
