// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/shown_text.h"

#include <cstdint>
#include <cstdio>

namespace zt {

namespace {

void AppendHexByte(std::string& out, unsigned char c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\x%02x", static_cast<unsigned>(c));
    out += buf;
}

void AppendC0(std::string& out, unsigned char c) {
    switch (c) {
    case 0x00:
        out += "\\0";
        return;
    case 0x07:
        out += "\\a";
        return;
    case 0x08:
        out += "\\b";
        return;
    case 0x09:
        out += "\\t";
        return;
    case 0x0A:
        out += "\\n";
        return;
    case 0x0B:
        out += "\\v";
        return;
    case 0x0C:
        out += "\\f";
        return;
    case 0x0D:
        out += "\\r";
        return;
    case 0x1B:
        out += "\\e";
        return;
    default:
        AppendHexByte(out, c);
        return;
    }
}

// The length of the valid UTF-8 sequence at the start of `s` and its code point; 0 when the bytes
// there are not one (a stray continuation byte, an overlong form, a surrogate, a cut sequence).
std::size_t DecodeUtf8(std::string_view s, std::uint32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[0]);
    std::size_t len = 0;
    std::uint32_t min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1Fu;
        min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0Fu;
        min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07u;
        min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() < len)
        return 0;
    for (std::size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

std::string ShownText(std::string_view text, HighBytes high) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20) {
            AppendC0(out, c);
            ++i;
            continue;
        }
        // A single byte 0x80..0x9F of a legacy text is a C1 control to a terminal (0x9B starts a
        // control sequence): escaped too.
        if (c == 0x7F || (high == HighBytes::Legacy && c >= 0x80 && c <= 0x9F)) {
            AppendHexByte(out, c);
            ++i;
            continue;
        }
        if (c < 0x80 || high == HighBytes::Legacy) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        std::uint32_t cp = 0;
        const std::size_t len = DecodeUtf8(text.substr(i), cp);
        if (len == 0) {
            AppendHexByte(out, c);
            ++i;
            continue;
        }
        if ((cp >= 0x80 && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029 || (cp >= 0x202A && cp <= 0x202E) ||
            (cp >= 0x2066 && cp <= 0x2069)) {
            char buf[12];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(cp));
            out += buf;
        } else {
            out.append(text.substr(i, len));
        }
        i += len;
    }
    return out;
}

std::string ShownLine(std::string_view text, HighBytes high) {
    return ShownText(OneLine(text), high);
}

std::string OneLine(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
        } else {
            out += c;
        }
    }
    const auto first = out.find_first_not_of(' ');
    const auto last = out.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : out.substr(first, last - first + 1);
}

} // namespace zt
