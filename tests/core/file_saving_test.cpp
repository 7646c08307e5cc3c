// SPDX-License-Identifier: GPL-3.0-or-later
// Saving files: what a full disk, a folder in a file's place or a name without ".dat" do to a
// save, the flush of every written file, and the names and reasons the messages give.
#include "files/data_files.h"
#include "files/file_io.h"
#include "files/ini_file.h"
#include "model/channel_table.h"
#include "temp_dir.h"
#include "util/shown_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace zt;
using zt::test::TempDir;

namespace {

namespace fs = std::filesystem;

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

// Makes one step fail with `err` for files whose name contains `part` while it is alive.
class FaultAt {
  public:
    FaultAt(FileStep step, int err, std::string part = {}) {
        previous_ = SetFileFaultHook([=](FileStep s, const std::string& path) {
            return s == step && path.find(part) != std::string::npos ? err : 0;
        });
    }
    ~FaultAt() { SetFileFaultHook(previous_); }
    FaultAt(const FaultAt&) = delete;
    FaultAt& operator=(const FaultAt&) = delete;

  private:
    FileFaultHook previous_;
};

class Saving : public ::testing::Test {
  protected:
    void SetUp() override {
        app.lang.load(std::string(ZT_DATA_DIR) + "/language/english.ini");
        app.prompter = &prompter;
        app.versions.pairs = {{"V300", "V300"}};
    }

    Document MakeDoc(int channels) {
        Document d;
        d.work.settings.Version = "V300";
        for (int i = 0; i < channels; ++i)
            AppendChannel(app, d.work, 401 + i, "28.00000");
        d.file = d.work;
        return d;
    }

    bool Save(Document& d, const std::string& path) {
        app.DocFileName = path;
        prompter.asked.clear();
        return SaveDocument(app, d);
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(dir.path()))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

    TempDir dir;
    AppState app;
    RecordingPrompter prompter;
};

} // namespace

// A failure at any step of writing either file fails the save with the file and the system's
// reason; before the renames the previous pair stays exactly as it was and nothing is left over.
TEST_F(Saving, AFailingWriteFlushOrCloseFailsTheSaveAndKeepsThePreviousPair) {
    struct Case {
        FileStep step;
        const char* file; // part of the failing file's name
    };
    const Case cases[] = {
        {FileStep::Create, "radio.dat"}, {FileStep::Write, "radio.dat"},  {FileStep::Write, "radio.fre"},
        {FileStep::Flush, "radio.fre"},  {FileStep::Close, "radio.dat"},  {FileStep::Close, "radio.fre"},
        {FileStep::Rename, "radio.dat"}, {FileStep::Rename, "radio.fre"},
    };
    Document old = MakeDoc(2);
    ASSERT_TRUE(Save(old, dir.path("radio.dat")));
    const std::string oldDat = dir.read("radio.dat"), oldFre = dir.read("radio.fre");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " step " + std::to_string(static_cast<int>(c.step)));
        Document d = MakeDoc(5);
        d.work.settings.Options.Features.TotTime = 3;
        {
            FaultAt full(c.step, ENOSPC, c.file);
            EXPECT_FALSE(Save(d, dir.path("radio.dat")));
        }
        ASSERT_EQ(prompter.asked.size(), 1u);
        const std::string& shown = prompter.asked[0].text;
        EXPECT_EQ(FirstLine(shown), app.LangText(9002));
        EXPECT_NE(shown.find(dir.path(c.file)), std::string::npos) << shown;
        EXPECT_NE(shown.find(std::strerror(ENOSPC)), std::string::npos) << shown;
        EXPECT_TRUE(IsModified(d)); // the changes still count as unsaved
        EXPECT_EQ(dir.read("radio.dat"), oldDat);
        EXPECT_EQ(dir.read("radio.fre"), oldFre);
        EXPECT_EQ(Names(), (std::vector<std::string>{"radio.dat", "radio.fre"}));
    }
}

// Every written file goes through write, flush, close, rename, and the folder is flushed after
// the rename; a folder that cannot be flushed fails the save, before the pair is replaced (the
// commit record could not be made sure of) and with nothing left beside it.
TEST_F(Saving, EveryFileIsFlushedBeforeItsRenameAndTheFolderAfter) {
    std::vector<std::pair<FileStep, std::string>> steps;
    const FileFaultHook previous = SetFileFaultHook([&](FileStep s, const std::string& path) {
        steps.emplace_back(s, fs::path(path).filename().string());
        return 0;
    });
    const std::vector<std::uint8_t> bytes = {'a', 'b'};
    const bool written = WriteFileReplacing(dir.path("one.bin"), bytes);
    SetFileFaultHook(previous);
    ASSERT_TRUE(written);
    ASSERT_EQ(steps.size(), 6u);
    const FileStep order[] = {FileStep::Create, FileStep::Write,  FileStep::Flush,
                              FileStep::Close,  FileStep::Rename, FileStep::FlushFolder};
    for (std::size_t i = 0; i < steps.size(); ++i)
        EXPECT_EQ(steps[i].first, order[i]) << i;
    EXPECT_EQ(steps[4].second, "one.bin");
    EXPECT_EQ(dir.read("one.bin"), "ab");

    Document d = MakeDoc(1);
    {
        FaultAt broken(FileStep::FlushFolder, EIO);
        EXPECT_FALSE(Save(d, dir.path("late.dat")));
    }
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_NE(prompter.asked[0].text.find(std::strerror(EIO)), std::string::npos);
    EXPECT_TRUE(IsModified(d));
    EXPECT_FALSE(dir.exists("late.dat"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"one.bin"}));
}

// A folder (or another kind of file) where either file of the pair goes is never removed or
// replaced: the save fails naming it, and whatever was there stays.
TEST_F(Saving, AFolderInThePlaceOfEitherFileStaysAndFailsTheSave) {
    struct Case {
        const char* folder;
        const char* otherFile; // a file of the pair that exists beside it
    };
    const Case cases[] = {{"x.fre", "x.dat"}, {"x.dat", "x.fre"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        fs::remove_all(dir.path());
        fs::create_directories(dir.path(c.folder) + "/inside");
        dir.write(std::string(c.folder) + "/inside/keep.txt", "precious");
        dir.write(c.otherFile, "previous");
        Document d = MakeDoc(3);
        EXPECT_FALSE(Save(d, dir.path("x.dat")));
        EXPECT_EQ(dir.read(std::string(c.folder) + "/inside/keep.txt"), "precious");
        EXPECT_EQ(dir.read(c.otherFile), "previous");
        ASSERT_EQ(prompter.asked.size(), 1u);
        EXPECT_EQ(FirstLine(prompter.asked[0].text), app.LangText(9002));
        EXPECT_NE(prompter.asked[0].text.find(dir.path(c.folder) + ": " + std::strerror(EISDIR)),
                  std::string::npos)
            << prompter.asked[0].text;
        EXPECT_EQ(Names(), (std::vector<std::string>{"x.dat", "x.fre"}));
    }
#ifndef _WIN32
    // A named pipe where the channel file goes stays a pipe.
    fs::remove_all(dir.path());
    fs::create_directories(dir.path());
    ASSERT_EQ(::mkfifo(dir.path("p.fre").c_str(), 0600), 0);
    Document d = MakeDoc(1);
    EXPECT_FALSE(Save(d, dir.path("p.dat")));
    EXPECT_EQ(fs::symlink_status(dir.path("p.fre")).type(), fs::file_type::fifo);
    EXPECT_FALSE(dir.exists("p.dat"));
#endif
}

// Only names ending in ".dat" are saved, so that no two documents share a channel file.
TEST_F(Saving, ASettingsFileNameMustEndInDat) {
    struct Case {
        const char* name;
        bool saved;
        const char* channelFile;
    };
    const Case cases[] = {
        {"ab", false, ""},
        {"cd", false, ""},
        {"radio.da", false, ""},
        {"radio.dat.bak", false, ""},
        {"radio.fre", false, ""},
        {"radio.dat", true, "radio.fre"},
        {"RADIO.DAT", true, "RADIO.fre"},
        {"mixed.Dat", true, "mixed.fre"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsSettingsFileName(dir.path(c.name)), c.saved);
        Document d = MakeDoc(1);
        EXPECT_EQ(Save(d, dir.path(c.name)), c.saved);
        if (c.saved) {
            EXPECT_TRUE(dir.exists(c.name));
            EXPECT_TRUE(dir.exists(c.channelFile));
            EXPECT_TRUE(prompter.asked.empty());
        } else {
            ASSERT_EQ(prompter.asked.size(), 1u);
            EXPECT_EQ(prompter.asked[0].text, app.LangText(kNotASettingsFileName) + "\n" + dir.path(c.name));
        }
    }
    // Nothing but the accepted pairs was written: no "fre" shared by "ab" and "cd".
    EXPECT_EQ(Names(), (std::vector<std::string>{"RADIO.DAT", "RADIO.fre", "mixed.Dat", "mixed.fre",
                                                 "radio.dat", "radio.fre"}));
    EXPECT_FALSE(IsSettingsFileName("folder.dat/"));
    EXPECT_FALSE(IsSettingsFileName("dat"));
}

// A file that cannot be read is named with the system's reason; its content refused, by name.
TEST_F(Saving, RefusedOpensNameTheFileAndTheReason) {
    Document d = MakeDoc(2);
    ASSERT_TRUE(Save(d, dir.path("ok.dat")));
    fs::create_directories(dir.path("folder.dat"));
    struct Case {
        std::string path;
        int message;
        std::string detail;
    };
    const Case cases[] = {
        {dir.path("missing.dat"), 9002, dir.path("missing.dat") + ": " + std::strerror(ENOENT)},
        {dir.path("folder.dat"), 9002, dir.path("folder.dat") + ": " + std::strerror(EISDIR)},
        {dir.write("short.dat", "V300"), 9033, dir.path("short.dat")},
        {dir.write("text.dat", "hello"), 9065, dir.path("text.dat")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        prompter.asked.clear();
        Document other = MakeDoc(1);
        EXPECT_EQ(OpenDocument(app, other, c.path), OpenResult::Refused);
        ASSERT_EQ(prompter.asked.size(), 1u);
        EXPECT_EQ(prompter.asked[0].text, app.LangText(c.message) + "\n" + c.detail);
    }
    // The channel file is the one named when it is the one that cannot be read.
    {
        FaultAt unreadable(FileStep::Open, EACCES, "ok.fre");
        prompter.asked.clear();
        Document other = MakeDoc(1);
        EXPECT_EQ(OpenDocument(app, other, dir.path("ok.dat")), OpenResult::Refused);
        ASSERT_EQ(prompter.asked.size(), 1u);
        EXPECT_EQ(prompter.asked[0].text,
                  app.LangText(9002) + "\n" + dir.path("ok.fre") + ": " + std::strerror(EACCES));
    }
    // A file name with control characters is shown escaped.
    prompter.asked.clear();
    Document other = MakeDoc(1);
    EXPECT_EQ(OpenDocument(app, other, dir.path("bad\x1b[31m\n.dat")), OpenResult::Refused);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_NE(prompter.asked[0].text.find("bad\\e[31m\\n.dat: "), std::string::npos)
        << prompter.asked[0].text;
}

// A settings file that exists but cannot be read is never replaced by one holding a single key.
TEST(IniWrite, AnUnreadableFileIsNotReplaced) {
    TempDir dir;
    const std::string path = dir.write("mysetup.ini", "[language]\nIsFirstRun=0\ncomPort=3\n");
    {
        FaultAt unreadable(FileStep::Open, EACCES, "mysetup.ini");
        EXPECT_FALSE(WriteIniString(path, "language", "comPort", "4"));
    }
    EXPECT_EQ(dir.read("mysetup.ini"), "[language]\nIsFirstRun=0\ncomPort=3\n");
    EXPECT_TRUE(WriteIniString(path, "language", "comPort", "4"));
    EXPECT_EQ(ReadIniString(path, "language", "IsFirstRun"), "0");
    EXPECT_EQ(ReadIniString(path, "language", "comPort"), "4");

    // A write that fails leaves the file as it was and says why.
    IniFile ini;
    ini.setValue("a", "b", "c");
    FileError error;
    {
        FaultAt full(FileStep::Write, ENOSPC);
        EXPECT_FALSE(ini.saveFile(path, &error));
    }
    EXPECT_EQ(error.path, path);
    EXPECT_EQ(error.reason, std::strerror(ENOSPC));
    EXPECT_EQ(ReadIniString(path, "language", "comPort"), "4");
}

TEST(ShownTextTest, ControlCharactersAreEscapedAndUtf8Kept) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"plain text 1.dat", "plain text 1.dat"},
        {"CR\rLF\nTAB\tNUL" + std::string(1, '\0') + "end", "CR\\rLF\\nTAB\\tNUL\\0end"},
        {"\x1b[2J\x1b]0;title\a", "\\e[2J\\e]0;title\\a"},
        {"del\x7f bell\x01", "del\\x7f bell\\x01"},
        {"\xc2\x9b"
         "31m",
         "\\u009b31m"}, // C1 CSI as UTF-8
        {"\x9b"
         "31m",
         "\\x9b31m"},                                     // C1 CSI as a lone byte
        {"\xe2\x80\xa8|\xe2\x80\xae", "\\u2028|\\u202e"}, // line separator, right-to-left override
        {"中文 Größe ✓", "中文 Größe ✓"},
        {"\xff\xfe\xc0\xaf", "\\xff\\xfe\\xc0\\xaf"}, // not UTF-8, overlong slash
        {"cut \xe4\xb8", "cut \\xe4\\xb8"},
        {"C:\\radio\\a.dat", "C:\\radio\\a.dat"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShownText(c.in), c.out) << c.out;
    // A text in a legacy code page keeps its bytes; its control characters (C1 bytes too) are still
    // escaped.
    EXPECT_EQ(ShownText("\xc4\xe3\xba\xc3\x9b\r\x1b", HighBytes::Legacy), "\xc4\xe3\xba\xc3\\x9b\\r\\e");
}
