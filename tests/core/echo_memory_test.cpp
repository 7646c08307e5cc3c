// SPDX-License-Identifier: GPL-3.0-or-later
// The echo settings remembered per port: readable keys, the most recent ports kept and the
// oldest dropped, the files of the earlier layout read, other sections kept.
#include "files/echo_memory.h"
#include "files/ini_file.h"

#include <gtest/gtest.h>

#include <string>

using namespace zt;

TEST(EchoMemory, KeysAreThePortPathsWithOnlyIniSyntaxEscaped) {
    const struct {
        std::string port, key;
    } cases[] = {
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0",
         "/dev/serial/by-id/usb-FTDI_FT232R_A1-if00-port0"},
        {"/tmp/a=b;c#d[e]", "/tmp/a%3Db%3Bc%23d%5Be%5D"},
        {" /x ", "%20/x%20"},
        {"/dev/50%", "/dev/50%25"},
        {"/tmp/line\nbreak", "/tmp/line%0Abreak"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EchoKeyOf(c.port), c.key);
        EXPECT_EQ(PortOfEchoKey(c.key), c.port);
        // Each survives the file: written, read back, found.
        IniFile ini;
        RememberNoEcho(ini, c.port, true);
        IniFile back;
        back.loadText(ini.toText());
        EXPECT_EQ(RememberedNoEcho(back, c.port), true) << ini.toText();
    }
}

TEST(EchoMemory, TheMostRecentPortsAreKeptAndTheFileStaysSmall) {
    IniFile ini;
    ini.loadText("[other]\nkeep=1\n");
    for (int i = 0; i < 1000; ++i)
        RememberNoEcho(ini, "/dev/pts/" + std::to_string(i), i % 2 == 0);
    RememberNoEcho(ini, "/dev/pts/990", false); // used again: first, with its new setting
    EXPECT_EQ(ini.keys("echo").size(), kRememberedPorts);
    EXPECT_EQ(ini.keys("echo").front(), "/dev/pts/990");
    EXPECT_EQ(RememberedNoEcho(ini, "/dev/pts/990"), false);
    EXPECT_EQ(RememberedNoEcho(ini, "/dev/pts/999"), false);
    EXPECT_EQ(RememberedNoEcho(ini, "/dev/pts/998"), true);
    EXPECT_EQ(RememberedNoEcho(ini, "/dev/pts/968"), true); // the 32nd most recent
    EXPECT_EQ(RememberedNoEcho(ini, "/dev/pts/967"), std::nullopt);
    EXPECT_EQ(RememberedNoEcho(ini, "/dev/pts/0"), std::nullopt);
    EXPECT_EQ(ini.text("other", "keep"), "1");
    EXPECT_LT(ini.toText().size(), 2000u);
}

// The earlier layout wrote every port percent-encoded twice; those settings are still found and
// the file is rewritten in the readable layout, within the limit.
TEST(EchoMemory, TheEarlierDoublyEncodedKeysAreReadAndReplaced) {
    IniFile ini;
    std::string text = "[echo]\n%252Fdev%252FttyUSB0=no-echo\n%252Fdev%252FttyUSB1=echo\n";
    for (int i = 0; i < 100; ++i)
        text += "%252Fdev%252Fpts%252F" + std::to_string(i) + "=echo\n";
    ini.loadText(text);
    EXPECT_EQ(RememberedNoEcho(ini, "/dev/ttyUSB0"), true);
    EXPECT_EQ(RememberedNoEcho(ini, "/dev/ttyUSB1"), false);
    RememberNoEcho(ini, "/dev/ttyACM0", true);
    const auto keys = ini.keys("echo");
    ASSERT_EQ(keys.size(), kRememberedPorts);
    EXPECT_EQ(keys[0], "/dev/ttyACM0");
    EXPECT_EQ(keys[1], "/dev/ttyUSB0");
    EXPECT_EQ(ini.toText().find("%25"), std::string::npos);
}
