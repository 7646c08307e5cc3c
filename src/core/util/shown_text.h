// SPDX-License-Identifier: GPL-3.0-or-later
// Text that came from outside the program (a file, a file name, a radio) made safe to show on a
// terminal or in a window: control characters are written as escapes, so a text cannot end a line,
// move the cursor, recolour the terminal or hide what follows it.
#pragma once

#include <string>
#include <string_view>

namespace zt {

// Valid UTF-8 text is kept as it is; each control character (C0, DEL, C1 and the line and paragraph
// separators U+2028/U+2029) becomes an escape: \0 \a \b \t \n \v \f \r \e for the usual ones, \xNN
// for other single bytes, \uNNNN for the others (and for the direction overrides U+202A..U+202E,
// U+2066..U+2069, which reorder what follows them). Bytes that are not valid UTF-8 become \xNN.
// A backslash is kept as it is (folder separators stay readable), so an escape in the input and
// one made here look alike; what matters is that nothing shown is a control character.
//
// Texts in a legacy code page (the radio's own texts, read as bytes) use HighBytes::Legacy: every
// byte from 0x80 up is kept as it is (it is part of a character of that code page, which a UTF-8
// reading would break), except 0x80..0x9F, which a terminal takes as C1 controls: those, C0 controls
// and DEL are escaped.
enum class HighBytes { Utf8, Legacy };
std::string ShownText(std::string_view text, HighBytes high = HighBytes::Utf8);

// A message of several lines on one line (a log field, a terminal line): each run of line breaks
// becomes one blank; leading and trailing blanks go.
std::string OneLine(std::string_view text);

// What every line the command line prints goes through: OneLine, then ShownText.
std::string ShownLine(std::string_view text, HighBytes high = HighBytes::Utf8);

} // namespace zt
