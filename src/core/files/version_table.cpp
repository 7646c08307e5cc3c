// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/version_table.h"

#include "app/app_state.h"
#include "files/ini_file.h"
#include "model/fixed_text.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zt {

VersionTable LoadVersionTable(const std::string& path) {
    VersionTable t;
    IniFile ini;
    if (!ini.loadFile(path))
        return t;
    t.currentVersion = ini.text("Version", "CurrentVersion");
    // Counts are bounded so that a damaged table cannot make start-up spin.
    constexpr long kMaxEntries = 1000;
    const long soft =
        std::clamp(ParseIniInt(ini.text("Version", "SoftVersionCount")).value_or(0), 0L, kMaxEntries);
    const long firm =
        std::clamp(ParseIniInt(ini.text("Version", "FirmVersionCount")).value_or(0), 0L, kMaxEntries);
    for (long i = 0; i < soft; ++i)
        t.programVersions.push_back(ini.text("Soft", "Version" + std::to_string(i)));
    for (long i = 0; i < firm; ++i) {
        const std::string v = ini.text("Firm", "Version" + std::to_string(i));
        // First four characters: the program version; last four: the data version it handles.
        t.pairs.emplace_back(v.substr(0, std::min<std::size_t>(4, v.size())),
                             v.size() >= 4 ? v.substr(v.size() - 4) : "");
    }
    return t;
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
    return IsPairKnown(app_.versions, programVersion, dataVersion);
}

std::string AppVersionTable::versionMessage(std::string_view ownVersion, std::string_view otherVersion,
                                            int kind) const {
    return VersionMessage(app_, ownVersion, otherVersion, kind);
}

} // namespace zt
