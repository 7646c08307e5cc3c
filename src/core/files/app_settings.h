// SPDX-License-Identifier: GPL-3.0-or-later
// The application's own files and its start-up and shut-down steps that touch them:
// <parent>/language/mysetup.ini (first-run flag, serial port, language), <program>/Setting.ini
// (the four stored radio parameter bytes), <program>/Habit.ini (the editing habits), the
// language texts and the version table. The windows (first-run link test, splash, main window)
// call these steps in order; failures here are never fatal.
#pragma once

#include "app/app_state.h"
#include "model/document.h"
#include "model/radio_info.h"

#include <functional>
#include <string>

namespace zt {

using EnvLookup = std::function<const char*(const char*)>;

// ProgramDir = folder of the executable, ParentDir = that folder's parent, ProgramFileName = the
// executable's name without ".exe".
void SetProgramFolders(AppState& app, const std::string& executablePath);

// True when a file can be created in `folder` (a trial file is created and removed again).
bool FolderWritable(const std::string& folder);
using FolderCheck = std::function<bool(const std::string& folder)>;

// The files written at run time (mysetup.ini, Setting.ini, Habit.ini) stay in the program's
// folders when the program folder is writable or `userConfigDir` is empty; otherwise they move to
// `userConfigDir` (SettingsRoot), where a file still missing is first copied from the program's
// folders, so the installed defaults seed the user's settings once and the program folders are
// only read. Call after SetProgramFolders and before the start-up steps.
void ChooseSettingsFolder(AppState& app, const std::string& userConfigDir,
                          const FolderCheck& writable = FolderWritable);

std::string MySetupPath(const AppState& app);
// The table of versions installed side by side, in the parent folder.
std::string VersionIniPath(const AppState& app);
std::string SettingIniPath(const AppState& app);
std::string HabitFilePath(const AppState& app);
std::string LanguageFilePath(const AppState& app);

// 0x0804 (Chinese, PRC) when the first set of LC_ALL, LC_MESSAGES, LANG starts with "zh_CN",
// else 0x0409.
int SystemLocaleId(const EnvLookup& env);
// True only on Windows Vista (NT 6.0); the serial port discovery branches on it.
bool ComputeOsIsNt60();

// LanguageFile from LanguageCode (2 Chinese, anything else English), then its texts are loaded.
void SelectLanguage(AppState& app, int code);
bool LoadLanguageTexts(AppState& app);

// Start-up before the first-run window: version table, internal flags cleared, language from the
// system locale (texts loaded), default model, ComPort = 1, then mysetup.ini's IsFirstRun, comPort,
// comPortName and CurrentLanguage (1 or 2: the first-run window speaks the language chosen). A
// missing mysetup.ini counts as a first run; an invalid value keeps its default.
void StartupBeforeFirstRun(AppState& app, const EnvLookup& env);
void StartupBeforeFirstRun(AppState& app);
// Start-up after the first-run window (or without it): after a completed first run "IsFirstRun"
// is written as 0, otherwise the language comes from "CurrentLanguage"; mysetup.ini is written
// back, the new document is built (template included), Setting.ini and the habits are read.
void StartupAfterFirstRun(AppState& app, Document& doc, RadioInfoRecord& info, bool firstRunShown);

// mysetup.ini's "comPort", "comPortName" and "CurrentLanguage" from the current values; the
// language dialog and the port dialog use the same writes.
bool WriteMySetup(const AppState& app);
bool WriteCurrentLanguage(const AppState& app);
bool WriteComPort(const AppState& app);
// A radio has answered (a port search found it, an exchange with it worked): the first run is
// over, and mysetup.ini's "IsFirstRun" says so, so that the first-run window is not offered again.
// Nothing happens once the first run is over.
void EndFirstRun(AppState& app);

// Setting.ini: exactly four bytes; a missing or short file gives four zero bytes.
void LoadStoredRadioParams(AppState& app);
bool SaveStoredRadioParams(const AppState& app);

// Habit.ini: one record of five 16-bit flags (0 false, -1 true). Loading failures leave the four
// paste and delete flags false; TxAsOffset is switched on whatever the file holds.
void LoadHabits(AppState& app);
bool SaveHabits(const AppState& app);

// Shut-down after the save question: the stored radio parameters are written; failures ignored.
void ShutdownSaveFiles(const AppState& app);

} // namespace zt
