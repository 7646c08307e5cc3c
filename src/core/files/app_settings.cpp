// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/app_settings.h"

#include "files/data_files.h"
#include "files/file_io.h"
#include "files/ini_file.h"
#include "model/model_config.h"
#include "util/bytes.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

namespace zt {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSetupSection = "language";
constexpr std::size_t kHabitRecordSize = 10;

// The folders of the files written at run time: the program's own, or the per-user copies.
fs::path SetupDir(const AppState& app) {
    return fs::path(app.SettingsRoot.empty() ? app.ParentDir : app.SettingsRoot) / "language";
}
fs::path WrittenProgramDir(const AppState& app) {
    if (app.SettingsRoot.empty())
        return app.ProgramDir;
    return fs::path(app.SettingsRoot) / fs::path(app.ProgramDir).filename();
}

} // namespace

void SetProgramFolders(AppState& app, const std::string& executablePath) {
    std::error_code ec;
    fs::path exe = fs::absolute(fs::path(executablePath), ec);
    if (ec)
        exe = fs::path(executablePath);
    app.ProgramDir = exe.parent_path().string();
    app.ParentDir = exe.parent_path().parent_path().string();
    app.ProgramFileName = exe.stem().string();
#ifndef _WIN32
    app.ProgramFileName = exe.filename().string();
#endif
}

bool FolderWritable(const std::string& folder) {
    const std::string probe = StagedFile::SideName((fs::path(folder) / "probe").string(), "probe");
    std::ofstream(probe, std::ios::binary).close();
    std::error_code ec;
    return fs::remove(probe, ec);
}

void ChooseSettingsFolder(AppState& app, const std::string& userConfigDir, const FolderCheck& writable) {
    app.SettingsRoot.clear();
    if (userConfigDir.empty() || writable(app.ProgramDir))
        return;
    const std::string installedSetup = MySetupPath(app);
    const std::string installedSetting = SettingIniPath(app);
    const std::string installedHabits = HabitFilePath(app);
    app.SettingsRoot = userConfigDir;
    std::error_code ec;
    fs::create_directories(SetupDir(app), ec);
    fs::create_directories(WrittenProgramDir(app), ec);
    const std::pair<std::string, std::string> seeds[] = {{installedSetup, MySetupPath(app)},
                                                         {installedSetting, SettingIniPath(app)},
                                                         {installedHabits, HabitFilePath(app)}};
    // Copied through a staged, flushed file like every other file the program writes; failures
    // leave the defaults of a missing file.
    for (const auto& [from, to] : seeds)
        if (!fs::exists(to, ec) && fs::is_regular_file(from, ec))
            if (const auto bytes = ReadFileBytes(from))
                WriteFileReplacing(to, *bytes);
}

std::string MySetupPath(const AppState& app) {
    return (SetupDir(app) / "mysetup.ini").string();
}
std::string VersionIniPath(const AppState& app) {
    return (fs::path(app.ParentDir) / "Version.ini").string();
}
std::string SettingIniPath(const AppState& app) {
    return (WrittenProgramDir(app) / "Setting.ini").string();
}
std::string HabitFilePath(const AppState& app) {
    return (WrittenProgramDir(app) / "Habit.ini").string();
}
std::string LanguageFilePath(const AppState& app) {
    return (fs::path(app.ProgramDir) / "language" / app.LanguageFile).string();
}

int SystemLocaleId(const EnvLookup& env) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = env ? env(name) : nullptr;
        if (v && *v)
            return std::string_view(v).starts_with("zh_CN") ? 0x0804 : 0x0409;
    }
    return 0x0409;
}

bool ComputeOsIsNt60() {
#ifdef _WIN32
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(&info))
        return false;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion == 6 && info.dwMinorVersion == 0;
#else
    return false;
#endif
}

void SelectLanguage(AppState& app, int code) {
    app.LanguageCode = static_cast<std::int16_t>(code);
    app.LanguageFile = code == 2 ? "chinese.ini" : "english.ini";
    LoadLanguageTexts(app);
}

bool LoadLanguageTexts(AppState& app) {
    return app.lang.load(LanguageFilePath(app));
}

void StartupBeforeFirstRun(AppState& app, const EnvLookup& env) {
    app.versions = LoadVersionTable(VersionIniPath(app));
    app.InitFromFactory = false;
    SelectLanguage(app, SystemLocaleId(env) == 0x0804 ? 2 : 1);
    app.ModelNameText = "ZT-450E";
    app.BandText = "25.615 - 30.105 MHz";
    ApplyBand(app);
    app.OsIsNt60 = ComputeOsIsNt60();
    app.ComPort = 1;
    app.ComPortName.clear();

    IniFile setup;
    if (!setup.loadFile(MySetupPath(app))) {
        app.IsFirstRun = true; // nothing installed yet: set up the link first
        return;
    }
    app.IsFirstRun = ParseIniBool(setup.text(kSetupSection, "IsFirstRun")).value_or(true);
    const auto port = ParseIniInt(setup.text(kSetupSection, "comPort"));
    if (port && *port >= 1 && *port <= 255)
        app.ComPort = static_cast<std::int16_t>(*port);
    app.ComPortName = setup.text(kSetupSection, "comPortName");
    // The language the user chose speaks already in the first-run window, as it will in the main
    // window; without a choice stored the system locale's stays.
    const auto lang = ParseIniInt(setup.text(kSetupSection, "CurrentLanguage"));
    if (lang && (*lang == 1 || *lang == 2))
        SelectLanguage(app, static_cast<int>(*lang));
}

void EndFirstRun(AppState& app) {
    if (!app.IsFirstRun)
        return;
    app.IsFirstRun = false;
    WriteIniString(MySetupPath(app), kSetupSection, "IsFirstRun", "0");
}

void StartupBeforeFirstRun(AppState& app) {
    StartupBeforeFirstRun(app, [](const char* name) { return std::getenv(name); });
}

void StartupAfterFirstRun(AppState& app, Document& doc, RadioInfoRecord& info, bool firstRunShown) {
    if (firstRunShown) {
        WriteIniString(MySetupPath(app), kSetupSection, "IsFirstRun", "0");
    } else {
        // 1 and 2 choose the file; any other number is kept (and written back) with the
        // language chosen from the system locale.
        const auto lang = ParseIniInt(ReadIniString(MySetupPath(app), kSetupSection, "CurrentLanguage"));
        if (lang && *lang >= INT16_MIN && *lang <= INT16_MAX) {
            if (*lang == 1 || *lang == 2)
                SelectLanguage(app, static_cast<int>(*lang));
            else
                app.LanguageCode = static_cast<std::int16_t>(*lang);
        }
    }
    WriteMySetup(app);
    InitDocument(app, doc, info);
    LoadStoredRadioParams(app);
    LoadHabits(app);
}

bool WriteMySetup(const AppState& app) {
    IniFile setup;
    setup.loadFile(MySetupPath(app)); // a missing file starts empty
    if (!setup.value(kSetupSection, "IsFirstRun"))
        setup.setValue(kSetupSection, "IsFirstRun", app.IsFirstRun ? "1" : "0");
    setup.setValue(kSetupSection, "comPort", std::to_string(app.ComPort));
    setup.setValue(kSetupSection, "comPortName", app.ComPortName);
    setup.setValue(kSetupSection, "CurrentLanguage", std::to_string(app.LanguageCode));
    std::error_code ec;
    fs::create_directories(fs::path(MySetupPath(app)).parent_path(), ec);
    return setup.saveFile(MySetupPath(app));
}

bool WriteCurrentLanguage(const AppState& app) {
    return WriteIniString(MySetupPath(app), kSetupSection, "CurrentLanguage",
                          std::to_string(app.LanguageCode));
}

bool WriteComPort(const AppState& app) {
    return WriteIniString(MySetupPath(app), kSetupSection, "comPort", std::to_string(app.ComPort)) &&
           WriteIniString(MySetupPath(app), kSetupSection, "comPortName", app.ComPortName);
}

void LoadStoredRadioParams(AppState& app) {
    app.StoredRadioParams.fill(0);
    const auto bytes = ReadFileBytes(SettingIniPath(app), app.StoredRadioParams.size());
    if (bytes && bytes->size() == app.StoredRadioParams.size())
        std::copy(bytes->begin(), bytes->end(), app.StoredRadioParams.begin());
}

bool SaveStoredRadioParams(const AppState& app) {
    return WriteFileReplacing(SettingIniPath(app), app.StoredRadioParams);
}

void LoadHabits(AppState& app) {
    Habits h;
    h.PasteNoPrompt = h.PasteInserts = h.DeleteNoPrompt = h.DeleteRemoves = false;
    const auto bytes = ReadFileBytes(HabitFilePath(app), kHabitRecordSize);
    if (bytes && bytes->size() == kHabitRecordSize) {
        ByteReader r(*bytes);
        h.PasteNoPrompt = r.i16() != 0;
        h.PasteInserts = r.i16() != 0;
        h.DeleteNoPrompt = r.i16() != 0;
        h.DeleteRemoves = r.i16() != 0;
    }
    h.TxAsOffset = true; // every run starts in offset mode
    app.habits = h;
}

bool SaveHabits(const AppState& app) {
    std::array<std::uint8_t, kHabitRecordSize> rec{};
    ByteWriter w(rec);
    for (bool f : {app.habits.PasteNoPrompt, app.habits.PasteInserts, app.habits.DeleteNoPrompt,
                   app.habits.DeleteRemoves, app.habits.TxAsOffset})
        w.i16(f ? -1 : 0);
    return WriteFileReplacing(HabitFilePath(app), rec);
}

void ShutdownSaveFiles(const AppState& app) {
    SaveStoredRadioParams(app);
}

} // namespace zt
