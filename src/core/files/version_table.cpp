// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/version_table.h"

#include "app/app_state.h"
#include "files/file_io.h"
#include "files/ini_file.h"
#include "model/fixed_text.h"
#include "util/shown_text.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zt {

VersionTable LoadVersionTable(const std::string& path) {
    VersionTable t;
    t.path = path;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return t;
    IniFile ini;
    if (!ini.loadFile(path)) {
        FileError error;
        ReadFileBytes(path, 1, &error);
        t.problem = error.reason.empty() ? "it cannot be read" : error.reason;
        return t;
    }
    const auto note = [&](const std::string& why) {
        if (t.problem.empty())
            t.problem = why;
    };
    t.currentVersion = ini.text("Version", "CurrentVersion");
    // Counts are bounded so that a damaged table cannot make start-up spin.
    constexpr long kMaxEntries = 1000;
    const auto count = [&](const char* key) {
        const auto n = ParseIniInt(ini.text("Version", key));
        if (!n || *n < 0 || *n > kMaxEntries) {
            note(std::string("[Version] ") + key + " is not a number of entries (0 to " +
                 std::to_string(kMaxEntries) + ")");
            return n ? std::clamp(*n, 0L, kMaxEntries) : 0L;
        }
        return *n;
    };
    const long soft = ini.value("Version", "SoftVersionCount") ? count("SoftVersionCount") : 0;
    const long firm = count("FirmVersionCount");
    for (long i = 0; i < soft; ++i)
        t.programVersions.push_back(ini.text("Soft", "Version" + std::to_string(i)));
    for (long i = 0; i < firm; ++i) {
        const std::string key = "Version" + std::to_string(i);
        const std::string v = ini.text("Firm", key);
        // First four characters: the program version; last four: the data version it handles.
        if (v.size() != 8 || !IsVersionText(v.substr(0, 4)) || !IsVersionText(v.substr(4))) {
            note("[Firm] " + key + " is not a program version and the version it handles (\"" + ShownText(v) +
                 "\")");
            continue;
        }
        t.pairs.emplace_back(v.substr(0, 4), v.substr(4));
    }
    return t;
}

std::string VersionTableProblemText(const VersionTable& t) {
    if (t.problem.empty())
        return {};
    return "The version table " + ShownText(t.path) + " is damaged: " + t.problem + ".";
}

bool IsVersionText(std::string_view text) {
    const std::string t = TrimFixed(text);
    return t.size() == 4 && t[0] == 'V' &&
           std::all_of(t.begin() + 1, t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string DottedVersion(std::string_view v) {
    if (v.size() < 4)
        return std::string(v);
    return std::string(v.substr(0, 2)) + "." + std::string(v.substr(v.size() - 2));
}

bool IsPairKnown(const VersionTable& t, std::string_view programVersion, std::string_view dataVersion) {
    return std::any_of(t.pairs.begin(), t.pairs.end(),
                       [&](const auto& p) { return p.first == programVersion && p.second == dataVersion; });
}

std::string ProgramFor(const VersionTable& t, std::string_view dataVersion) {
    for (const auto& [program, data] : t.pairs)
        if (data == dataVersion)
            return program;
    return {};
}

std::string VersionMessage(const AppState& app, std::string_view ownVersion, std::string_view otherVersion,
                           int kind) {
    return app.LangText(9062) + "\r\n" + app.LangText(kind == 1 ? 9064 : 9060) + " " +
           DottedVersion(otherVersion) + "\r\n" + app.LangText(9061) + " " + DottedVersion(ownVersion);
}

bool VersionTextsEqual(std::string_view a, std::string_view b) {
    return a == b;
}

bool VariantEqual(int a, int b, int mode) {
    return mode != 2 || a == b;
}

bool BandClassEqual(std::uint8_t a, std::uint8_t b) {
    const int ca = a / 8, cb = b / 8;
    return ca <= 3 && ca == cb;
}

std::string HandOverProgramPath(const AppState& app, std::string_view dataVersion) {
    const std::string program = ProgramFor(app.versions, dataVersion);
    // The version names a folder beside this one: never let it lead anywhere else.
    if (!IsVersionText(program))
        return {};
    std::string name = app.ProgramFileName;
#ifdef _WIN32
    name += ".exe";
#endif
    return (std::filesystem::path(app.ParentDir) / program / name).string();
}

bool HandOver(const AppState& app, std::string_view dataVersion) {
    const std::string path = HandOverProgramPath(app, dataVersion);
    std::error_code ec;
    if (!path.empty() && std::filesystem::is_regular_file(path, ec) && app.startProcess &&
        app.startProcess(path))
        return true;
    if (app.prompter)
        app.prompter->message(app.LangText(9063), Icon::Information);
    return false;
}

bool AppVersionTable::isPairKnown(std::string_view programVersion, std::string_view dataVersion) const {
    if (programVersion == kProgramDataVersion && dataVersion == kProgramDataVersion)
        return true;
    return IsPairKnown(app_.versions, programVersion, dataVersion);
}

std::string AppVersionTable::versionMessage(std::string_view ownVersion, std::string_view otherVersion,
                                            int kind) const {
    const std::string damaged = VersionTableProblemText(app_.versions);
    const std::string question = VersionMessage(app_, ownVersion, otherVersion, kind);
    return damaged.empty() ? question : damaged + "\r\n" + question;
}

} // namespace zt
