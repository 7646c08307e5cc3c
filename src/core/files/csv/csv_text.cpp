// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/csv/csv_text.h"

#include <array>
#include <cstdint>

namespace zt::csv {

namespace {

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::optional<std::string> FromUtf16(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    auto unit = [&](std::size_t i) {
        const auto a = static_cast<std::uint8_t>(bytes[i]);
        const auto b = static_cast<std::uint8_t>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    constexpr char32_t kReplacement = 0xFFFD;
    std::string out;
    out.reserve(bytes.size() / 2 + bytes.size() / 8);
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, u >= 0xD800 && u <= 0xDFFF ? kReplacement : u);
    }
    return out;
}

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

std::optional<std::string> DecodeText(std::string_view bytes, Encoding& encoding) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        encoding = Encoding::Utf8Bom;
        return std::string(bytes.substr(3));
    }
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        encoding = Encoding::Utf16Le;
        return FromUtf16(bytes.substr(2), false);
    }
    if (bytes.substr(0, 2) == "\xFE\xFF") {
        encoding = Encoding::Utf16Be;
        return FromUtf16(bytes.substr(2), true);
    }
    encoding = Encoding::Utf8;
    return std::string(bytes);
}

char DetectSeparator(std::string_view text) {
    constexpr std::array<char, 3> kSeparators{',', ';', '\t'};
    std::size_t at = 0;
    while (at < text.size()) {
        // One line; quoted parts may hold separators and line breaks.
        std::array<int, 3> counts{};
        bool quoted = false;
        bool content = false;
        bool comment = false;
        std::size_t i = at;
        for (; i < text.size(); ++i) {
            const char c = text[i];
            if (!content && c == '#')
                comment = true;
            if (!content && c != ' ' && c != '"' && !IsLineEnd(c))
                content = true;
            if (c == '"')
                quoted = !quoted;
            else if (!quoted && IsLineEnd(c))
                break;
            else if (!quoted)
                for (std::size_t k = 0; k < kSeparators.size(); ++k)
                    counts[k] += c == kSeparators[k] ? 1 : 0;
        }
        at = i + 1;
        if (!content || comment)
            continue;
        std::size_t best = 0;
        for (std::size_t k = 1; k < kSeparators.size(); ++k)
            if (counts[k] > counts[best])
                best = k;
        return kSeparators[best];
    }
    return ',';
}

} // namespace zt::csv
