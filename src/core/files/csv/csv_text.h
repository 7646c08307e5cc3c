// SPDX-License-Identifier: GPL-3.0-or-later
// What a CSV file looks like before its rows are read: the text encoding (UTF-8, or UTF-16 as
// spreadsheets save "Unicode text", recognised by its byte-order mark) and the column separator
// (comma, semicolon or tab, recognised from the header line).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zt::csv {

enum class Encoding {
    Utf8,    // no byte-order mark
    Utf8Bom, // EF BB BF
    Utf16Le, // FF FE
    Utf16Be, // FE FF
};

// The file's bytes as UTF-8 text, without the byte-order mark. UTF-16 is converted; a code unit
// of a pair missing its other half becomes U+FFFD. Nothing when UTF-16 text ends in the middle
// of a code unit (an odd number of bytes after the mark).
std::optional<std::string> DecodeText(std::string_view bytes, Encoding& encoding);

// The separator of the first line that is not blank and not a comment (a line whose first field
// starts with '#'): the one of ',', ';' and '\t' found most often outside quotes; ',' when none
// is found or they are found equally often.
char DetectSeparator(std::string_view text);

} // namespace zt::csv
