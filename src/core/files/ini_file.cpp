// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ini_file.h"

#include "files/file_io.h"
#include "util/trim.h"

// Bytes pass through unconverted: language files are decoded before they reach the parser.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <system_error>

namespace zt {

namespace {

std::string_view TrimBlanks(std::string_view s) {
    return TrimAny(s, " \t\r\n");
}

// Private-profile readers drop one pair of matching quotes around a value.
std::string Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

} // namespace

struct IniFile::Impl {
    // Case-insensitive names; multi-key so that the first of two equal keys is the one read.
    CSimpleIniA ini{false, true, false};
    Impl() { ini.SetSpaces(false); }
};

IniFile::IniFile() : d_(std::make_unique<Impl>()) {}
IniFile::~IniFile() = default;
IniFile::IniFile(IniFile&&) noexcept = default;
IniFile& IniFile::operator=(IniFile&&) noexcept = default;

bool IniFile::loadFile(const std::string& path) {
    d_->ini.Reset();
    const auto bytes = ReadFileBytes(path);
    if (!bytes)
        return false;
    loadText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    return true;
}

void IniFile::loadText(std::string_view text) {
    d_->ini.Reset();
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    // The parser stops at a NUL byte; a file holding one is read up to it.
    text = text.substr(0, text.find('\0'));
    d_->ini.LoadData(text.data(), text.size());
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    const std::string s(TrimBlanks(section)), k(TrimBlanks(key));
    bool multiple = false;
    const char* v = d_->ini.GetValue(s.c_str(), k.c_str(), nullptr, &multiple);
    if (!v)
        return std::nullopt;
    return Unquote(TrimBlanks(v));
}

std::string IniFile::text(std::string_view section, std::string_view key, std::string_view def) const {
    auto v = value(section, key);
    return v ? *v : std::string(def);
}

void IniFile::setValue(std::string_view section, std::string_view key, std::string_view value) {
    const std::string s(TrimBlanks(section)), v(value);
    std::string k(TrimBlanks(key));
    // An existing key keeps its spelling.
    CSimpleIniA::TNamesDepend names;
    d_->ini.GetAllKeys(s.c_str(), names);
    for (const auto& n : names)
        if (!CSimpleIniA::Entry::KeyOrder()(n, CSimpleIniA::Entry(k.c_str())) &&
            !CSimpleIniA::Entry::KeyOrder()(CSimpleIniA::Entry(k.c_str()), n))
            k = n.pItem;
    // Replace every value of the key in place (the first keeps its position).
    d_->ini.SetValue(s.c_str(), k.c_str(), v.c_str(), nullptr, true);
}

std::vector<std::string> IniFile::sections() const {
    CSimpleIniA::TNamesDepend names;
    d_->ini.GetAllSections(names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    std::vector<std::string> out;
    for (const auto& n : names)
        out.emplace_back(n.pItem);
    return out;
}

std::vector<std::string> IniFile::keys(std::string_view section) const {
    const std::string s(TrimBlanks(section));
    CSimpleIniA::TNamesDepend names;
    d_->ini.GetAllKeys(s.c_str(), names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    std::vector<std::string> out;
    for (const auto& n : names)
        out.emplace_back(n.pItem);
    return out;
}

std::string IniFile::toText() const {
    std::string out;
    d_->ini.Save(out);
    return out;
}

bool IniFile::saveFile(const std::string& path, FileError* error) const {
    const std::string out = toText();
    return WriteFileReplacing(path, std::span(reinterpret_cast<const std::uint8_t*>(out.data()), out.size()),
                              error);
}

std::string ReadIniString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view def) {
    IniFile ini;
    if (!ini.loadFile(path))
        return std::string(def);
    return ini.text(section, key, def);
}

bool WriteIniString(const std::string& path, std::string_view section, std::string_view key,
                    std::string_view value) {
    IniFile ini;
    std::error_code ec;
    const std::filesystem::path p(path);
    if (std::filesystem::exists(p, ec)) {
        if (!ini.loadFile(path))
            return false; // never replace a file that exists but cannot be read
    } else if (p.has_parent_path()) {
        std::filesystem::create_directories(p.parent_path(), ec);
    }
    ini.setValue(section, key, value);
    return ini.saveFile(path);
}

std::optional<long> ParseIniInt(std::string_view in) {
    in = TrimBlanks(in);
    std::string_view s = in;
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    if (s.empty() || s.front() == '+' || (s.size() < in.size() && s.front() == '-'))
        return std::nullopt;
    long v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return v;
}

std::optional<bool> ParseIniBool(std::string_view s) {
    s = TrimBlanks(s);
    std::string lower(s);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "true")
        return true;
    if (lower == "false")
        return false;
    if (auto n = ParseIniInt(s))
        return *n != 0;
    return std::nullopt;
}

} // namespace zt
