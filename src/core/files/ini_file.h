// SPDX-License-Identifier: GPL-3.0-or-later
// INI files read and written the way private-profile files behave: section and key names match
// whatever their case, values come back trimmed of blanks (and of one pair of enclosing quotes),
// the first of two equal keys wins, and writing a value keeps the rest of the file as it was.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

struct FileError;

class IniFile {
  public:
    IniFile();
    ~IniFile();
    IniFile(IniFile&&) noexcept;
    IniFile& operator=(IniFile&&) noexcept;

    // Replaces the content with the file's; false (and an empty content) when it cannot be read.
    bool loadFile(const std::string& path);
    // Replaces the content with INI text (bytes are kept as they are).
    void loadText(std::string_view text);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string text(std::string_view section, std::string_view key, std::string_view def = {}) const;
    // Sets a value, creating the section or key when missing; an existing key keeps its place.
    void setValue(std::string_view section, std::string_view key, std::string_view value);

    std::vector<std::string> sections() const;
    std::vector<std::string> keys(std::string_view section) const;

    std::string toText() const;
    // Writes the whole content through a temporary file renamed into place; false with `error`
    // saying why.
    bool saveFile(const std::string& path, FileError* error = nullptr) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

// One value from an INI file; `def` when the file, section or key is missing.
std::string ReadIniString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view def = {});
// Writes one value, keeping every other section and key of the file; creates the file and its
// folder when missing. False when the file cannot be written.
bool WriteIniString(const std::string& path, std::string_view section, std::string_view key,
                    std::string_view value);

// Strict readings of INI values: an integer is blanks, an optional sign and digits; a Boolean is
// "true"/"false" in any case or an integer (non-zero is true). nullopt for anything else.
std::optional<long> ParseIniInt(std::string_view s);
std::optional<bool> ParseIniBool(std::string_view s);

} // namespace zt
