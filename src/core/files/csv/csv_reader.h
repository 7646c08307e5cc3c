// SPDX-License-Identifier: GPL-3.0-or-later
// Splits CSV text into records. This is the one place that decides quoting:
//
// - a field whose first character (after blanks) is '"' is quoted: it runs to the next lone '"',
//   and holds separators, line breaks and doubled quotes ("" is one '"');
// - after the closing quote, blanks are dropped; any other character continues the field as
//   plain text, in which a '"' is just a character (as Python's csv module reads it);
// - in a plain field every character up to the separator or the line end is the field's;
// - CRLF, LF and a lone CR each end a line; blank lines are no records;
// - a record whose first field starts with '#' is a comment (other tools keep notes that way)
//   and is skipped;
// - a quoted field still open at the end of the text refuses the whole text, naming the line
//   where its quote opened: the rows after it would otherwise vanish into one field.
//
// Fields grow by appending to a string, so a field of any length costs amortised constant time
// per character; only one record is held at a time.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zt::csv {

struct Record {
    int line = 0; // the line where the record starts (1 = first line of the text)
    std::vector<std::string> fields;
};

struct ReadResult {
    bool quoteNotClosed = false;
    int quoteLine = 0;    // where the quote that never closes opened
    int commentLines = 0; // records skipped as comments
};

// Hands each record of `text` (UTF-8, no byte-order mark) to `onRecord` as soon as it is complete.
ReadResult ReadRecords(std::string_view text, char separator, const std::function<void(Record&)>& onRecord);

} // namespace zt::csv
