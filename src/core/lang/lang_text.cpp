// SPDX-License-Identifier: GPL-3.0-or-later
#include "lang/lang_text.h"

#include "files/file_io.h"
#include "files/ini_file.h"
#include "lang/code_page.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>

namespace zt {

namespace {

struct IdRange {
    int first;
    const char* section;
};

// Each entry holds from its first id up to the next entry's first id.
constexpr IdRange kSections[] = {
    {9000, "Msg"},       {10000, "Menu"},        {11000, "ToolBar"},     {12000, "Main"},
    {13000, "Model"},    {14000, "ChannelInfo"}, {15000, "ChannelEdit"}, {16000, "Option"},
    {17000, "Radio"},    {18000, "DTMF"},        {19000, "TestFre"},     {20000, "EMG"},
    {21000, "Local"},    {22000, "Port"},        {23000, "Lang"},        {24000, "About"},
    {25000, "KeySet"},   {26000, "ScanSet"},     {27000, "AlertSet"},    {28000, "CHEdit"},
    {29000, "TONETIPS"}, {30000, "GroupName"},   {31000, "ResetMode"},   {32000, "Others"},
};

constexpr std::size_t kMaxTextChars = 254;

bool IsValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            n = 1, cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            n = 2, cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 3, cp = c & 0x07;
        } else {
            return false;
        }
        if (i + n >= s.size())
            return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

// At most `limit` characters of UTF-8 text, never cutting a character in two.
std::string CutChars(std::string s, std::size_t limit) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (chars == limit)
                return s.substr(0, i);
            ++chars;
        }
    }
    return s;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

const char* LegacyCodePageFor(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    return EqualNoCase(name, "chinese.ini") ? "GBK" : "WINDOWS-1252";
}

} // namespace

const char* SectionForId(int id) {
    const char* section = "OTHER";
    for (const auto& r : kSections) {
        if (id < r.first)
            break;
        section = r.section;
    }
    return section;
}

bool LangTexts::load(const std::string& path) {
    texts_.clear();
    const auto bytes = ReadFileBytes(path);
    if (!bytes)
        return false;
    std::string text(bytes->begin(), bytes->end());
    if (text.starts_with("\xEF\xBB\xBF"))
        text.erase(0, 3);
    if (!IsValidUtf8(text))
        text = DecodeLegacy(text, LegacyCodePageFor(path));
    IniFile ini;
    ini.loadText(text);
    for (const auto& section : ini.sections()) {
        for (const auto& key : ini.keys(section)) {
            int id = 0;
            const auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), id);
            if (ec != std::errc() || end != key.data() + key.size())
                continue;
            // An id is read only from its own section, as the lookup by section would.
            if (!EqualNoCase(section, SectionForId(id)) || texts_.count(id))
                continue;
            texts_[id] = CutChars(ini.text(section, key), kMaxTextChars);
        }
    }
    return true;
}

std::string LangTexts::text(int id) const {
    const auto it = texts_.find(id);
    return it == texts_.end() ? std::string() : it->second;
}

} // namespace zt
