// SPDX-License-Identifier: GPL-3.0-or-later
// The pair changes as one: a save killed at any step, two programs saving one pair at once, the
// lock that keeps a second saver out, hidden names that fit beside any valid name, and the
// clean-up of what interrupted saves left (and of nothing else).
#include "files/data_files.h"
#include "files/file_io.h"
#include "files/pair_commit.h"
#include "model/channel_table.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace zt;
using zt::test::TempDir;

namespace {

namespace fs = std::filesystem;

class PairCommit : public ::testing::Test {
  protected:
    void SetUp() override {
        app.lang.load(std::string(ZT_DATA_DIR) + "/language/english.ini");
        app.prompter = &prompter;
    }

    // A document of `channels` channels whose time-out setting is `tot`: two documents that
    // differ in both files.
    Document MakeDoc(int channels, int tot) {
        Document d;
        d.work.settings.Version = "V300";
        d.work.settings.Options.Features.TotTime = static_cast<std::int16_t>(tot);
        for (int i = 0; i < channels; ++i)
            AppendChannel(app, d.work, 401 + i, "28.00000");
        d.file = d.work;
        return d;
    }

    bool Save(Document d, const std::string& path) {
        app.DocFileName = path;
        prompter.asked.clear();
        return SaveDocument(app, d);
    }

    OpenResult Open(const std::string& path) {
        prompter.asked.clear();
        Document d = MakeDoc(1, 0);
        return OpenDocument(app, d, path);
    }

    std::vector<std::string> Names(const std::string& folder) const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(folder))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

    // The bytes of the pair `name` in `folder`: settings file, then channel file ("" when missing).
    std::pair<std::string, std::string> Pair(const TempDir& d, const std::string& name) const {
        const std::string fre = ChannelFilePath(name);
        return {d.exists(name) ? d.read(name) : "", d.exists(fre) ? d.read(fre) : ""};
    }

    TempDir dir;
    AppState app;
    RecordingPrompter prompter;
};

#ifndef _WIN32
enum class ChildEnd { Finished, Killed, Failed };

// Runs `work` in a child process that ends at once (as a kill does: no clean-up runs) when it
// reaches its file step number `killAt`.
ChildEnd RunKilledAt(int killAt, const std::function<bool()>& work) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        int step = 0;
        SetFileFaultHook([&](FileStep, const std::string&) {
            if (++step == killAt)
                ::_exit(77);
            return 0;
        });
        ::_exit(work() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status))
        return ChildEnd::Failed;
    return WEXITSTATUS(status) == 0 ? ChildEnd::Finished
                                    : (WEXITSTATUS(status) == 77 ? ChildEnd::Killed : ChildEnd::Failed);
}
#endif

} // namespace

#ifndef _WIN32
// A save killed at each of its steps in turn, over an existing pair and as the first save: the
// pair then opens as the old or the new document, never a mix and never without its channel
// file, and after that open nothing but the pair is left in the folder.
TEST_F(PairCommit, ASaveKilledAtAnyStepLeavesTheOldOrTheNewPair) {
    TempDir reference;
    ASSERT_TRUE(Save(MakeDoc(5, 1), reference.path("old.dat")));
    ASSERT_TRUE(Save(MakeDoc(2, 3), reference.path("new.dat")));
    const auto oldPair = Pair(reference, "old.dat");
    const auto newPair = Pair(reference, "new.dat");
    ASSERT_NE(oldPair, newPair);

    for (const bool firstSave : {false, true}) {
        SCOPED_TRACE(firstSave ? "first save" : "over an old pair");
        std::set<std::string> seen;
        int killAt = 1;
        for (;; ++killAt) {
            SCOPED_TRACE("killed at step " + std::to_string(killAt));
            fs::remove_all(dir.path());
            fs::create_directories(dir.path());
            if (!firstSave) {
                ASSERT_TRUE(Save(MakeDoc(5, 1), dir.path("radio.dat")));
            }
            const ChildEnd end =
                RunKilledAt(killAt, [&] { return Save(MakeDoc(2, 3), dir.path("radio.dat")); });
            ASSERT_NE(end, ChildEnd::Failed);
            const OpenResult opened = Open(dir.path("radio.dat"));
            const auto now = Pair(dir, "radio.dat");
            if (now == newPair) {
                EXPECT_EQ(opened, OpenResult::Opened);
                seen.insert("new");
            } else if (firstSave && now.first.empty()) {
                EXPECT_EQ(opened, OpenResult::Refused);
                seen.insert("none");
            } else {
                EXPECT_EQ(now, oldPair) << "a mixed or damaged pair";
                EXPECT_EQ(opened, OpenResult::Opened);
                seen.insert("old");
            }
            const auto names = Names(dir.path());
            if (now.first.empty())
                EXPECT_TRUE(names.empty()) << names.front();
            else
                EXPECT_EQ(names, (std::vector<std::string>{"radio.dat", "radio.fre"}));
            if (end == ChildEnd::Finished)
                break;
            ASSERT_LT(killAt, 200) << "the save never finished";
        }
        // The kills fell before and after the commit, and the save has steps enough to try.
        EXPECT_GT(killAt, 12);
        EXPECT_EQ(seen.count("new"), 1u);
        EXPECT_EQ(seen.count(firstSave ? "none" : "old"), 1u);
    }
}

// The open that finishes an interrupted commit may be killed too: whatever step it dies at, the
// next open still finds the old or the new pair, and cleans up.
TEST_F(PairCommit, AnOpenKilledWhileFinishingACommitIsFinishedByTheNextOpen) {
    TempDir reference;
    ASSERT_TRUE(Save(MakeDoc(5, 1), reference.path("x.dat")));
    const auto oldPair = Pair(reference, "x.dat");
    ASSERT_TRUE(Save(MakeDoc(2, 3), reference.path("x.dat")));
    const auto newPair = Pair(reference, "x.dat");
    int recoveriesKilled = 0;
    for (int saveKill = 1; saveKill < 60; ++saveKill) {
        fs::remove_all(dir.path());
        fs::create_directories(dir.path());
        ASSERT_TRUE(Save(MakeDoc(5, 1), dir.path("x.dat")));
        if (RunKilledAt(saveKill, [&] { return Save(MakeDoc(2, 3), dir.path("x.dat")); }) != ChildEnd::Killed)
            break;
        if (!fs::exists(PairRecordPath(dir.path("x.dat"))))
            continue; // killed before or after the commit: nothing for an open to finish
        for (int openKill = 1;; ++openKill) {
            SCOPED_TRACE("save killed at " + std::to_string(saveKill) + ", open at " +
                         std::to_string(openKill));
            const ChildEnd end =
                RunKilledAt(openKill, [&] { return Open(dir.path("x.dat")) == OpenResult::Opened; });
            ASSERT_NE(end, ChildEnd::Failed);
            if (end == ChildEnd::Finished)
                break;
            ++recoveriesKilled;
            const std::string datPath = dir.path("x.dat");
            // Whatever is on the disk now, the next open makes it whole.
            TempDir copy;
            fs::copy(dir.path(), copy.path(),
                     fs::copy_options::recursive | fs::copy_options::overwrite_existing);
            EXPECT_EQ(Open(copy.path("x.dat")), OpenResult::Opened);
            EXPECT_EQ(Pair(copy, "x.dat"), newPair); // the commit record was complete: it is finished
            EXPECT_EQ(Names(copy.path()), (std::vector<std::string>{"x.dat", "x.fre"}));
            ASSERT_LT(openKill, 100);
        }
        EXPECT_EQ(Pair(dir, "x.dat"), newPair);
        EXPECT_NE(Pair(dir, "x.dat"), oldPair);
    }
    EXPECT_GT(recoveriesKilled, 0);
}

// Two programs saving one pair over and over, and a third opening it meanwhile: every save
// reports what happened, every open finds one whole document, and the pair ends as one of them.
TEST_F(PairCommit, TwoProgramsSavingOnePairNeverMixIt) {
    constexpr int kRounds = 25;
    const std::string path = dir.path("shared.dat");
    ASSERT_TRUE(Save(MakeDoc(4, 2), path));
    TempDir reference;
    ASSERT_TRUE(Save(MakeDoc(3, 1), reference.path("a.dat")));
    ASSERT_TRUE(Save(MakeDoc(7, 5), reference.path("b.dat")));
    ASSERT_TRUE(Save(MakeDoc(4, 2), reference.path("c.dat")));
    const std::set<std::pair<std::string, std::string>> whole = {
        Pair(reference, "a.dat"), Pair(reference, "b.dat"), Pair(reference, "c.dat")};

    const auto spawn = [&](const std::function<int()>& work) {
        const pid_t pid = ::fork();
        if (pid == 0)
            ::_exit(work());
        return pid;
    };
    // Each child's exit status is the number of its failures.
    const pid_t a = spawn([&] {
        int failed = 0;
        for (int i = 0; i < kRounds; ++i)
            failed += Save(MakeDoc(3, 1), path) ? 0 : 1;
        return failed;
    });
    const pid_t b = spawn([&] {
        int failed = 0;
        for (int i = 0; i < kRounds; ++i)
            failed += Save(MakeDoc(7, 5), path) ? 0 : 1;
        return failed;
    });
    const pid_t reader = spawn([&] {
        int failed = 0;
        for (int i = 0; i < kRounds; ++i) {
            Document d = MakeDoc(1, 0);
            if (OpenDocument(app, d, path) != OpenResult::Opened) {
                ++failed;
                continue;
            }
            // What was read is one of the documents, channels and settings together.
            const PairBytes bytes = EncodePair(d.file);
            const int n = d.file.settings.ChannelCount;
            const int tot = d.file.settings.Options.Features.TotTime;
            failed += (n == 3 && tot == 1) || (n == 7 && tot == 5) || (n == 4 && tot == 2) ? 0 : 1;
            failed += bytes.channels.size() == static_cast<std::size_t>(n) * kChannelRecordSize ? 0 : 1;
        }
        return failed;
    });
    for (const pid_t pid : {a, b, reader}) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << (pid == reader ? "reader" : "saver");
    }
    EXPECT_EQ(whole.count(Pair(dir, "shared.dat")), 1u) << "a mixed pair";
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"shared.dat", "shared.fre"}));
}
#endif

// A save that finds the pair locked for longer than it waits fails, naming the file and the
// program that holds it, and the pair stays as it was; so does an open.
TEST_F(PairCommit, ASecondSaverWaitsABoundedTimeThenFailsNamingTheHolder) {
    const std::string path = dir.path("held.dat");
    ASSERT_TRUE(Save(MakeDoc(2, 1), path));
    const auto before = Pair(dir, "held.dat");
    const auto previousWait = SetPairLockWait(std::chrono::milliseconds(50));
    {
        PairLock holder;
        FileError error;
        ASSERT_EQ(holder.acquire(path, error), LockStatus::Held);
        EXPECT_EQ(PairLockHolder(path), static_cast<long>(::getpid()));

        EXPECT_FALSE(Save(MakeDoc(6, 4), path));
        ASSERT_EQ(prompter.asked.size(), 1u);
        const std::string expected =
            path + " is being saved by another program (pid " + std::to_string(::getpid()) + ")";
        EXPECT_NE(prompter.asked[0].text.find(expected), std::string::npos) << prompter.asked[0].text;
        EXPECT_EQ(Pair(dir, "held.dat"), before);

        EXPECT_EQ(Open(path), OpenResult::Refused);
        ASSERT_EQ(prompter.asked.size(), 1u);
        EXPECT_NE(prompter.asked[0].text.find(expected), std::string::npos) << prompter.asked[0].text;
    }
    SetPairLockWait(previousWait);
    // Once it is let go, the save goes through and the lock file is gone.
    EXPECT_TRUE(Save(MakeDoc(6, 4), path));
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"held.dat", "held.fre"}));
}

// The open mark: a second program opening a document that one has open learns who; the lock file
// stays while a document is open and goes with the last one.
TEST_F(PairCommit, TheOpenMarkNamesTheOtherProgramAndKeepsSavesPossible) {
    const std::string path = dir.path("open.dat");
    ASSERT_TRUE(Save(MakeDoc(2, 1), path));
    FileError error;
    PairLock first, second;
    ASSERT_EQ(first.acquire(path, error), LockStatus::Held);
    EXPECT_EQ(first.holdOpen(), 0); // nobody else has it open
    ASSERT_EQ(second.acquire(path, error), LockStatus::Held);
    EXPECT_EQ(second.holdOpen(), static_cast<long>(::getpid()));
    // Saving goes on while it is open elsewhere, and the mark survives the save.
    EXPECT_TRUE(Save(MakeDoc(3, 2), path));
    EXPECT_TRUE(fs::exists(PairLockPath(path)));
    second.release();
    first.release();
    EXPECT_FALSE(fs::exists(PairLockPath(path)));
}

// Every valid name saves: a 255-byte name, in ASCII and in UTF-8, gets hidden names that fit,
// never cut inside a character, and distinct for two long names that begin alike.
TEST_F(PairCommit, NamesOfTheLongestLengthSaveAndOpen) {
    const std::string ascii = std::string(251, 'a') + ".dat";
    std::string utf8;
    while (utf8.size() + 2 <= 250)
        utf8 += "\xc3\xa9"; // é
    utf8 += std::string(251 - utf8.size(), 'b') + ".dat";
    for (const std::string& name : {ascii, utf8, std::string(200, 'c') + ".dat"}) {
        SCOPED_TRACE(name.size());
        ASSERT_LE(name.size(), 255u);
        fs::remove_all(dir.path());
        fs::create_directories(dir.path());
        ASSERT_TRUE(Save(MakeDoc(3, 1), dir.path(name)))
            << (prompter.asked.empty() ? "" : prompter.asked[0].text);
        ASSERT_TRUE(Save(MakeDoc(4, 2), dir.path(name)))
            << (prompter.asked.empty() ? "" : prompter.asked[0].text);
        EXPECT_EQ(Open(dir.path(name)), OpenResult::Opened);
        EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{name, ChannelFilePath(name)}));
        for (const char* suffix : {"tmp", "probe"}) {
            const std::string side =
                fs::path(StagedFile::SideName(dir.path(name), suffix)).filename().string();
            EXPECT_LE(side.size(), 255u);
            // The name holds only two-byte characters: none of them is cut in the hidden name.
            EXPECT_EQ(std::count_if(side.begin(), side.end(), [](char c) { return (c & 0xC0) == 0xC0; }),
                      std::count_if(side.begin(), side.end(), [](char c) { return (c & 0xC0) == 0x80; }));
        }
    }
    EXPECT_NE(SideBase(std::string(250, 'a') + "1.dat"), SideBase(std::string(250, 'a') + "2.dat"));
    EXPECT_EQ(SideBase("/x/short.dat"), ".short.dat");
}

// An open removes what interrupted saves of this pair left, and nothing else: not another pair's,
// not a name that only looks alike, not a folder.
TEST_F(PairCommit, AnOpenRemovesOnlyTheLeftoversOfThisPairsSaves) {
    const std::string path = dir.path("r.dat");
    ASSERT_TRUE(Save(MakeDoc(2, 1), path));
    const std::vector<std::string> ours = {".r.dat.123456789.tmp", ".r.fre.42.tmp", "..r.dat.commit.7.tmp"};
    const std::vector<std::string> foreign = {".r.dat.backup",     ".r.dat.12a.tmp", "r.dat.1.tmp",
                                              ".other.dat.5.tmp",  ".r.dat..tmp",    ".r.dat.12345678901.tmp",
                                              ".r.fre.5.tmp.keep", "r.fre.old"};
    for (const auto& n : ours)
        dir.write(n, "partial");
    for (const auto& n : foreign)
        dir.write(n, "someone else's");
    fs::create_directories(dir.path(".r.dat.9.tmp"));
    EXPECT_EQ(Open(path), OpenResult::Opened);
    for (const auto& n : ours)
        EXPECT_FALSE(dir.exists(n)) << n;
    for (const auto& n : foreign)
        EXPECT_EQ(dir.read(n), "someone else's") << n;
    EXPECT_TRUE(fs::is_directory(dir.path(".r.dat.9.tmp")));
}

// A channel file set aside by an interrupted save of a program version without commit records
// is put back when the channel file is missing: the pair opens as it was before that save.
TEST_F(PairCommit, AChannelFileSetAsideByAnOlderVersionIsPutBack) {
    const std::string path = dir.path("legacy.dat");
    ASSERT_TRUE(Save(MakeDoc(3, 1), path));
    const auto before = Pair(dir, "legacy.dat");
    fs::rename(dir.path("legacy.fre"), dir.path(".legacy.fre.123456.old"));
    EXPECT_EQ(Open(path), OpenResult::Opened);
    EXPECT_EQ(Pair(dir, "legacy.dat"), before);
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"legacy.dat", "legacy.fre"}));
}

// A commit record that is damaged or names files that are not this pair's is never followed:
// no file it names is renamed, and the pair stays as it was.
TEST_F(PairCommit, ARecordNamingForeignFilesIsNotFollowed) {
    const std::string path = dir.path("d.dat");
    ASSERT_TRUE(Save(MakeDoc(3, 1), path));
    const auto before = Pair(dir, "d.dat");
    dir.write("victim.txt", "keep me");
    const std::string records[] = {
        "ztprog pair commit\ndat ../victim.txt\nfre .d.fre.1.tmp\naside -\nend\n",
        "ztprog pair commit\ndat victim.txt\nfre .d.fre.1.tmp\naside -\nend\n",
        "ztprog pair commit\ndat .d.dat.1.tmp\nfre .d.fre.1.tmp\naside victim.txt\nend\n",
        "ztprog pair commit\ndat .d.dat.1.tmp\nfre .d.fre.1.tmp\naside -\n", // cut short
    };
    for (const std::string& record : records) {
        SCOPED_TRACE(record);
        dir.write(".d.dat.commit", record);
        dir.write(".d.dat.1.tmp", "not a settings file");
        EXPECT_EQ(Open(path), OpenResult::Opened);
        EXPECT_EQ(Pair(dir, "d.dat"), before);
        EXPECT_EQ(dir.read("victim.txt"), "keep me");
        EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"d.dat", "d.fre", "victim.txt"}));
    }
}
