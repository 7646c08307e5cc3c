// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/app_settings.h"
#include "files/data_files.h"
#include "files/ini_file.h"
#include "model/channel_table.h"
#include "model/new_document.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <vector>

using namespace zt;
using zt::test::TempDir;

namespace {

// A program folder laid out like an installation: <root>/Version.ini, <root>/language/,
// <root>/V300/language/ with the shipped language files.
class AppFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        SetProgramFolders(app, dir.path("V300/ztprog"));
        app.prompter = &prompter;
        for (const char* f : {"english.ini", "chinese.ini"})
            std::filesystem::copy_file(std::string(ZT_DATA_DIR) + "/language/" + f,
                                       dir.path("V300/language/") + f);
        dir.write("Version.ini", "[Version]\nFirmVersionCount=1\n[Firm]\nVersion0=V300V300\n");
    }
    void WriteSetup(const std::string& text) { dir.write("language/mysetup.ini", text); }
    std::string SetupValue(const char* key) {
        return ReadIniString(dir.path("language/mysetup.ini"), "language", key, "?");
    }

    EnvLookup Env(std::map<std::string, std::string> vars) {
        env_ = std::move(vars);
        return [this](const char* name) -> const char* {
            auto it = env_.find(name);
            return it == env_.end() ? nullptr : it->second.c_str();
        };
    }

    TempDir dir{};
    bool made_ = std::filesystem::create_directories(dir.path("V300/language"));
    AppState app;
    Document doc;
    RadioInfoRecord info;
    RecordingPrompter prompter;
    std::map<std::string, std::string> env_;
};

} // namespace

TEST(AppSettings, SystemLocaleFromTheEnvironment) {
    struct Case {
        std::map<std::string, std::string> env;
        int id;
    };
    const Case cases[] = {
        {{{"LANG", "zh_CN.UTF-8"}}, 0x0804},
        {{{"LC_ALL", "zh_CN.GB18030"}, {"LANG", "en_US.UTF-8"}}, 0x0804},
        {{{"LC_ALL", ""}, {"LC_MESSAGES", "zh_CN"}}, 0x0804},
        {{{"LC_ALL", "en_GB.UTF-8"}, {"LANG", "zh_CN.UTF-8"}}, 0x0409},
        {{{"LANG", "zh_TW.UTF-8"}}, 0x0409},
        {{}, 0x0409},
    };
    for (const auto& c : cases) {
        const auto env = [&](const char* n) -> const char* {
            auto it = c.env.find(n);
            return it == c.env.end() ? nullptr : it->second.c_str();
        };
        EXPECT_EQ(SystemLocaleId(env), c.id);
    }
}

TEST(AppSettings, FoldersFromTheExecutablePath) {
    AppState app;
    SetProgramFolders(app, "/opt/zt/V300/ztprog");
    EXPECT_EQ(app.ProgramDir, "/opt/zt/V300");
    EXPECT_EQ(app.ParentDir, "/opt/zt");
    EXPECT_EQ(app.ProgramFileName, "ztprog");
    EXPECT_EQ(MySetupPath(app), "/opt/zt/language/mysetup.ini");
    EXPECT_EQ(HabitFilePath(app), "/opt/zt/V300/Habit.ini");
}

// The stored language wins over the system locale; an unknown number keeps the locale's file but
// is written back as it was; a value that is no number keeps the locale's choice.
TEST_F(AppFiles, LanguageFromSettingsAndLocale) {
    struct Case {
        const char* locale;
        const char* stored;
        int code;
        const char* file;
        const char* written;
    };
    const Case cases[] = {
        {"zh_CN.UTF-8", "1", 1, "english.ini", "1"}, {"en_US.UTF-8", "2", 2, "chinese.ini", "2"},
        {"zh_CN.UTF-8", "3", 3, "chinese.ini", "3"}, {"en_US.UTF-8", "two", 1, "english.ini", "1"},
        {"zh_CN.UTF-8", "", 2, "chinese.ini", "2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " / " + c.stored);
        WriteSetup(std::string("[language]\nIsFirstRun=0\ncomPort=4\nCurrentLanguage=") + c.stored + "\n");
        StartupBeforeFirstRun(app, Env({{"LANG", c.locale}}));
        ASSERT_FALSE(app.IsFirstRun);
        StartupAfterFirstRun(app, doc, info, false);
        EXPECT_EQ(app.LanguageCode, c.code);
        EXPECT_EQ(app.LanguageFile, c.file);
        EXPECT_EQ(SetupValue("CurrentLanguage"), c.written);
        EXPECT_EQ(SetupValue("comPort"), "4");
        EXPECT_EQ(app.LangText(9017), std::string(c.file) == "chinese.ini" ? "确定" : "OK");
    }
}

// The first-run window comes before the main window reads the stored language: the language
// the user chose must already speak there; without a choice (a new installation's file names
// none) the system locale's does, and a completed first run keeps it.
TEST_F(AppFiles, FirstRunWindowSpeaksTheChosenLanguage) {
    struct Case {
        const char* locale;
        const char* setup;
        int code;
    };
    const Case cases[] = {
        {"en_US.UTF-8", "IsFirstRun=1\nCurrentLanguage=2\n", 2},
        {"zh_CN.UTF-8", "IsFirstRun=1\nCurrentLanguage=1\n", 1},
        {"zh_CN.UTF-8", "IsFirstRun=1\ncomPort=1\n", 2},
        {"en_US.UTF-8", "IsFirstRun=1\nCurrentLanguage=7\n", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " / " + c.setup);
        WriteSetup(std::string("[language]\n") + c.setup);
        StartupBeforeFirstRun(app, Env({{"LANG", c.locale}}));
        ASSERT_TRUE(app.IsFirstRun);
        EXPECT_EQ(app.LanguageCode, c.code);
        EXPECT_EQ(app.LangText(9017), c.code == 2 ? "确定" : "OK");
        app.IsFirstRun = false; // the radio answered in the first-run window
        StartupAfterFirstRun(app, doc, info, true);
        EXPECT_EQ(app.LanguageCode, c.code);
        EXPECT_EQ(SetupValue("CurrentLanguage"), std::to_string(c.code));
    }
}

TEST_F(AppFiles, MissingSetupIsAFirstRunThatWritesAValidFile) {
    StartupBeforeFirstRun(app, Env({{"LANG", "C"}}));
    EXPECT_TRUE(app.IsFirstRun);
    EXPECT_EQ(app.ComPort, 1);
    EXPECT_EQ(app.LanguageCode, 1);
    EXPECT_EQ(app.versions.pairs.size(), 1u);
    EXPECT_EQ(app.LangText(12000), "ZT-450E Programming Software"); // the first-run window has its texts

    app.IsFirstRun = false; // the link test succeeded
    app.ComPortName = "/dev/ttyUSB0";
    StartupAfterFirstRun(app, doc, info, true);
    EXPECT_EQ(SetupValue("IsFirstRun"), "0");
    EXPECT_EQ(SetupValue("comPort"), "1");
    EXPECT_EQ(SetupValue("comPortName"), "/dev/ttyUSB0");
    EXPECT_EQ(SetupValue("CurrentLanguage"), "1");

    AppState next;
    SetProgramFolders(next, dir.path("V300/ztprog"));
    StartupBeforeFirstRun(next, Env({}));
    EXPECT_FALSE(next.IsFirstRun);
    EXPECT_EQ(next.ComPortName, "/dev/ttyUSB0");
}

TEST_F(AppFiles, InvalidSetupValuesTakeTheirDefaults) {
    WriteSetup("[Language]\nIsFirstRun=maybe\ncomPort=COM3\n");
    StartupBeforeFirstRun(app, Env({}));
    EXPECT_TRUE(app.IsFirstRun);
    EXPECT_EQ(app.ComPort, 1);
    WriteSetup("[Language]\nIsFirstRun=false\ncomPort=0\n");
    StartupBeforeFirstRun(app, Env({}));
    EXPECT_FALSE(app.IsFirstRun);
    EXPECT_EQ(app.ComPort, 1);
    WriteSetup("[Language]\nIsFirstRun=0\ncomPort= 12 \n");
    StartupBeforeFirstRun(app, Env({}));
    EXPECT_EQ(app.ComPort, 12);
    // Port numbers run from 1 to 255.
    for (const auto& [stored, port] :
         {std::pair{"1", 1}, {"255", 255}, {"256", 1}, {"-1", 1}, {"65537", 1}}) {
        WriteSetup(std::string("[Language]\nIsFirstRun=0\ncomPort=") + stored + "\n");
        StartupBeforeFirstRun(app, Env({}));
        EXPECT_EQ(app.ComPort, port) << stored;
    }
}

TEST_F(AppFiles, StoredRadioParamsAreFourBytes) {
    LoadStoredRadioParams(app);
    EXPECT_EQ(app.StoredRadioParams, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    dir.write("V300/Setting.ini", std::string("\x01\x02\x03\xFF\x05", 5));
    LoadStoredRadioParams(app);
    EXPECT_EQ(app.StoredRadioParams, (std::array<std::uint8_t, 4>{1, 2, 3, 0xFF}));
    dir.write("V300/Setting.ini", std::string("\x01\x02", 2));
    LoadStoredRadioParams(app);
    EXPECT_EQ(app.StoredRadioParams, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));

    app.StoredRadioParams = {9, 0, 0x80, 7};
    ShutdownSaveFiles(app);
    EXPECT_EQ(dir.read("V300/Setting.ini"), std::string("\x09\x00\x80\x07", 4));
}

TEST_F(AppFiles, HabitFileFlagsAndOffsetModeAtEveryStart) {
    LoadHabits(app);
    EXPECT_FALSE(app.habits.PasteNoPrompt || app.habits.PasteInserts || app.habits.DeleteNoPrompt ||
                 app.habits.DeleteRemoves);
    EXPECT_TRUE(app.habits.TxAsOffset);

    app.habits = {true, false, true, true, false};
    ASSERT_TRUE(SaveHabits(app));
    EXPECT_EQ(dir.read("V300/Habit.ini"), std::string("\xFF\xFF\x00\x00\xFF\xFF\xFF\xFF\x00\x00", 10));
    app.habits = {};
    LoadHabits(app);
    EXPECT_TRUE(app.habits.PasteNoPrompt);
    EXPECT_FALSE(app.habits.PasteInserts);
    EXPECT_TRUE(app.habits.DeleteNoPrompt);
    EXPECT_TRUE(app.habits.DeleteRemoves);
    EXPECT_TRUE(app.habits.TxAsOffset); // switched on whatever the file says

    dir.write("V300/Habit.ini", std::string("\xFF\xFF\xFF", 3)); // a short file is unreadable
    LoadHabits(app);
    EXPECT_FALSE(app.habits.PasteNoPrompt);
    EXPECT_TRUE(prompter.asked.empty());
}

// An installed program folder cannot be written: the files written at run time go to the user's
// folder, seeded once from the installed ones, and the program folders keep what was installed.
TEST_F(AppFiles, ReadOnlyProgramFolderKeepsTheSettingsInTheUserFolder) {
    WriteSetup("[language]\nIsFirstRun=0\ncomPort=3\ncomPortName=ttyS4\nCurrentLanguage=2\n");
    dir.write("V300/Setting.ini", std::string("\x01\x02\x03\x04", 4));
    const std::string installedSetup = dir.read("language/mysetup.ini");
    const std::string user = dir.path("home/.config/ztprog");
    std::vector<std::string> asked;
    const FolderCheck readOnly = [&](const std::string& folder) {
        asked.push_back(folder);
        return false;
    };

    ChooseSettingsFolder(app, user, readOnly);
    EXPECT_EQ(asked, std::vector<std::string>{app.ProgramDir});
    EXPECT_EQ(MySetupPath(app), user + "/language/mysetup.ini");
    EXPECT_EQ(SettingIniPath(app), user + "/V300/Setting.ini");
    EXPECT_EQ(HabitFilePath(app), user + "/V300/Habit.ini");
    EXPECT_EQ(dir.read("home/.config/ztprog/language/mysetup.ini"), installedSetup);
    EXPECT_EQ(dir.read("home/.config/ztprog/V300/Setting.ini"), std::string("\x01\x02\x03\x04", 4));
    EXPECT_FALSE(dir.exists("home/.config/ztprog/V300/Habit.ini"));          // nothing installed to seed it
    EXPECT_EQ(LanguageFilePath(app), dir.path("V300/language/english.ini")); // shipped files stay

    // A run: the installed settings are read, every change is written to the user's copies.
    StartupBeforeFirstRun(app, Env({}));
    StartupAfterFirstRun(app, doc, info, false);
    EXPECT_EQ(app.ComPortName, "ttyS4");
    EXPECT_EQ(app.LanguageCode, 2);
    EXPECT_EQ(app.StoredRadioParams, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
    app.ComPortName = "ttyUSB0";
    app.StoredRadioParams = {9, 9, 9, 9};
    app.habits.PasteNoPrompt = true;
    ASSERT_TRUE(WriteComPort(app));
    ASSERT_TRUE(SaveHabits(app));
    ShutdownSaveFiles(app);
    EXPECT_EQ(dir.read("language/mysetup.ini"), installedSetup);
    EXPECT_EQ(dir.read("V300/Setting.ini"), std::string("\x01\x02\x03\x04", 4));
    EXPECT_FALSE(dir.exists("V300/Habit.ini"));

    // The next run keeps the user's settings: the installed ones seed a missing file only.
    AppState next;
    SetProgramFolders(next, dir.path("V300/ztprog"));
    ChooseSettingsFolder(next, user, readOnly);
    StartupBeforeFirstRun(next, Env({}));
    StartupAfterFirstRun(next, doc, info, false);
    EXPECT_EQ(next.ComPortName, "ttyUSB0");
    EXPECT_EQ(next.StoredRadioParams, (std::array<std::uint8_t, 4>{9, 9, 9, 9}));
    EXPECT_TRUE(next.habits.PasteNoPrompt);
}

// A writable program folder (the build tree), or no user folder given, keeps every file where it
// always was and creates nothing in the user's folder.
TEST_F(AppFiles, WritableProgramFolderKeepsItsOwnSettings) {
    const std::string user = dir.path("home/.config/ztprog");
    for (const bool writable : {true, false}) {
        ChooseSettingsFolder(app, writable ? user : "", [&](const std::string&) { return writable; });
        EXPECT_EQ(MySetupPath(app), dir.path("language/mysetup.ini"));
        EXPECT_EQ(SettingIniPath(app), dir.path("V300/Setting.ini"));
        EXPECT_EQ(HabitFilePath(app), dir.path("V300/Habit.ini"));
    }
    // Choosing again after a read-only start goes back to the program folders.
    ChooseSettingsFolder(app, user, [](const std::string&) { return false; });
    ChooseSettingsFolder(app, user, [](const std::string&) { return true; });
    EXPECT_EQ(SettingIniPath(app), dir.path("V300/Setting.ini"));
}

TEST(AppSettings, FolderWritableTriesAFileAndLeavesNothing) {
    TempDir dir;
    EXPECT_TRUE(FolderWritable(dir.path()));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_FALSE(FolderWritable(dir.path("missing")));
    dir.write("file", "x");
    EXPECT_FALSE(FolderWritable(dir.path("file")));
}

TEST_F(AppFiles, NewDocumentTakesTheFactoryTemplateWhenPresent) {
    StartupBeforeFirstRun(app, Env({}));
    // No template: the built-in values, no message.
    InitDocument(app, doc, info);
    EXPECT_EQ(doc.work.count(), 2);
    EXPECT_FALSE(IsModified(doc));
    EXPECT_TRUE(prompter.asked.empty());

    // A _NEW template with three channels, and a factory one with one channel.
    Document t = doc;
    AppendChannel(app, t.work, 5, "27.000");
    t.work.settings.Options.Features.TotTime = 9;
    std::filesystem::create_directories(dir.path("V300/Init"));
    app.DocFileName = dir.path("V300/Init/ZT-450E_0_NEW.dat");
    ASSERT_TRUE(SaveDocument(app, t));
    Document f = doc;
    DeleteChannelNo(f.work, 481);
    f.work.settings.Options.Features.TotTime = 11;
    app.DocFileName = dir.path("V300/Init/ZT-450E_0.dat");
    ASSERT_TRUE(SaveDocument(app, f));

    InitDocument(app, doc, info);
    EXPECT_EQ(doc.work.count(), 3);
    EXPECT_EQ(doc.work.settings.Options.Features.TotTime, 9);
    EXPECT_TRUE(app.IsUntitled);
    EXPECT_EQ(app.DocFileName, "new.dat");
    EXPECT_FALSE(IsModified(doc));

    app.InitFromFactory = true;
    InitDocument(app, doc, info);
    EXPECT_EQ(doc.work.count(), 1);
    app.InitFromFactory = false;

    // Without the _NEW template the factory settings are taken over the new document's own
    // channels 1 and 481, which stay (the factory file's channel count does not empty the table).
    std::filesystem::remove(dir.path("V300/Init/ZT-450E_0_NEW.dat"));
    InitDocument(app, doc, info);
    EXPECT_EQ(doc.work.settings.Options.Features.TotTime, 11);
    ASSERT_EQ(doc.work.count(), 2);
    EXPECT_EQ(doc.work.channels[0].ChannelNo, 1);
    EXPECT_EQ(doc.work.channels[1].ChannelNo, 481);
    EXPECT_EQ(doc.file.count(), 2);
    EXPECT_FALSE(IsModified(doc));
    EXPECT_TRUE(prompter.asked.empty());
}

// The templates the build writes into the program folder hold the new-document values.
TEST(FactoryTemplates, BuiltTemplatesLoadAsTheNewDocument) {
    AppState app;
    RecordingPrompter prompter;
    app.prompter = &prompter;
    Document fresh;
    RadioInfoRecord info;
    SetNewDocumentValues(app, fresh, info);
    for (const char* name : {"ZT-450E_0_NEW.dat", "ZT-450E_0.dat"}) {
        Document d;
        ASSERT_TRUE(LoadWithChannels(app, d, std::string(ZT_PROGRAM_DIR) + "/Init/" + name)) << name;
        EXPECT_EQ(d.work.settings, fresh.work.settings) << name;
        ASSERT_EQ(d.work.count(), 2);
        EXPECT_EQ(d.work.channels[0], fresh.work.channels[0]);
        EXPECT_EQ(d.work.channels[1], fresh.work.channels[1]);
    }
    EXPECT_TRUE(prompter.asked.empty());
}
