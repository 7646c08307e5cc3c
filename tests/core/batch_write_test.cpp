// SPDX-License-Identifier: GPL-3.0-or-later
// Writing one document to radio after radio: which radio counts as the next one, what each gets,
// what the log says, and how the batch stops.
#include "link_sim.h"
#include "temp_dir.h"

#include "files/file_io.h"
#include "link/batch_write.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sstream>

#include <sys/resource.h>

namespace zt::test {
namespace {

// A radio of the batch: a simulated radio with its serial number and a memory of its own.
std::unique_ptr<SimRadio> MakeRadio(const std::string& serial, std::uint8_t fill) {
    auto r = std::make_unique<SimRadio>();
    std::fill(r->memory.begin(), r->memory.begin() + 0x2000, fill);
    for (std::size_t i = 0; i < serial.size(); ++i)
        r->memory[0x3F30 + i] = static_cast<std::uint8_t>(serial[i]);
    r->memory[0x3F00] = '0';
    r->memory[0x3F01] = '5';
    r->memory[0x3F20] = 'C';
    r->memory[0x3F21] = '7';
    r->memory[addr::kRadioFlags] = 0x00; // neither locked nor protected
    return r;
}

struct RecordingBatchHost : BatchHost {
    std::vector<BatchRadio> done;
    std::vector<BatchPhase> phases;
    std::optional<BatchCount> endedCount;
    std::string endedWhy;
    std::string password;
    int passwordDialogs = 0;
    std::function<void(const BatchRadio&)> onDone;

    std::vector<std::string> portTroubles;

    void phaseChanged(BatchPhase p, const BatchRadio&) override { phases.push_back(p); }
    void portTrouble(const std::string& why) override { portTroubles.push_back(why); }
    bool askPassword(std::string& pw) override {
        ++passwordDialogs;
        pw = password;
        return true;
    }
    void radioDone(const BatchRadio& r, const BatchCount&, const std::string&) override {
        done.push_back(r);
        if (onDone)
            onDone(r);
    }
    void batchEnded(const BatchCount& c, const std::string& why) override {
        endedCount = c;
        endedWhy = why;
    }
};

struct BatchBench {
    TempDir dir;
    AppState app;
    Document doc;
    RecordingPrompter prompter;
    FakePort port;
    FakeTimer replyTimer;
    FakeTimer stepTimer;
    PairTable versions;
    RecordingBatchHost host;
    BatchLog log;
    BackupStore backups{dir.path("backups"), 1000};
    std::unique_ptr<BatchWriter> batch;
    long clockMs = 0;

    explicit BatchBench(bool keepBackups = true) {
        app.prompter = &prompter;
        app.lang.load(std::string(ZT_DATA_DIR) + "/language/english.ini");
        app.ModelNameText = "ZT-450E";
        app.DocFileName = dir.path("order 17.dat");
        auto& w = doc.work;
        for (int i = 0; i < 3; ++i) {
            ChannelRecord& r = w.channels[static_cast<std::size_t>(i)];
            r.ChannelNo = static_cast<std::int16_t>(320 + i + 1);
            r.RxFreq = "02851000";
            r.AmPower = 1;
        }
        w.settings.ChannelCount = 3;
        batch = std::make_unique<BatchWriter>(app, doc, port, replyTimer, stepTimer, versions, host, log,
                                              keepBackups ? &backups : nullptr);
    }
    // A test's radios may be gone before the bench: the batch's goodbye frames then go to an empty
    // cable.
    ~BatchBench() {
        port.radio = nullptr;
        batch.reset();
    }

    void startWithLog(bool verify) {
        std::string error;
        ASSERT_TRUE(log.open(dir.path("batch.csv"), app.DocFileName, &error)) << error;
        batch->setVerify(verify);
        batch->start();
    }

    // The image the document becomes, as every radio should hold it after the write.
    RadioImage written() {
        RadioImage img;
        ClearRadioImage(img);
        EncodeRadioImage(app, doc.work, img);
        return img;
    }

    // Events in time order until `until` holds, the batch ends or nothing more happens; `maxMs` of
    // simulated time at most (a batch waiting for a radio never settles by itself).
    void run(const std::function<bool()>& until, long maxMs = 60000) {
        const long end = clockMs + maxMs;
        for (int i = 0; i < 2000000 && clockMs <= end; ++i) {
            if (until && until())
                return;
            if (!batch->running())
                return;
            if (port.opened && port.rx.size() >= port.threshold && port.threshold > 0) {
                Frame bytes;
                bytes.swap(port.rx);
                batch->onReceive(bytes);
            } else if (replyTimer.running &&
                       (!stepTimer.running || replyTimer.interval <= stepTimer.interval)) {
                replyTimer.running = false;
                clockMs += replyTimer.interval;
                batch->onReplyTimeout();
            } else if (stepTimer.running) {
                stepTimer.running = false;
                clockMs += stepTimer.interval;
                batch->onStepTimer();
            } else {
                return;
            }
        }
    }

    std::vector<std::string> logLines() {
        std::istringstream in(dir.read("batch.csv"));
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);)
            lines.push_back(l.substr(0, l.size() - (!l.empty() && l.back() == '\r')));
        return lines;
    }
};

bool SameMemory(const SimRadio& r, const RadioImage& img) {
    for (std::size_t a = 0; a < img.size(); ++a)
        if (!IsRadioOwnedAddress(static_cast<int>(a)) && r.memory[a] != img[a])
            return false;
    return true;
}

// Radios swapped on the cable one after another, as a dealer does: each gets the document (read
// back when verifying), each line of the log names it, and the ones of another firmware family,
// another model or another band are refused before anything is written.
TEST(BatchWrite, RadioAfterRadioEachWrittenOnceAndLogged) {
    BatchBench b;
    b.versions.pairs.push_back({"V300", "V301"});
    struct Case {
        const char* serial;
        const char* password;
        const char* firmware;
        const char* model;
        std::uint8_t variant;
        bool unplugFirst; // the cable is empty for a while before this radio
        std::uint8_t flags;
        BatchResult result;
        const char* reasonHas;
    };
    const Case cases[] = {
        {"ZT45000001", "", "V300", "ZR2450", 2, false, 0, BatchResult::Verified, ""},
        {"ZT45000002", "12", "V300", "ZR2450", 2, true, 0, BatchResult::Verified, ""},
        {"ZT45000003", "", "V301", "ZR2450", 2, false, 0, BatchResult::Verified, ""},
        {"ZT45000004", "", "V400", "ZR2450", 2, true, 0, BatchResult::Failed, "V400"},
        {"ZT45000005", "", "V300", "ZR9000", 2, false, 0, BatchResult::Failed, "ZR9000"},
        {"ZT45000007", "", "V300", "ZR2450", 2, false, 0x08, BatchResult::Failed, "locked"},
        {"ZT45000008", "", "V300", "ZR2450", 2, false, 0, BatchResult::Verified, ""},
    };
    std::vector<std::unique_ptr<SimRadio>> radios;
    std::vector<std::vector<std::uint8_t>> before;
    for (const Case& c : cases) {
        radios.push_back(MakeRadio(c.serial, static_cast<std::uint8_t>(0x40 + radios.size())));
        radios.back()->setPassword(c.password);
        radios.back()->firmware = c.firmware;
        radios.back()->model = c.model;
        radios.back()->variant = c.variant;
        radios.back()->memory[addr::kRadioFlags] = c.flags;
        before.emplace_back(radios.back()->memory.begin(), radios.back()->memory.begin() + 0x2440);
    }
    b.host.password = "12";
    // A refused radio waits for the user: here he goes on at once.
    b.host.onDone = [&](const BatchRadio& r) {
        if (r.result == BatchResult::Failed)
            b.batch->goOn();
    };
    b.port.radio = radios[0].get();
    b.startWithLog(true);
    for (std::size_t i = 0; i < radios.size(); ++i) {
        b.run([&] { return b.host.done.size() > i; });
        ASSERT_EQ(b.host.done.size(), i + 1) << "radio " << i;
        if (i + 1 < radios.size()) {
            if (cases[i + 1].unplugFirst) {
                b.port.radio = nullptr;
                b.run({}, 3000);
            }
            b.port.radio = radios[i + 1].get();
        }
    }
    b.batch->stop();
    ASSERT_TRUE(b.host.endedCount);
    EXPECT_EQ(b.host.endedCount->verified, 4);
    EXPECT_EQ(b.host.endedCount->failed, 3);

    const RadioImage img = b.written();
    const auto lines = b.logLines();
    ASSERT_EQ(lines.size(), radios.size() + 1);
    EXPECT_EQ(lines[0], BatchLogHeader());
    for (std::size_t i = 0; i < radios.size(); ++i) {
        SCOPED_TRACE(cases[i].serial);
        const BatchRadio& r = b.host.done[i];
        EXPECT_EQ(r.serial, cases[i].serial);
        EXPECT_EQ(r.result, cases[i].result);
        EXPECT_EQ(r.salesArea, "05");
        EXPECT_EQ(r.customerCode, "C7");
        EXPECT_EQ(r.document, "order 17.dat");
        EXPECT_EQ(r.firmware, cases[i].firmware);
        EXPECT_NE(r.reason.find(cases[i].reasonHas), std::string::npos) << r.reason;
        EXPECT_EQ(lines[i + 1], BatchLogLine(r));
        if (r.result == BatchResult::Verified) {
            EXPECT_TRUE(SameMemory(*radios[i], img));
            // The backup holds the memory the radio had before the write.
            ASSERT_FALSE(r.backup.empty());
            const auto kept = ReadFileBytes(r.backup + "/image.bin", 0x2441);
            ASSERT_TRUE(kept);
            EXPECT_TRUE(std::equal(before[i].begin(), before[i].begin() + 0x2000, kept->begin()));
        } else {
            EXPECT_NE(r.reason.find("nothing written"), std::string::npos) << r.reason;
            EXPECT_TRUE(std::equal(before[i].begin(), before[i].end(), radios[i]->memory.begin()));
        }
    }
    // The password radio asked once; the radios after it needed none.
    EXPECT_EQ(b.host.passwordDialogs, 1);
    // Nothing was shown to the user by the engine: its questions were the batch's to answer.
    EXPECT_TRUE(b.prompter.asked.empty());
}

// The radio just written stays on the cable: it is not written again, however long it stays; once
// it was away it counts as a new radio, even with the same serial number.
TEST(BatchWrite, RadioLeftOnTheCableIsNotWrittenTwice) {
    BatchBench b(false);
    auto radio = MakeRadio("ZT45000001", 0x11);
    b.port.radio = radio.get();
    b.startWithLog(false);
    b.run([&] { return !b.host.done.empty(); });
    ASSERT_EQ(b.host.done.size(), 1u);
    EXPECT_EQ(b.host.done[0].result, BatchResult::Written);
    const std::size_t writes = b.port.count("W");
    b.run({}, 20000);
    EXPECT_EQ(b.host.done.size(), 1u);
    EXPECT_EQ(b.port.count("W"), writes);
    EXPECT_EQ(b.batch->phase(), BatchPhase::Waiting);

    // The port itself goes away (a USB adapter pulled with the radio), then comes back. The user
    // is told why once, not at every attempt, and told again when it opens.
    b.port.canOpen = false;
    b.port.failure = "/dev/ttyUSB0: permission denied";
    b.run({}, 2000);
    EXPECT_GT(b.port.opens, 4);
    EXPECT_EQ(b.host.portTroubles, std::vector<std::string>{"/dev/ttyUSB0: permission denied"});
    b.port.canOpen = true;
    b.run([&] { return b.host.done.size() == 2; });
    EXPECT_EQ(b.host.done.size(), 2u);
    EXPECT_EQ(b.host.portTroubles, (std::vector<std::string>{"/dev/ttyUSB0: permission denied", ""}));
    b.batch->stop();
    EXPECT_EQ(b.logLines().size(), 3u);
}

// A noisy cable loses the replies of one handshake attempt now and then. The radio just written,
// still on the cable, is not taken for a new one for that, neither at once nor radios later when
// such losses have happened before; a radio taken off the cable and put back, or another radio put
// on, is written as ever.
TEST(BatchWrite, LostRepliesDoNotMakeTheRadioOnTheCableNew) {
    BatchBench b(false);
    const std::string serials[] = {"ZT45000021", "ZT45000022", "ZT45000023", "ZT45000024"};
    std::vector<std::unique_ptr<SimRadio>> radios;
    for (const std::string& serial : serials)
        radios.push_back(MakeRadio(serial, static_cast<std::uint8_t>(0x60 + radios.size())));
    struct Step {
        const char* what;
        int radio;        // on the cable during the step; -1: none
        int lost;         // attempts whose replies are lost, from the step's start
        std::size_t done; // radios written by the end of the step
    };
    const Step steps[] = {
        {"the first radio", 0, 0, 1},
        {"one attempt lost", 0, 1, 1},
        {"the next radio", 1, 0, 2},
        {"and the next", 2, 0, 3},
        {"one attempt lost, radios after the first loss", 2, 1, 3},
        {"and another, later", 2, 1, 3},
        {"taken off the cable", -1, 0, 3},
        {"put back on: a new radio", 2, 0, 4},
        {"another radio, its first attempt lost", 3, 1, 5},
    };
    b.port.radio = radios[0].get();
    b.startWithLog(false);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        b.port.radio = step.radio < 0 ? nullptr : radios[static_cast<std::size_t>(step.radio)].get();
        b.port.lostOpenings = step.lost;
        b.run([&] { return b.host.done.size() > step.done; }, 10000);
        EXPECT_EQ(b.port.lostOpenings, 0); // the losses did happen
        ASSERT_EQ(b.host.done.size(), step.done);
        EXPECT_EQ(b.batch->phase(), BatchPhase::Waiting);
        if (step.radio >= 0) {
            EXPECT_EQ(b.host.done.back().serial, serials[static_cast<std::size_t>(step.radio)]);
        }
    }
    b.batch->stop();
    const auto lines = b.logLines();
    ASSERT_EQ(lines.size(), b.host.done.size() + 1);
    for (std::size_t i = 0; i < b.host.done.size(); ++i)
        EXPECT_EQ(lines[i + 1], BatchLogLine(b.host.done[i]));
}

// A radio that loses a written block: the read-back finds it, the log names the channel as the
// grid shows it, and the batch waits for the user; stop then ends it without touching another radio.
TEST(BatchWrite, FailedVerificationWaitsForTheUser) {
    BatchBench b;
    auto lossy = MakeRadio("ZT45000009", 0x22);
    lossy->lostWrites.insert(321 * 16);
    b.port.radio = lossy.get();
    b.startWithLog(true);
    b.run([&] { return !b.host.done.empty(); });
    ASSERT_EQ(b.host.done.size(), 1u);
    const BatchRadio& r = b.host.done[0];
    EXPECT_EQ(r.result, BatchResult::Failed);
    EXPECT_NE(r.reason.find("Group 8 CH 1"), std::string::npos) << r.reason;
    EXPECT_EQ(b.batch->phase(), BatchPhase::AwaitingGoOn);
    // Nothing happens while the user has not answered, whatever radio is put on the cable.
    auto next = MakeRadio("ZT45000010", 0x33);
    b.port.radio = next.get();
    const std::size_t frames = b.port.sent.size();
    b.run({}, 10000);
    EXPECT_EQ(b.port.sent.size(), frames);
    b.batch->stop();
    EXPECT_FALSE(b.batch->running());
    EXPECT_EQ(b.port.sent.size(), frames);
    EXPECT_EQ(b.logLines().size(), 2u);
}

// Pulled out in the middle of the write: logged as failed with what it may hold now, and the
// backup of its memory before the write is named; the batch then waits for the next radio.
TEST(BatchWrite, RadioUnpluggedMidWriteIsLoggedWithWhatItMayHold) {
    // The radio outlives the bench: the batch, still waiting at the end, says goodbye to it.
    auto radio = MakeRadio("ZT45000011", 0x44);
    BatchBench b;
    radio->silentWrites[0x1000] = 1000000;
    b.port.radio = radio.get();
    b.host.onDone = [&](const BatchRadio&) { b.batch->goOn(); };
    b.startWithLog(false);
    b.run([&] { return !b.host.done.empty(); });
    ASSERT_EQ(b.host.done.size(), 1u);
    const BatchRadio& r = b.host.done[0];
    EXPECT_EQ(r.result, BatchResult::Failed);
    EXPECT_NE(r.reason.find("cut short at"), std::string::npos) << r.reason;
    ASSERT_FALSE(r.backup.empty());
    EXPECT_NE(r.reason.find(std::filesystem::path(r.backup).filename().string()), std::string::npos);
    EXPECT_EQ(radio->memory[0x1000], 0x44); // not reached
    b.run({}, 3000);
    EXPECT_EQ(b.batch->phase(), BatchPhase::Waiting);
}

// Stop while a radio is written: the write (and its read-back) ends first, then the batch.
TEST(BatchWrite, StopWaitsForTheRadioInProgressButNotForTheNext) {
    BatchBench b;
    auto radio = MakeRadio("ZT45000012", 0x55);
    b.port.radio = radio.get();
    b.startWithLog(true);
    b.run([&] { return b.batch->phase() == BatchPhase::Writing && b.port.count("W") > 10; });
    b.batch->stop();
    EXPECT_TRUE(b.batch->running());
    b.run({});
    EXPECT_FALSE(b.batch->running());
    ASSERT_EQ(b.host.done.size(), 1u);
    EXPECT_EQ(b.host.done[0].result, BatchResult::Verified);
    EXPECT_TRUE(SameMemory(*radio, b.written()));

    // Stopped while waiting: at once.
    BatchBench idle;
    idle.startWithLog(false);
    idle.run({}, 2000);
    idle.batch->stop();
    const std::size_t sent = idle.port.sent.size();
    idle.run({}, 2000); // the next turn of the event loop ends it, without another handshake
    EXPECT_EQ(idle.port.sent.size(), sent);
    EXPECT_FALSE(idle.batch->running());
    EXPECT_TRUE(idle.host.endedCount);
    EXPECT_EQ(idle.logLines().size(), 1u);
}

// A stop that comes once the radio's memory has been read and kept, before the write: the radio is
// logged with its backup, and nothing is written to it.
TEST(BatchWrite, StopAfterTheMemoryWasKeptLogsTheRadio) {
    BatchBench b;
    auto radio = MakeRadio("ZT45000012", 0x55);
    const auto held = radio->memory;
    b.port.radio = radio.get();
    b.startWithLog(false);
    // The read has ended (its memory is kept); the batch takes it up on the next turn of its loop.
    b.run([&] {
        return b.batch->phase() == BatchPhase::Reading && b.port.count("R") > 580 && b.stepTimer.running;
    });
    ASSERT_EQ(b.batch->phase(), BatchPhase::Reading);
    b.batch->stop();
    b.run({});
    EXPECT_FALSE(b.batch->running());
    EXPECT_EQ(b.port.count("W"), 0u);
    EXPECT_EQ(radio->memory, held);
    ASSERT_EQ(b.host.done.size(), 1u);
    const BatchRadio& done = b.host.done[0];
    EXPECT_EQ(done.result, BatchResult::Failed);
    EXPECT_EQ(done.serial, "ZT45000012");
    ASSERT_FALSE(done.backup.empty());
    EXPECT_EQ(done.reason, "stopped before writing (memory kept in " + done.backup + ")");
    const auto lines = b.logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("stopped before writing"), std::string::npos) << lines[1];
}

TEST(BatchLog, RefusesWhatItMustNotWriteOver) {
    TempDir dir;
    const std::string doc = dir.write("order.dat", std::string(1664, '\0'));
    dir.write("channels.csv", "Channel,RX\r\n1,27.000\r\n");
    std::filesystem::create_directories(dir.path("folder.csv"));
    struct Case {
        std::string path;
        const char* reasonHas;
    };
    const Case cases[] = {
        {dir.path("folder.csv"), "folder"},
        {doc, "data file"},
        {dir.path("other.FRE"), "data file"},
        {dir.path("channels.csv"), "not a batch log"},
        {dir.path("missing/log.csv"), "No such file"},
        {"", "no file name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        BatchLog log;
        std::string error;
        EXPECT_FALSE(log.open(c.path, doc, &error));
        EXPECT_NE(error.find(c.reasonHas), std::string::npos) << error;
        EXPECT_EQ(error.rfind(c.path, 0), 0u) << error;
    }
    EXPECT_EQ(dir.read("channels.csv"), "Channel,RX\r\n1,27.000\r\n");
}

TEST(BatchLog, AppendsToAnEarlierLogAndQuotesWhatTheRadioHolds) {
    TempDir dir;
    BatchRadio r;
    r.when = 0;
    r.serial = "ZT,\"7\"\x01";
    r.model = "ZT-450E";
    r.result = BatchResult::Failed;
    r.reason = "a\\b";
    const std::string line = BatchLogLine(r);
    EXPECT_NE(line.find(",\"ZT,\"\"7\"\"\\x01\",ZT-450E,"), std::string::npos) << line;
    EXPECT_NE(line.find(",failed,a\\\\b,"), std::string::npos) << line;
    // What a spreadsheet would run as a formula is kept as text.
    r.serial = "=HYPERLINK(\"x\")";
    r.customerCode = "@SUM(A1)";
    r.salesArea = "-1+2";
    const std::string formulas = BatchLogLine(r);
    EXPECT_NE(formulas.find(",\"'=HYPERLINK(\"\"x\"\")\",ZT-450E,,'-1+2,'@SUM(A1),"), std::string::npos)
        << formulas;
    r.serial = "ZT,\"7\"\x01";
    r.customerCode = r.salesArea = "";
    for (int run = 0; run < 2; ++run) {
        BatchLog log;
        std::string error;
        ASSERT_TRUE(log.open(dir.path("log.csv"), {}, &error)) << error;
        ASSERT_TRUE(log.append(r, &error)) << error;
    }
    EXPECT_EQ(dir.read("log.csv"), BatchLogHeader() + "\r\n" + line + "\r\n" + line + "\r\n");
}

// Every line of the log is whole: a line the system refuses part-way (a full disk, here the file
// size limit) is taken back, and a log whose last line lost its line end (cut off by another
// program) gets one before the next line; each row keeps its ten fields.
TEST(BatchLog, EveryLineIsWholeOrNotThere) {
    BatchRadio r;
    r.when = 0;
    r.serial = "ZT45000012";
    r.model = "ZT-450E";
    r.result = BatchResult::Written;
    const std::string line = BatchLogLine(r);
    const std::string header = BatchLogHeader() + "\r\n";
    struct Case {
        const char* name;
        std::string before; // the log before the batch ("": none)
        long room;          // bytes the file may still grow by (-1: no limit)
        bool appended;
        std::string after;
    };
    const Case cases[] = {
        {"an earlier log cut off in its last line", header + "2026-12-01 10:00:00,ZT4", -1, true,
         header + "2026-12-01 10:00:00,ZT4\r\n" + line + "\r\n"},
        {"an earlier log without the header's line end", BatchLogHeader(), -1, true, header + line + "\r\n"},
        {"a log with room for a part of the line", header, 10, false, header},
        {"a log with no room at all", header, 0, false, header},
        {"a log with room for the line", header, static_cast<long>(line.size() + 2), true,
         header + line + "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.write("log.csv", c.before);
        BatchLog log;
        std::string error;
        ASSERT_TRUE(log.open(dir.path("log.csv"), {}, &error)) << error;
        struct rlimit saved {};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (c.room >= 0) {
            struct rlimit limited = saved;
            limited.rlim_cur = static_cast<rlim_t>(c.before.size() + static_cast<std::size_t>(c.room));
            ::setrlimit(RLIMIT_FSIZE, &limited);
        }
        const bool appended = log.append(r, &error);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_EQ(appended, c.appended) << error;
        if (!appended) {
            EXPECT_EQ(error.rfind(dir.path("log.csv"), 0), 0u) << error;
        }
        EXPECT_EQ(dir.read("log.csv"), c.after);
        // The next radio's line starts a row of its own, whatever happened to this one.
        ASSERT_TRUE(log.append(r, &error)) << error;
        EXPECT_EQ(dir.read("log.csv"), c.after + line + "\r\n");
    }
}

} // namespace
} // namespace zt::test
