// SPDX-License-Identifier: GPL-3.0-or-later
// Data versions: the version text of settings files and radios ("V300"), the table of program
// versions installed side by side (parent folder's Version.ini) and the hand-over to another one.
#pragma once

#include "link/link_io.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zt {

struct AppState;

// This program's own data version, written into every settings file.
inline constexpr const char* kProgramDataVersion = "V300";

struct VersionTable {
    std::string currentVersion;                             // read, not used further
    std::vector<std::string> programVersions;               // section "Soft"
    std::vector<std::pair<std::string, std::string>> pairs; // (program version, data version)
    std::string path;                                       // the file it was read from
    // Why the file is damaged ("" when it is sound or missing): it cannot be read, a count is not
    // a number of entries, or a pair entry is not two version texts (such entries are left out).
    std::string problem;
};

// Reads Version.ini; a missing file gives an empty table (no pair is known).
VersionTable LoadVersionTable(const std::string& path);
// "The version table PATH is damaged: PROBLEM." ("" for a sound table).
std::string VersionTableProblemText(const VersionTable& t);

// "V" and three digits (after trailing blanks are dropped and the text is cut at a NUL).
bool IsVersionText(std::string_view text);
// "V300" -> "V3.00"
std::string DottedVersion(std::string_view version);
bool IsPairKnown(const VersionTable& t, std::string_view programVersion, std::string_view dataVersion);
// Program version of the first pair handling `dataVersion`, or "".
std::string ProgramFor(const VersionTable& t, std::string_view dataVersion);
// The hand-over question: 9062, then 9064 (kind 1, a data file) or 9060 (kind 0, a radio) with
// the other version, then 9061 with the own version, lines separated by CR LF.
std::string VersionMessage(const AppState& app, std::string_view ownVersion, std::string_view otherVersion,
                           int kind);

// The comparisons of the radio check.
bool VersionTextsEqual(std::string_view a, std::string_view b);
// With mode 2 the variants must be equal; any other mode accepts every pair.
bool VariantEqual(int a, int b, int mode);
// Band classes are the upper five bits; a first class above 3 never matches.
bool BandClassEqual(std::uint8_t a, std::uint8_t b);

// Path of the program that handles `dataVersion`: parent folder / program version / this
// program's file name; "" when no pair handles it.
std::string HandOverProgramPath(const AppState& app, std::string_view dataVersion);
// Starts the program version that handles `dataVersion` through app.startProcess. When there is
// none, its file is missing or it cannot be started, message 9063 is shown and false returned;
// true means the other program runs and this one should end.
bool HandOver(const AppState& app, std::string_view dataVersion);

// The version table as the link engine asks it. A radio of this program's own version is always
// handled, as a file of that version always opens, whatever the table holds; when the table is
// damaged the question about another version says so first.
class AppVersionTable : public LinkVersionTable {
  public:
    explicit AppVersionTable(const AppState& app) : app_(app) {}
    bool isPairKnown(std::string_view programVersion, std::string_view dataVersion) const override;
    std::string versionMessage(std::string_view ownVersion, std::string_view otherVersion,
                               int kind) const override;

  private:
    const AppState& app_;
};

} // namespace zt
