// SPDX-License-Identifier: GPL-3.0-or-later
// Texts of the records are bytes of the legacy code page of the user-interface language
// (Windows-1252 for English, GBK for Chinese), one byte per Latin character and two per Chinese
// character. These routines convert between those bytes and UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zt {

// The legacy code page of a language: "GBK" for Chinese (2), "WINDOWS-1252" otherwise.
const char* LegacyCodePage(int languageCode);

// Legacy bytes to UTF-8; a byte that does not convert becomes "?".
std::string DecodeLegacy(std::string_view bytes, const char* codePage);

// UTF-8 to legacy bytes; a character the code page cannot hold is left out.
std::string EncodeLegacy(std::string_view utf8, const char* codePage);

// The longest start of `bytes` that fits `width` bytes without cutting a GBK pair in half.
std::string_view FitLegacyWidth(std::string_view bytes, std::size_t width, const char* codePage);

} // namespace zt
