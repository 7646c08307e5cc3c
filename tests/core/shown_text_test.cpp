// SPDX-License-Identifier: GPL-3.0-or-later
// The one escaping rule for what the program shows of texts from outside: nothing shown is a
// control character, whether the text is UTF-8 (file names, ports, messages) or the radio's own
// bytes (a legacy code page), and a message of several lines becomes one line.
#include "util/shown_text.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

TEST(ShownText, NoControlCharacterReachesTheTerminal) {
    struct Case {
        const char* name;
        std::string in;
        HighBytes high;
        std::string shown;
    };
    const Case cases[] = {
        {"plain text", "ZT45000012", HighBytes::Utf8, "ZT45000012"},
        {"escape sequence in a port name", "/dev/tty\x1b[2JUSB0", HighBytes::Utf8, "/dev/tty\\e[2JUSB0"},
        {"line break in a path", "/tmp/a\nb.csv", HighBytes::Utf8, "/tmp/a\\nb.csv"},
        {"DEL",
         "a\x7F"
         "b",
         HighBytes::Utf8, "a\\x7fb"},
        {"UTF-8 C1 control (CSI)",
         "a\xC2\x9B"
         "31m",
         HighBytes::Utf8, "a\\u009b31m"},
        {"lone C1 byte in UTF-8 text",
         "a\x9B"
         "31m",
         HighBytes::Utf8, "a\\x9b31m"},
        {"UTF-8 Chinese kept", "\xE8\xAF\xBB\xE5\x86\x99", HighBytes::Utf8, "\xE8\xAF\xBB\xE5\x86\x99"},
        {"direction override",
         "a\xE2\x80\xAE"
         "b",
         HighBytes::Utf8, "a\\u202eb"},
        {"radio text: CSI byte",
         "SN\x9B"
         "2J",
         HighBytes::Legacy, "SN\\x9b2J"},
        {"radio text: ST byte", "SN\x9C", HighBytes::Legacy, "SN\\x9c"},
        {"radio text: first and last C1 bytes", "\x80\x9F", HighBytes::Legacy, "\\x80\\x9f"},
        {"radio text: bytes from 0xA0 kept", "caf\xE9 \xA0\xFF", HighBytes::Legacy, "caf\xE9 \xA0\xFF"},
        {"radio text: C0 and DEL", "a\x01\x07\x7F", HighBytes::Legacy, "a\\x01\\a\\x7f"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ShownText(c.in, c.high), c.shown);
    }
}

TEST(ShownText, ALineOfAMessageIsOneEscapedLine) {
    struct Case {
        std::string in;
        std::string shown;
    };
    const Case cases[] = {
        {"first\r\nsecond", "first second"},
        {"  port /dev/x\x1b]0;t\x07\r\n\r\nnext  ", "port /dev/x\\e]0;t\\a next"},
        {"folder\n/tmp/\x9B"
         "log.csv: is a folder",
         "folder /tmp/\\x9blog.csv: is a folder"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShownLine(c.in), c.shown) << c.in;
}

} // namespace
} // namespace zt
