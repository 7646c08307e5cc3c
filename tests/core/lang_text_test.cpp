// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ini_file.h"
#include "lang/lang_text.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <string>

using namespace zt;
using zt::test::TempDir;

TEST(LangText, SectionOfEachIdRange) {
    const std::pair<int, const char*> cases[] = {
        {0, "OTHER"},           {8999, "OTHER"},      {9000, "Msg"},        {9999, "Msg"},
        {10000, "Menu"},        {11999, "ToolBar"},   {12000, "Main"},      {14500, "ChannelInfo"},
        {15000, "ChannelEdit"}, {20999, "EMG"},       {23000, "Lang"},      {28011, "CHEdit"},
        {29000, "TONETIPS"},    {30000, "GroupName"}, {31999, "ResetMode"}, {32000, "Others"},
        {99999, "Others"},      {-5, "OTHER"},
    };
    for (const auto& [id, section] : cases)
        EXPECT_STREQ(SectionForId(id), section) << id;
}

TEST(LangText, LooksUpIdsInTheirOwnSectionOnly) {
    TempDir dir;
    const auto path = dir.write("english.ini", "[MSG]\n9002 =  Read error  \n12000=wrong section\n"
                                               "[Main]\n12000=Title\n[Others]\n32000=Far\n[OTHER]\n5=Low\n");
    LangTexts t;
    ASSERT_TRUE(t.load(path));
    EXPECT_EQ(t.text(9002), "Read error");
    EXPECT_EQ(t.text(12000), "Title");
    EXPECT_EQ(t.text(32000), "Far");
    EXPECT_EQ(t.text(5), "Low");
    EXPECT_EQ(t.text(9003), ""); // a missing key is an empty text

    EXPECT_FALSE(t.load(dir.path("missing.ini")));
    EXPECT_EQ(t.text(9002), ""); // a missing file leaves every text empty
}

TEST(LangText, TextsAreCutAt254CharactersNeverInsideACharacter) {
    TempDir dir;
    const std::string ascii(300, 'a');
    std::string han;
    for (int i = 0; i < 260; ++i)
        han += "\xE4\xB8\xAD"; // U+4E2D
    const auto path = dir.write("chinese.ini", "[Msg]\n9001=" + std::string(254, 'b') + "\n9002=" + ascii +
                                                   "\n9003=" + han + "\n");
    LangTexts t;
    ASSERT_TRUE(t.load(path));
    EXPECT_EQ(t.text(9001), std::string(254, 'b'));
    EXPECT_EQ(t.text(9002), std::string(254, 'a'));
    EXPECT_EQ(t.text(9003), han.substr(0, 254 * 3));
}

TEST(LangText, LegacyFilesAreDecodedFromTheirLanguagesCodePage) {
    TempDir dir;
    // "读写" in GBK, and "Größe" in Windows-1252: neither is valid UTF-8.
    const auto zh = dir.write("chinese.ini", std::string("[Msg]\r\n9002=\xB6\xC1\xD0\xB4\r\n"));
    const auto en = dir.write("english.ini", std::string("[Msg]\r\n9002=Gr\xF6\xDF"
                                                         "e\r\n"));
    const auto utf8 =
        dir.write("sub/chinese.ini", std::string("\xEF\xBB\xBF[Msg]\n9002=\xE8\xAF\xBB\xE5\x86\x99\n"));
    LangTexts t;
    ASSERT_TRUE(t.load(zh));
    EXPECT_EQ(t.text(9002), "\xE8\xAF\xBB\xE5\x86\x99");
    ASSERT_TRUE(t.load(en));
    EXPECT_EQ(t.text(9002), "Gr\xC3\xB6\xC3\x9F"
                            "e");
    ASSERT_TRUE(t.load(utf8));
    EXPECT_EQ(t.text(9002), "\xE8\xAF\xBB\xE5\x86\x99");
}

// The shipped language files: every id the program's foundation uses is there in both languages,
// every key sits in the section of its id, and the files are UTF-8.
TEST(LangText, ShippedFilesHoldTheFoundationIdsInTheirSections) {
    const int ids[] = {9001,  9002,  9006,  9007,  9016,  9017,  9018,  9019,  9021,
                       9026,  9033,  9060,  9061,  9062,  9063,  9064,  9065,  12000,
                       12008, 12009, 13000, 13001, 13002, 23000, 23001, 23002, 23003};
    for (const char* name : {"english.ini", "chinese.ini"}) {
        const std::string path = std::string(ZT_DATA_DIR) + "/language/" + name;
        LangTexts t;
        ASSERT_TRUE(t.load(path)) << path;
        for (int id : ids)
            EXPECT_FALSE(t.text(id).empty()) << name << " " << id;
        IniFile ini;
        ASSERT_TRUE(ini.loadFile(path));
        for (const auto& section : ini.sections())
            for (const auto& key : ini.keys(section))
                EXPECT_STRCASEEQ(SectionForId(std::stoi(key)), section.c_str()) << name << " " << key;
    }
    LangTexts en;
    ASSERT_TRUE(en.load(std::string(ZT_DATA_DIR) + "/language/english.ini"));
    EXPECT_EQ(en.text(9007).front(), ' '); // follows a quoted file name
}
