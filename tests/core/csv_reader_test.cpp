// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/csv/csv_reader.h"
#include "files/csv/csv_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zt::csv {
namespace {

// "line:field|field" per record.
std::vector<std::string> Split(std::string_view text, char separator, ReadResult* result = nullptr) {
    std::vector<std::string> out;
    const ReadResult r = ReadRecords(text, separator, [&](Record& rec) {
        std::string s = std::to_string(rec.line) + ":";
        for (std::size_t i = 0; i < rec.fields.size(); ++i)
            s += (i ? "|" : "") + rec.fields[i];
        out.push_back(s);
    });
    if (result)
        *result = r;
    return out;
}

TEST(CsvReader, QuotingIsDecidedInOnePlace) {
    struct Case {
        const char* text;
        char separator;
        std::vector<std::string> records;
        int quoteLine; // 0: every quote closes
    };
    const Case cases[] = {
        {"a,b\r\n1,2\r\n", ',', {"1:a|b", "2:1|2"}, 0},
        // Separators, doubled quotes and line breaks inside quotes; records know their first line.
        {"1,\"x, \"\"y\"\"\r\nz\",3\n4,5", ',', {"1:1|x, \"y\"\r\nz|3", "3:4|5"}, 0},
        // A closing quote followed by more text: the rest is plain text, its quotes characters,
        // so the rows after it are read (they used to vanish into one field).
        {"300,28.000000,\"a\" \"\"\r\n301,28.1,b\r\n302,28.2,c\r\n",
         ',',
         {"1:300|28.000000|a \"\"", "2:301|28.1|b", "3:302|28.2|c"},
         0},
        {"1,\"a\"b,c\n", ',', {"1:1|ab|c"}, 0},
        // A quote inside a plain field is a character.
        {"1,a\"b,c\n2,d\n", ',', {"1:1|a\"b|c", "2:2|d"}, 0},
        // Blanks before an opening quote and after a closing one are dropped.
        {"1, \"a,b\" ,c\n", ',', {"1:1|a,b|c"}, 0},
        // A quote that never closes refuses the text at the line where it opened, wherever the
        // text ends and whatever follows it.
        {"h\n1,\"oops\n2,a\n3,b\n", ',', {"1:h"}, 2},
        {"h\n1,\"a\"\"\n", ',', {"1:h"}, 2},
        {"h\n1,\"a\" \"\n2,b\n", ',', {"1:h", "2:1|a \"", "3:2|b"}, 0},
        {"\"", ',', {}, 1},
        // Line ends: CRLF, LF and a lone CR; blank lines are no records.
        {"a\r\n\r\n\nb\rc\n\r\nd", ',', {"1:a", "4:b", "5:c", "7:d"}, 0},
        // Comment lines (first field starting with '#', quoted or not) are skipped anywhere.
        {"# saved by another tool\nLocation,Frequency\n1,28\n\"# a, b\"\n2,29\n#x,y\n",
         ',',
         {"2:Location|Frequency", "3:1|28", "5:2|29"},
         0},
        // Semicolons and tabs; with tabs, a tab is no blank.
        {"1;\"a;b\";29,6\n", ';', {"1:1|a;b|29,6"}, 0},
        {"1\t\ta b\t\n", '\t', {"1:1||a b|"}, 0},
    };
    for (const Case& c : cases) {
        ReadResult result;
        const auto records = Split(c.text, c.separator, &result);
        EXPECT_EQ(result.quoteNotClosed, c.quoteLine != 0) << c.text;
        EXPECT_EQ(result.quoteLine, c.quoteLine) << c.text;
        if (c.quoteLine == 0)
            EXPECT_EQ(records, c.records) << c.text;
        else // what came before the open quote may have been read, never what follows it
            EXPECT_TRUE(std::equal(records.begin(), records.end(), c.records.begin(), c.records.end()))
                << c.text;
    }
    ReadResult result;
    Split("#1\n#2\na\n", ',', &result);
    EXPECT_EQ(result.commentLines, 2);
}

TEST(CsvReader, LongFieldsAndRowsAreReadWhole) {
    // A field of 2 MB, quoted and plain, and a row of 100,000 fields.
    const std::string big(2 * 1024 * 1024, 'a');
    std::vector<std::size_t> sizes;
    const ReadResult r = ReadRecords("1,\"" + big + "\"\n2," + big + "\n", ',', [&](Record& rec) {
        sizes.push_back(rec.fields.at(1).size());
        EXPECT_EQ(rec.fields.at(1), big);
    });
    EXPECT_FALSE(r.quoteNotClosed);
    EXPECT_EQ(sizes, (std::vector<std::size_t>{big.size(), big.size()}));
    std::string wide;
    for (int i = 0; i < 100000; ++i)
        wide += "x,";
    std::size_t fields = 0;
    ReadRecords(wide, ',', [&](Record& rec) { fields = rec.fields.size(); });
    EXPECT_EQ(fields, 100001u);
}

TEST(CsvText, EncodingsByByteOrderMark) {
    struct Case {
        std::string bytes;
        Encoding encoding;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        {"a,b", Encoding::Utf8, "a,b"},
        {"\xEF\xBB\xBF"
         "a",
         Encoding::Utf8Bom, "a"},
        {std::string("\xFF\xFE"
                     "a\0\t\0\xFC\0",
                     8),
         Encoding::Utf16Le, "a\t\xC3\xBC"},
        {std::string("\xFE\xFF\0a\0\t\0\xFC", 8), Encoding::Utf16Be, "a\t\xC3\xBC"},
        // A pair of surrogates is one character; a lone one is a replacement character.
        {std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), Encoding::Utf16Le, "\xF0\x9F\x98\x80"},
        {std::string("\xFF\xFE\x3D\xD8"
                     "a\0",
                     6),
         Encoding::Utf16Le,
         "\xEF\xBF\xBD"
         "a"},
        {std::string("\xFF\xFE\x00\xDE", 4), Encoding::Utf16Le, "\xEF\xBF\xBD"},
        // UTF-16 cut in the middle of a code unit.
        {std::string("\xFF\xFE"
                     "a\0b",
                     5),
         Encoding::Utf16Le, std::nullopt},
    };
    for (const Case& c : cases) {
        Encoding e = Encoding::Utf8;
        EXPECT_EQ(DecodeText(c.bytes, e), c.text) << c.bytes;
        EXPECT_EQ(e, c.encoding) << c.bytes;
    }
}

TEST(CsvText, SeparatorFromTheHeaderLine) {
    struct Case {
        const char* text;
        char separator;
    };
    const Case cases[] = {
        {"Location,Frequency,Name\n", ','},
        {"Location;Frequency;Name\n1;29,600;a,b,c,d\n", ';'},
        {"Location\tFrequency\tName\n", '\t'},
        // Separators inside quotes do not count; comment and blank lines are passed over.
        {"\"a;b;c\",Location,Frequency\n", ','},
        {"# made with a; b; c\n\n\"# x;y;z\"\nLocation\tFrequency\n", '\t'},
        {"Location\n", ','},
        {"", ','},
        {"a;b,c\n", ','}, // as many of each: the comma
    };
    for (const Case& c : cases)
        EXPECT_EQ(DetectSeparator(c.text), c.separator) << c.text;
}

} // namespace
} // namespace zt::csv
