// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/freq.h"
#include "codec/numbers.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

class FreqTest : public ::testing::Test {
  protected:
    FreqTest() { app.prompter = &prompter; }
    AppState app; // band 25.615 - 30.105 MHz
    RecordingPrompter prompter;

    static std::string Nul7() { return std::string(7, '\0'); }
};

TEST_F(FreqTest, StorageForm) {
    struct Case {
        const char* display;
        const char* stored;
    } cases[] = {
        {"27.615", "02761500"},
        {"27", "02700000"},
        {"27.6112567", "02761125"},
        {"27.6", "02760000"},
        {"27.61125", "02761125"},
        {"5", "00500000"},
        {".5", "00050000"},
        {"027.615", "02761500"},
        {" 27.615 ", "02761500"},
        {"+27.6", "02760000"},
        {"abc", "02561500"},
        {"-27.6", "02561500"},
        {"", ""},
        {"   ", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StorageForm(app, c.display), c.stored) << '"' << c.display << '"';
    EXPECT_TRUE(prompter.asked.empty());

    ChannelRecord r;
    r.RxFreq = StorageForm(app, "");
    EXPECT_EQ(r.RxFreq.raw(), "        ");
}

TEST_F(FreqTest, RxText) {
    struct Case {
        std::string stored;
        const char* display;
    } cases[] = {
        {"02761125", "27.61125"}, {"02700000", "27.00000"},   {"        ", ""},
        {"FFFFFFFF", ""},         {std::string(8, '\0'), ""}, {"0276112 ", "27.61120"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RxText(app, c.stored), c.display) << '"' << c.stored << '"';
    EXPECT_TRUE(prompter.asked.empty());

    // Junk shows as the band's low edge; the text only says so, telling the user is the windows' part.
    EXPECT_EQ(RxText(app, "02X61125"), "25.615");
    EXPECT_TRUE(prompter.asked.empty());
    for (const auto& c : cases)
        EXPECT_FALSE(StoredRxIsJunk(c.stored)) << '"' << c.stored << '"';
    EXPECT_TRUE(StoredRxIsJunk("02X61125"));
}

TEST_F(FreqTest, OffsetAndTxTexts) {
    struct OffsetCase {
        std::string offset;
        int dir;
        const char* text;
    } offsets[] = {
        {"0010000", 2, "+0.10000"}, {"0010000", 1, "-0.10000"},  {"0010000", 0, "0.10000"},
        {"0010000", 7, "0.10000"},  {"1234567", 2, "+12.34567"}, {"       ", 2, "+0.00000"},
        {Nul7(), 1, "-0.00000"},    {"FFFFFFF", 2, "+0.00000"},  {"001000 ", 2, "+0.00000"},
        {"00A0000", 2, "+0.00000"},
    };
    for (const auto& c : offsets)
        EXPECT_EQ(OffsetText(c.offset, c.dir), c.text) << '"' << c.offset << "\" " << c.dir;

    struct TxCase {
        const char* rx;
        std::string offset;
        int dir;
        bool asOffset;
        const char* text;
    } txs[] = {
        {"02700000", "0010000", 2, false, "27.10000"}, {"02700000", "0010000", 2, true, "+0.10000"},
        {"02700000", "0010000", 1, false, "26.90000"}, {"02700000", "0010000", 0, false, "27.00000"},
        {"02700000", Nul7(), 0, true, "0.00000"},      {"        ", "0010000", 2, false, ""},
        {"FFFFFFFF", "0010000", 2, true, ""},
    };
    for (const auto& c : txs)
        EXPECT_EQ(TxText(app, c.rx, c.offset, c.dir, c.asOffset), c.text) << c.rx << " " << c.dir;
}

TEST_F(FreqTest, ParseTxText) {
    struct Case {
        const char* rx;
        const char* typed;
        bool asOffset;
        std::string offset;
        int dir;
        const char* newOffset;
        int newDir;
    } cases[] = {
        {"02700000", "26.90000", false, Nul7(), 0, "0010000", 1},
        {"02700000", "27.60000", false, Nul7(), 0, "0060000", 2},
        {"02700000", "27.00000", false, "0020000", 2, "0020000", 0}, // TX = RX keeps the magnitude
        {"02700000", "+0.5", true, Nul7(), 0, "0050000", 2},
        {"02700000", "-0.5", true, Nul7(), 0, "0050000", 1},
        {"02700000", "0.5", true, "0010000", 2, "0050000", 0},
        {"02700000", "", false, "0030000", 2, "0030000", 0}, // nothing typed: simplex, magnitude kept
        {"02700000", "abc", false, "0030000", 1, "0030000", 0},
        {"        ", "27.1", false, "0030000", 2, "0030000", 0}, // no RX
        {"02700000", "+150", true, Nul7(), 0, "9999999", 2},     // seven digits cannot hold 150 MHz
    };
    for (const auto& c : cases) {
        const TxOffsetValue v = ParseTxText(app, c.rx, c.typed, c.asOffset, c.offset, c.dir);
        EXPECT_EQ(v.offset, c.newOffset) << c.typed;
        EXPECT_EQ(v.dir, c.newDir) << c.typed;
    }
}

TEST_F(FreqTest, SnapFrequencyFromTheLowEdge) {
    struct Case {
        double in;
        int group;
        double out;
    } cases[] = {
        {27.617, 0, 27.615}, {27.61125, 6, 27.61125}, {27.61125, 0, 27.61}, {27.61225, 6, 27.61},
        {27.615, 0, 27.615}, {25.615, 0, 25.615},     {30.105, 3, 30.105},  {27.61999, 0, 27.615},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFixed5(SnapFrequency(app, c.in, c.group)), FormatFixed5(c.out))
            << c.in << " g" << c.group;
    EXPECT_EQ(Units(27.61125), 2761125);
    EXPECT_EQ(Units(0.000005), 0); // half a unit goes to the even neighbour
    EXPECT_EQ(Units(0.000015), 2);
}

TEST_F(FreqTest, CheckFrequencyReportsAndSubstitutesBandEdges) {
    ASSERT_TRUE(app.lang.load(std::string(ZT_DATA_DIR) + "/language/english.ini"));
    ASSERT_FALSE(app.LangText(9021).empty());
    struct Case {
        const char* typed;
        int group;
        const char* result;
        bool reported;
    } cases[] = {
        {"25.6", 0, "25.61500", true},    {"30.105", 0, "30.10500", false},
        {"30.11", 0, "30.10500", true},   {"25.615", 0, "25.61500", false},
        {"27.617", 0, "27.61500", false}, {"27.61125", 6, "27.61125", false},
        {"abc", 0, "25.61500", true},     {"", 0, "25.61500", true},
        {"-27", 0, "25.61500", true},
    };
    for (const auto& c : cases) {
        prompter.asked.clear();
        EXPECT_EQ(CheckFrequency(app, c.typed, c.group), c.result) << c.typed;
        ASSERT_EQ(prompter.asked.size(), c.reported ? 1u : 0u) << c.typed;
        if (c.reported) {
            EXPECT_EQ(prompter.asked[0].text, app.LangText(9021));
            EXPECT_EQ(prompter.asked[0].icon, Icon::Warning);
            EXPECT_EQ(prompter.asked[0].buttons, Buttons::Ok);
        }
    }
}

TEST_F(FreqTest, SnapChannelClassifiesAndMovesOntoTheGrid) {
    // Units from the low edge 25.615 MHz (2561500 units of 10 Hz).
    struct Case {
        const char* rx;
        const char* snappedRx;
        int rxClass;
    } cases[] = {
        {"02561500", "02561500", 0}, // the edge itself
        {"02562000", "02562000", 0}, // +5 kHz
        {"02562125", "02562125", 1}, // +6.25 kHz
        {"02563166", "02563166", 2}, // +16.66 kHz
        {"02563999", "02564000", 2}, // +24.99 kHz goes up to the 25 kHz point
        {"02562333", "02562333", 2}, // +8.33 kHz
        {"02562400", "02562000", 0}, // on no grid: down to 5 kHz
    };
    for (const auto& c : cases) {
        ChannelRecord r;
        r.RxFreq = c.rx;
        r.TxOffset = Nul7();
        r.RxStepClass = 9;
        SnapChannel(app, r);
        EXPECT_EQ(r.RxFreq.raw(), c.snappedRx) << c.rx;
        EXPECT_EQ(r.RxStepClass, c.rxClass) << c.rx;
        EXPECT_EQ(r.TxStepClass, c.rxClass) << c.rx;
    }
}

TEST_F(FreqTest, SnapChannelMovesTxAndRecomputesTheOffset) {
    ChannelRecord r;
    r.RxFreq = "02700000";
    r.TxOffsetDir = 2;
    r.TxOffset = "0010240"; // TX 27.1024: on no grid, lowered to 27.10
    SnapChannel(app, r);
    EXPECT_EQ(r.RxFreq.raw(), "02700000");
    EXPECT_EQ(r.TxOffset.raw(), "0010000");
    EXPECT_EQ(r.TxOffsetDir, 2);
    EXPECT_EQ(r.TxStepClass, 0);

    // RX 27.00000 is 138500 units above the low edge.
    struct Case {
        int dir;
        const char* offset;
        int txClass;
        const char* newOffset;
        int newDir;
    } cases[] = {
        {2, "0000666", 2, "0000666", 2}, // TX 27.00666: 8.33 kHz grid
        {1, "0000167", 2, "0000167", 1}, // TX 26.99833: 8.33 kHz grid
        {2, "0000250", 1, "0000250", 2}, // TX 27.00250: 6.25 kHz grid
        {2, "0001499", 2, "0001500", 2}, // TX 27.01499: 10 Hz under a 25 kHz point, raised onto it
        {1, "0000100", 0, "0000500", 1}, // TX 26.99900: on no grid, lowered to 26.995
    };
    for (const auto& c : cases) {
        ChannelRecord t;
        t.RxFreq = "02700000";
        t.TxOffsetDir = static_cast<std::uint8_t>(c.dir);
        t.TxOffset = c.offset;
        SnapChannel(app, t);
        EXPECT_EQ(t.RxFreq.raw(), "02700000") << c.offset;
        EXPECT_EQ(t.TxStepClass, c.txClass) << c.offset;
        EXPECT_EQ(t.TxOffset.raw(), c.newOffset) << c.offset;
        EXPECT_EQ(t.TxOffsetDir, c.newDir) << c.offset;
    }

    // Blank or erased RX: nothing changes at all.
    for (const char* rx : {"        ", "FFFFFFFF", "027 0000"}) {
        ChannelRecord blank;
        blank.RxFreq = rx;
        blank.TxOffsetDir = 2;
        blank.TxOffset = "0012345";
        blank.RxStepClass = 7;
        const ChannelRecord before = blank;
        SnapChannel(app, blank);
        EXPECT_EQ(blank, before) << rx;
    }
}

} // namespace
} // namespace zt
