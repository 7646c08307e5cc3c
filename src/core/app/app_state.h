// SPDX-License-Identifier: GPL-3.0-or-later
// The process-wide settings of a run, held in one object created in main and handed to whoever
// needs it (tests create fresh ones).
#pragma once

#include "files/version_table.h"
#include "lang/lang_text.h"
#include "util/prompter.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace zt {

struct Habits {
    bool PasteNoPrompt = false;
    bool PasteInserts = false;
    bool DeleteNoPrompt = false;
    bool DeleteRemoves = false;
    bool TxAsOffset = true;
};

struct AppState {
    // Folders: the program folder holds the executable; its parent holds Version.ini and
    // language/mysetup.ini.
    std::string ProgramDir;
    std::string ParentDir;
    std::string ProgramFileName = "ztprog"; // the executable's file name, without ".exe"
    VersionTable versions;                  // the parent folder's Version.ini
    // Where the files written at run time live when the program folder cannot be written (an
    // installed copy): a per-user folder laid out like the program folder's parent
    // (<dir>/language/mysetup.ini, <dir>/V300/Setting.ini and Habit.ini). Empty: the program's
    // own folders. Set by ChooseSettingsFolder.
    std::string SettingsRoot;
    // Starts another program (the hand-over to another installed version); true when it runs.
    std::function<bool(const std::string& program)> startProcess;

    std::int16_t LanguageCode = 1; // 1 English, 2 Chinese
    std::string LanguageFile = "english.ini";
    std::int16_t ComPort = 1;
    std::string ComPortName; // device name or path; wins over ComPort when set
    bool IsFirstRun = false;
    bool OsIsNt60 = false;
    std::array<std::uint8_t, 4> StoredRadioParams{};
    std::string ModelNameText = "ZT-450E";
    std::string BandText = "25.615 - 30.105 MHz";
    double BandLow = 25.615;
    double BandHigh = 30.105;
    bool IsUntitled = true;
    std::string DocFileName = "new.dat";
    bool HelpAvailable = false;
    bool InitFromFactory = false; // the Initialise command asked for the factory template
    Habits habits;

    LangTexts lang;
    Prompter* prompter = nullptr; // never null once main or a test has set it up

    std::string LangText(int id) const { return lang.text(id); }
    // The language text `id`, or `fallback` when the language file lacks it, with "%1" and "%2"
    // replaced by `a1` and `a2`.
    std::string LangTextOr(int id, const char* fallback, const std::string& a1 = {},
                           const std::string& a2 = {}) const {
        std::string t = LangText(id);
        if (t.empty())
            t = fallback;
        for (const auto& [mark, value] : {std::pair{"%1", &a1}, std::pair{"%2", &a2}})
            if (const auto at = t.find(mark); at != std::string::npos)
                t.replace(at, 2, *value);
        return t;
    }
};

} // namespace zt
