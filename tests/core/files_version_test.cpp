// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_state.h"
#include "files/version_table.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace zt;
using zt::test::TempDir;

TEST(VersionTable, VersionTextIsVAndThreeDigits) {
    const std::pair<std::string, bool> cases[] = {
        {"V300", true},   {"V301 ", true},
        {"v300", false},  {"V30A", false},
        {"X300", false},  {"V3000", false},
        {"V30", false},   {"", false},
        {" V300", false}, {std::string("V30\0", 4), false},
        {"V-12", false},  {"V1.5", false},
    };
    for (const auto& [text, ok] : cases)
        EXPECT_EQ(IsVersionText(text), ok) << text;
    EXPECT_EQ(DottedVersion("V300"), "V3.00");
}

TEST(VersionTable, LoadsPairsInKeyOrderAndAnswersLookups) {
    TempDir dir;
    const auto path =
        dir.write("Version.ini", "[version]\ncurrentversion=V310\nSoftVersionCount=2\n"
                                 "FirmVersionCount=3\n[Soft]\nVersion0=V300\nVersion1=V310\n"
                                 "[FIRM]\nVersion0=V300V300\nVersion1=V310V301\nVersion2=V320V301\n");
    const VersionTable t = LoadVersionTable(path);
    EXPECT_EQ(t.currentVersion, "V310");
    EXPECT_EQ(t.programVersions, (std::vector<std::string>{"V300", "V310"}));
    ASSERT_EQ(t.pairs.size(), 3u);
    EXPECT_TRUE(IsPairKnown(t, "V300", "V300"));
    EXPECT_FALSE(IsPairKnown(t, "V300", "V301"));
    EXPECT_EQ(ProgramFor(t, "V301"), "V310"); // the first pair handling it
    EXPECT_EQ(ProgramFor(t, "V399"), "");

    const VersionTable none = LoadVersionTable(dir.path("missing.ini"));
    EXPECT_TRUE(none.pairs.empty());
    EXPECT_FALSE(IsPairKnown(none, "V300", "V300"));
}

TEST(VersionTable, RadioCheckComparisons) {
    EXPECT_TRUE(VersionTextsEqual("V300", "V300"));
    EXPECT_FALSE(VersionTextsEqual("V300", "V301"));
    EXPECT_TRUE(VariantEqual(1, 2, 0));
    EXPECT_FALSE(VariantEqual(1, 2, 2));
    EXPECT_TRUE(VariantEqual(2, 2, 2));
    struct Case {
        std::uint8_t a, b;
        bool equal;
    };
    const Case cases[] = {{0x00, 0x07, true}, {0x08, 0x0F, true},  {0x08, 0x10, false},
                          {0x18, 0x1F, true}, {0x20, 0x20, false}, {0xFF, 0xFF, false}};
    for (const auto& c : cases)
        EXPECT_EQ(BandClassEqual(c.a, c.b), c.equal) << int(c.a) << " " << int(c.b);
}

TEST(VersionTable, MessageAndHandOverToTheProgramInTheOtherVersionsFolder) {
    TempDir dir;
    AppState app;
    RecordingPrompter prompter;
    app.prompter = &prompter;
    app.ParentDir = dir.path();
    app.lang.load(dir.write("english.ini",
                            "[Msg]\n9060=Radio:\n9061=Own:\n9062=Other version.\n9063=Missing.\n"
                            "9064=File:\n"));
    EXPECT_EQ(VersionMessage(app, "V300", "V301", 1), "Other version.\r\nFile: V3.01\r\nOwn: V3.00");
    EXPECT_EQ(VersionMessage(app, "V300", "V301", 0), "Other version.\r\nRadio: V3.01\r\nOwn: V3.00");

    app.versions.pairs = {{"V300", "V300"}, {"V310", "V301"}, {"../x", "V302"}};
    std::vector<std::string> started;
    app.startProcess = [&](const std::string& p) {
        started.push_back(p);
        return true;
    };
    // The program file is missing: nothing starts and message 9063 is shown.
    EXPECT_FALSE(HandOver(app, "V301"));
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, "Missing.");
    EXPECT_TRUE(started.empty());

    const std::string program = dir.write("V310/" + app.ProgramFileName
#ifdef _WIN32
                                              + ".exe"
#endif
                                          ,
                                          "x");
    EXPECT_TRUE(HandOver(app, "V301"));
    EXPECT_EQ(started, std::vector<std::string>{program});

    // No pair, or a pair whose program version is not a version text, starts nothing.
    EXPECT_FALSE(HandOver(app, "V399"));
    EXPECT_FALSE(HandOver(app, "V302"));
    app.startProcess = [](const std::string&) { return false; };
    EXPECT_FALSE(HandOver(app, "V301")); // a program that fails to start is reported too
    EXPECT_EQ(prompter.asked.size(), 4u);
}

// The program handed over to is always in a version folder beside this one: a version table
// naming another folder starts nothing, even when a program is there.
TEST(VersionTable, HandOverNeverLeavesTheParentFolder) {
    TempDir dir;
    AppState app;
    RecordingPrompter prompter;
    app.prompter = &prompter;
    app.ParentDir = dir.path("root");
    std::string exe = app.ProgramFileName;
#ifdef _WIN32
    exe += ".exe";
#endif
    dir.write("x/" + exe, "x");
    dir.write("root/V310/" + exe, "x");
    const std::string outside[] = {"../x", dir.path("x"), "V310/../../x", "V31", "V3100", ""};
    std::vector<std::string> started;
    app.startProcess = [&](const std::string& p) {
        started.push_back(p);
        return true;
    };
    for (const std::string& program : outside) {
        SCOPED_TRACE(program);
        app.versions.pairs = {{program, "V301"}};
        EXPECT_EQ(HandOverProgramPath(app, "V301"), "");
        EXPECT_FALSE(HandOver(app, "V301"));
    }
    EXPECT_TRUE(started.empty());
    app.versions.pairs = {{"V310", "V301"}};
    EXPECT_TRUE(HandOver(app, "V301"));
    EXPECT_EQ(started,
              std::vector<std::string>{(std::filesystem::path(dir.path("root")) / "V310" / exe).string()});
}

// A damaged table says so, naming the file and what is wrong, and keeps only its sound pairs; a
// missing one is no damage. A radio of this program's own version is handled whatever the table
// holds, and the question about another version names the damage first.
TEST(VersionTable, ADamagedTableIsReportedAndNeverRefusesTheOwnVersion) {
    TempDir dir;
    struct Case {
        std::string text;
        const char* problem; // part of the problem, "" for a sound table
        std::size_t pairs;
    };
    const Case cases[] = {
        {"[Version]\nFirmVersionCount=1\n[Firm]\nVersion0=V300V300\n", "", 1},
        {"[Version]\nFirmVersionCount=x\n[Firm]\nVersion0=V300V300\n", "FirmVersionCount", 0},
        {"[Version]\nFirmVersionCount=-3\n", "FirmVersionCount", 0},
        {"[Version]\nFirmVersionCount=99999\n", "FirmVersionCount", 0},
        {"\x01\x02garbage\xff\n", "FirmVersionCount", 0},
        {"[Version]\nFirmVersionCount=2\n[Firm]\nVersion0=V3\x01"
         "0V300\nVersion1=V310V301\n",
         "[Firm] Version0 is not a program version and the version it handles (\"V3\\x010V300\")", 1},
        {"[Version]\nFirmVersionCount=2\n[Firm]\nVersion0=V300V300\n", "[Firm] Version1", 1},
        {"[Version]\nSoftVersionCount=z\nFirmVersionCount=1\n[Firm]\nVersion0=V300V300\n", "SoftVersionCount",
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const VersionTable t = LoadVersionTable(dir.write("Version.ini", c.text));
        if (std::string(c.problem).empty()) {
            EXPECT_EQ(t.problem, "");
            EXPECT_EQ(VersionTableProblemText(t), "");
        } else {
            EXPECT_NE(t.problem.find(c.problem), std::string::npos) << t.problem;
            EXPECT_EQ(VersionTableProblemText(t).rfind(
                          "The version table " + dir.path("Version.ini") + " is damaged: ", 0),
                      0u)
                << VersionTableProblemText(t);
        }
        EXPECT_EQ(t.pairs.size(), c.pairs);
        for (const auto& [program, data] : t.pairs)
            EXPECT_TRUE(IsVersionText(program) && IsVersionText(data)) << program << data;

        AppState app;
        app.versions = t;
        const AppVersionTable table(app);
        EXPECT_TRUE(table.isPairKnown("V300", "V300"));
        const std::string question = table.versionMessage("V300", "V301", 0);
        EXPECT_EQ(question.find("is damaged") != std::string::npos, !t.problem.empty()) << question;
        EXPECT_NE(question.find(VersionMessage(app, "V300", "V301", 0)), std::string::npos);
    }
    EXPECT_EQ(LoadVersionTable(dir.path("missing.ini")).problem, "");
}
