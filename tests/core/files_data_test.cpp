// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/data_files.h"
#include "model/channel_table.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <random>
#include <system_error>

using namespace zt;
using zt::test::TempDir;

namespace {

class DataFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        app.lang.load(std::string(ZT_DATA_DIR) + "/language/english.ini");
        app.prompter = &prompter;
        app.ParentDir = dir.path();
        app.versions.pairs = {{"V300", "V300"}};
    }

    // A document with `n` channels (numbers 1, 3, 5, ...) and a few settings set.
    Document MakeDoc(int n) {
        Document d;
        d.work.settings.Version = "V300";
        d.work.settings.GroupNames[2] = "EU";
        d.work.settings.Options.Features.TotTime = 7;
        for (int i = 0; i < n; ++i)
            AppendChannel(app, d.work, 2 * i + 1, "27.615");
        if (n > 0)
            d.work.channels[0].Mode = 1;
        d.file = d.work;
        return d;
    }

    // Saves a document with `n` channels as name.dat / name.fre and returns the settings path.
    std::string SavePair(const std::string& name, int n) {
        Document d = MakeDoc(n);
        app.DocFileName = dir.path(name + ".dat");
        EXPECT_TRUE(SaveDocument(app, d));
        return app.DocFileName;
    }

    std::vector<std::uint8_t> Bytes(const std::string& path) {
        const std::string s = dir.read(std::filesystem::path(path).filename().string());
        return {s.begin(), s.end()};
    }

    TempDir dir;
    AppState app;
    RecordingPrompter prompter;
};

bool SameCopy(const DocumentCopy& a, const DocumentCopy& b) {
    return a.settings == b.settings && a.channels == b.channels;
}

// A refusal's message: its first line, then the file it concerns.
std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

void PutI16(std::vector<std::uint8_t>& b, std::size_t at, int v) {
    b[at] = static_cast<std::uint8_t>(v & 0xFF);
    b[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

} // namespace

TEST(ChannelFile, LastThreeCharactersOfTheNameBecomeFre) {
    const std::pair<const char*, const char*> cases[] = {
        {"radio.dat", "radio.fre"},   {"abc", "fre"},       {"/x/y.DAT", "/x/y.fre"}, {"dir/ab", "dir/fre"},
        {"dir\\a.dat", "dir\\a.fre"}, {"x.datx", "x.dfre"},
    };
    for (const auto& [dat, fre] : cases)
        EXPECT_EQ(ChannelFilePath(dat), fre) << dat;
}

TEST_F(DataFiles, SaveAndOpenRoundTripThroughRealFiles) {
    Document saved = MakeDoc(3);
    saved.work.settings.Version = "\xFF\xFF\xFF\xFF"; // as a damaged template could leave it
    saved.work.channels[2].TxOffset = "0010000";
    saved.work.channels[2].TxOffsetDir = 2;
    app.DocFileName = dir.path("radio.dat");
    app.IsUntitled = true;
    ASSERT_TRUE(SaveDocument(app, saved));
    EXPECT_FALSE(app.IsUntitled);
    EXPECT_EQ(dir.read("radio.dat").size(), kSettingsRecordSize);
    EXPECT_EQ(dir.read("radio.fre").size(), 3 * kChannelRecordSize);
    EXPECT_TRUE(SameCopy(saved.file, saved.work)); // saving commits the working copy first
    EXPECT_EQ(saved.file.settings.Model.ModelName.trimmed(), "ZT-450E");
    EXPECT_EQ(dir.read("radio.dat").substr(0, 4), "V300");

    Document opened = MakeDoc(0);
    app.DocFileName = "new.dat";
    app.IsUntitled = true;
    ASSERT_EQ(OpenDocument(app, opened, dir.path("radio.dat")), OpenResult::Opened);
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_EQ(app.DocFileName, dir.path("radio.dat"));
    EXPECT_FALSE(app.IsUntitled);
    EXPECT_EQ(opened.work.settings, saved.work.settings);
    EXPECT_EQ(opened.work.count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(opened.work.channels[i], saved.work.channels[i]) << i;
    EXPECT_TRUE(SameCopy(opened.work, opened.file));
    // No temporary files are left beside the pair.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST_F(DataFiles, SavingFewerChannelsOverALongerPairLeavesExactlyThoseChannels) {
    SavePair("radio", 20);
    const auto path = SavePair("radio", 5);
    EXPECT_EQ(dir.read("radio.fre").size(), 5 * kChannelRecordSize);
    // Opened over a document of 20 channels, nothing of those stays behind the five.
    Document d = MakeDoc(20);
    ASSERT_EQ(OpenDocument(app, d, path), OpenResult::Opened);
    EXPECT_EQ(d.work.count(), 5);
    for (const DocumentCopy* copy : {&d.work, &d.file})
        for (std::size_t i = 5; i < copy->channels.size(); ++i)
            ASSERT_EQ(copy->channels[i], ChannelRecord{}) << "slot " << i;
}

// A full table: all 481 channels, the last one 481 itself, save and open again unchanged.
TEST_F(DataFiles, FullTableOf481ChannelsOpensAgain) {
    Document full = MakeDoc(0);
    for (int n = kMaxChannels; n >= 1; --n) {
        ASSERT_TRUE(AppendChannel(app, full.work, n, n % 2 ? "27.615" : "28.30500"));
        full.work.channels[static_cast<std::size_t>(kMaxChannels - n)].CallCode = static_cast<i16>(n);
    }
    app.DocFileName = dir.path("full.dat");
    ASSERT_TRUE(SaveDocument(app, full));
    EXPECT_EQ(dir.read("full.fre").size(), kMaxChannels * kChannelRecordSize);

    Document opened = MakeDoc(2);
    ASSERT_EQ(OpenDocument(app, opened, app.DocFileName), OpenResult::Opened);
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_EQ(opened.work.count(), kMaxChannels);
    EXPECT_EQ(opened.work.channels, full.work.channels);
    EXPECT_TRUE(SameCopy(opened.work, opened.file));
}

// Every damaged pair is refused with its message and leaves both copies, the file name and the
// current model exactly as they were.
TEST_F(DataFiles, DamagedPairsAreRefusedAndChangeNothing) {
    constexpr std::size_t kCount = 4, kNo = 0; // offsets of ChannelCount and a record's ChannelNo
    struct Case {
        const char* name;
        std::function<void(std::vector<std::uint8_t>& dat, std::vector<std::uint8_t>& fre)> damage;
        int message;
    };
    std::mt19937 rng(7);
    const Case cases[] = {
        {"settings file one byte short", [](auto& dat, auto&) { dat.pop_back(); }, 9033},
        {"settings file one byte long", [](auto& dat, auto&) { dat.push_back(0); }, 9033},
        {"settings file empty", [](auto& dat, auto&) { dat.clear(); }, 9065},
        {"version X300", [](auto& dat, auto&) { dat[0] = 'X'; }, 9065},
        {"version V30A", [](auto& dat, auto&) { dat[3] = 'A'; }, 9065},
        {"version v300", [](auto& dat, auto&) { dat[0] = 'v'; }, 9065},
        {"negative channel count", [&](auto& dat, auto&) { PutI16(dat, kCount, -1); }, 9002},
        {"channel count 482", [&](auto& dat, auto&) { PutI16(dat, kCount, 482); }, 9002},
        {"channel file shorter than the count",
         [](auto& dat, auto& fre) {
             PutI16(dat, kCount, 4);
             (void)fre;
         },
         9002},
        {"channel file cut inside a record", [](auto&, auto& fre) { fre.resize(fre.size() - 1); }, 9002},
        {"channel number 0", [&](auto&, auto& fre) { PutI16(fre, kNo, 0); }, 9002},
        {"channel number 482", [&](auto&, auto& fre) { PutI16(fre, 2 * kChannelRecordSize + kNo, 482); },
         9002},
        {"repeated channel number", [&](auto&, auto& fre) { PutI16(fre, kChannelRecordSize + kNo, 1); },
         9002},
        {"random settings bytes",
         [&](auto& dat, auto&) {
             for (auto& b : dat)
                 b = static_cast<std::uint8_t>(rng());
             dat[0] = 'Q';
         },
         9065},
        {"random channel bytes",
         [&](auto&, auto& fre) {
             for (auto& b : fre)
                 b = static_cast<std::uint8_t>(rng());
             PutI16(fre, kNo, 1000);
         },
         9002},
    };
    const auto goodDat = Bytes(SavePair("good", 3));
    const auto goodFre = Bytes(dir.path("good.fre"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto dat = goodDat, fre = goodFre;
        c.damage(dat, fre);
        const auto path = dir.write("bad.dat", dat);
        dir.write("bad.fre", fre);

        Document d = MakeDoc(2);
        d.work.channels[1].Mode = 2; // working copy differs from the file copy
        const Document before = d;
        app.DocFileName = "mine.dat";
        app.IsUntitled = false;
        app.ModelNameText = "OTHER";
        prompter.asked.clear();
        EXPECT_EQ(OpenDocument(app, d, path), OpenResult::Refused);
        ASSERT_EQ(prompter.asked.size(), 1u);
        EXPECT_EQ(FirstLine(prompter.asked[0].text), app.LangText(c.message));
        EXPECT_NE(prompter.asked[0].text.find("\n" + dir.path("bad.")), std::string::npos);
        EXPECT_TRUE(SameCopy(d.work, before.work));
        EXPECT_TRUE(SameCopy(d.file, before.file));
        EXPECT_EQ(app.DocFileName, "mine.dat");
        EXPECT_EQ(app.ModelNameText, "OTHER");

        // The template loader refuses the same pairs (its own version test aside).
        if (c.message != 9065) {
            prompter.asked.clear();
            EXPECT_FALSE(LoadWithChannels(app, d, path));
            ASSERT_EQ(prompter.asked.size(), 1u);
            EXPECT_EQ(FirstLine(prompter.asked[0].text), app.LangText(c.message));
            EXPECT_TRUE(SameCopy(d.work, before.work));
            EXPECT_TRUE(SameCopy(d.file, before.file));
        }
    }
}

TEST_F(DataFiles, MissingFilesAreReadErrors) {
    const auto path = SavePair("lonely", 2);
    std::filesystem::remove(dir.path("lonely.fre"));
    Document d = MakeDoc(1);
    const Document before = d;
    EXPECT_EQ(OpenDocument(app, d, path), OpenResult::Refused);
    EXPECT_EQ(OpenDocument(app, d, dir.path("nothing.dat")), OpenResult::Refused);
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_EQ(prompter.asked[0].text, app.LangText(9002) + "\n" + dir.path("lonely.fre") + ": " +
                                          std::generic_category().message(ENOENT));
    EXPECT_EQ(prompter.asked[1].text, app.LangText(9002) + "\n" + dir.path("nothing.dat") + ": " +
                                          std::generic_category().message(ENOENT));
    EXPECT_TRUE(SameCopy(d.work, before.work));

    // With no channels the channel file is not needed.
    const auto empty = SavePair("empty", 0);
    std::filesystem::remove(dir.path("empty.fre"));
    prompter.asked.clear();
    EXPECT_EQ(OpenDocument(app, d, empty), OpenResult::Opened);
    EXPECT_EQ(d.work.count(), 0);
    EXPECT_TRUE(prompter.asked.empty());
}

TEST_F(DataFiles, OtherVersionsAskToHandOverAndOtherwiseChangeNothing) {
    auto dat = Bytes(SavePair("v301", 2));
    dat[3] = '1';
    const auto path = dir.write("v301.dat", dat);
    const auto program = dir.write("V310/" + app.ProgramFileName, "x");
    std::vector<std::string> started;
    app.startProcess = [&](const std::string& p) {
        started.push_back(p);
        return true;
    };

    Document d = MakeDoc(1);
    const Document before = d;
    prompter.reply = Answer::No;
    EXPECT_EQ(OpenDocument(app, d, path), OpenResult::Refused);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, VersionMessage(app, "V300", "V301", 1));
    EXPECT_EQ(prompter.asked[0].buttons, Buttons::YesNo);
    EXPECT_TRUE(started.empty());

    // Yes, with no program version for V301: message 9063 and the document stays.
    prompter.reply = Answer::Yes;
    EXPECT_EQ(OpenDocument(app, d, path), OpenResult::Refused);
    EXPECT_EQ(prompter.asked.back().text, app.LangText(9063));

    app.versions.pairs.push_back({"V310", "V301"});
    EXPECT_EQ(OpenDocument(app, d, path), OpenResult::HandedOver);
    EXPECT_EQ(started, std::vector<std::string>{program});
    EXPECT_TRUE(SameCopy(d.work, before.work));
    EXPECT_TRUE(SameCopy(d.file, before.file));

    // A table that pairs V300 with V301 opens the file as this program's own version.
    app.versions.pairs = {{"V300", "V301"}};
    prompter.asked.clear();
    EXPECT_EQ(OpenDocument(app, d, path), OpenResult::Opened);
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_EQ(d.file.settings.Version.raw(), "V300");
    // Files of this program's own version open even without a version table.
    app.versions.pairs.clear();
    EXPECT_EQ(OpenDocument(app, d, SavePair("own", 1)), OpenResult::Opened);
}

TEST_F(DataFiles, FailedSaveKeepsThePreviousPair) {
    // The settings file cannot be replaced (a folder stands in its place): the channel file that
    // was already renamed into place is put back.
    std::filesystem::create_directories(dir.path("stuck.dat/inside"));
    const std::string oldFre = "old channels";
    dir.write("stuck.fre", oldFre);
    Document d = MakeDoc(2);
    CopyWorkingToFile(d);
    d.work.settings.Options.Features.ChannelGroup = 9; // an unsaved change
    ASSERT_TRUE(IsModified(d));
    app.DocFileName = dir.path("stuck.dat");
    app.IsUntitled = true;
    EXPECT_FALSE(SaveDocument(app, d));
    EXPECT_EQ(FirstLine(prompter.asked.back().text), app.LangText(9002));
    EXPECT_TRUE(app.IsUntitled);
    // What was not saved still counts as changed, so leaving the program still asks.
    EXPECT_TRUE(IsModified(d));
    EXPECT_EQ(dir.read("stuck.fre"), oldFre);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);

    app.DocFileName = dir.path("no/such/folder/x.dat");
    EXPECT_FALSE(SaveDocument(app, d));

    // A settings file named like its own channel file is never overwritten by the channels.
    app.DocFileName = dir.path("x.fre");
    EXPECT_FALSE(SaveDocument(app, d));
    EXPECT_FALSE(dir.exists("x.fre"));
}

TEST_F(DataFiles, SettingsOnlyLoadKeepsChannelsAndTheCurrentModel) {
    const auto path = SavePair("tmpl", 3);
    Document d = MakeDoc(2);
    const auto channels = d.work.channels;
    app.ModelNameText = "ZT-450E";
    d.work.settings.Options.Features.TotTime = 1;
    ASSERT_TRUE(LoadSettingsOnly(app, d, path));
    // The file says 3 channels, but its channel file is not read: the table keeps its own 2.
    EXPECT_EQ(d.work.count(), 2);
    EXPECT_EQ(d.work.settings.Options.Features.TotTime, 7);
    EXPECT_EQ(d.work.settings.Model.ModelName.trimmed(), "ZT-450E");
    EXPECT_EQ(d.work.channels, channels);
    EXPECT_TRUE(SameCopy(d.file, d.work));
}
