// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/batch_write.h"

#include "model/model_config.h"
#include "util/local_time.h"
#include "util/shown_text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>
#include <utility>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zt {

namespace fs = std::filesystem;

namespace {

constexpr int kMsgConfirmRead = 9004;
constexpr int kMissedProbesForAbsence = 2;
constexpr int kMsgConfirmWrite = 9005;

// Reasons a radio failed, as the log and the window name them.
constexpr int kTextNoAnswer = 34613;
constexpr int kTextOtherModel = 34614;
constexpr int kTextOtherFirmware = 34615;
constexpr int kTextOtherBand = 34616;
constexpr int kTextPassword = 34617;
constexpr int kTextNoBackup = 34618;
constexpr int kTextNothingWritten = 34619;
constexpr int kTextCutShort = 34620;
constexpr int kTextDiffers = 34621;
constexpr int kTextNotVerified = 34622;
constexpr int kTextPortGone = 34623;

std::string FileName(const std::string& path) {
    return fs::path(path).filename().string();
}

std::string LowerCase(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A field of the log: control characters (and the backslash that marks them) escaped, quoted
// when it holds a separator, a quote or a line break. A field that a spreadsheet would take for a
// formula (a radio's serial number "=..." ) starts with an apostrophe, so it is shown as text.
std::string CsvField(const std::string& value) {
    std::string v;
    if (!value.empty() && std::string_view("=+-@").find(value.front()) != std::string_view::npos)
        v += '\'';
    for (unsigned char c : value) {
        if (c == '\\') {
            v += "\\\\";
        } else if (c < 0x20 || c == 0x7F) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\x%02X", c);
            v += esc;
        } else {
            v += static_cast<char>(c);
        }
    }
    if (v.find_first_of(",\"") == std::string::npos)
        return v;
    std::string q = "\"";
    for (char c : v)
        q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

} // namespace

const char* BatchResultText(BatchResult r) {
    switch (r) {
    case BatchResult::Written:
        return "written";
    case BatchResult::Verified:
        return "verified";
    case BatchResult::Failed:
        break;
    }
    return "failed";
}

std::string BatchLogHeader() {
    return "Time,Serial number,Model,Firmware,Sales area,Customer code,Document,Result,Reason,Backup";
}

std::string BatchLogLine(const BatchRadio& r) {
    const std::string fields[] = {FormatTime(LocalTime(r.when), "%Y-%m-%d %H:%M:%S"),
                                  r.serial,
                                  r.model,
                                  r.firmware,
                                  r.salesArea,
                                  r.customerCode,
                                  r.document,
                                  BatchResultText(r.result),
                                  r.reason,
                                  r.backup};
    std::string line;
    for (const std::string& f : fields)
        line += (line.empty() && &f == &fields[0] ? "" : ",") + CsvField(f);
    return line;
}

// ---- the log ---------------------------------------------------------------------------------

BatchLog::~BatchLog() {
    close();
}

void BatchLog::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool BatchLog::open(const std::string& path, const std::string& document, std::string* error) {
    close();
    auto refuse = [&](const std::string& why) {
        if (error)
            *error = path + ": " + why;
        return false;
    };
    if (path.empty())
        return refuse("no file name");
    std::error_code ec;
    const auto st = fs::status(path, ec);
    if (fs::is_directory(st))
        return refuse("is a folder");
    const std::string ext = LowerCase(fs::path(path).extension().string());
    if (ext == ".dat" || ext == ".fre")
        return refuse("is the name of a data file; the log is a .csv file");
    if (!document.empty() && fs::exists(st) && fs::equivalent(path, document, ec))
        return refuse("is the document being written");
    if (fs::exists(st) && !fs::is_regular_file(st))
        return refuse("is not a regular file");
    bool fresh = true;
    if (fs::exists(st) && fs::file_size(path, ec) > 0) {
        std::ifstream in(path, std::ios::binary);
        std::string first;
        if (!in || !std::getline(in, first))
            return refuse(std::strerror(errno));
        if (!first.empty() && first.back() == '\r')
            first.pop_back();
        if (first != BatchLogHeader())
            return refuse("exists and is not a batch log (its first line differs); choose another file");
        fresh = false;
    }
    errno = 0;
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd_ < 0)
        return refuse(errno ? std::strerror(errno) : "cannot be opened");
    path_ = path;
    // A last line without its line end gets one before the next line, which would else continue it.
    needsLineEnd_ = false;
    if (const off_t size = ::lseek(fd_, 0, SEEK_END); size > 0) {
        char last = '\n';
        const int rfd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (rfd >= 0) {
            if (::pread(rfd, &last, 1, size - 1) != 1)
                last = '\n';
            ::close(rfd);
        }
        needsLineEnd_ = last != '\n';
    }
    if (fresh && !writeLine(BatchLogHeader(), error)) {
        close();
        return false;
    }
    return true;
}

bool BatchLog::writeLine(const std::string& line, std::string* error) {
    if (fd_ < 0) {
        if (error)
            *error = path_ + ": not open";
        return false;
    }
    const std::string text = (needsLineEnd_ ? "\r\n" : "") + line + "\r\n";
    const off_t before = ::lseek(fd_, 0, SEEK_END);
    // One write for the whole line; a short write goes on from where it stopped until the line is
    // out or the system refuses more.
    std::size_t done = 0;
    int why = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            why = n < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (why == 0 && ::fsync(fd_) != 0)
        why = errno;
    if (why == 0) {
        needsLineEnd_ = false;
        return true;
    }
    // Not written whole: what went out is taken back, so the file ends where the last whole line did.
    if (done > 0 && before >= 0) [[maybe_unused]]
        const int cut = ::ftruncate(fd_, before);
    if (error)
        *error = path_ + ": " + std::strerror(why);
    return false;
}

bool BatchLog::append(const BatchRadio& radio, std::string* error) {
    return writeLine(BatchLogLine(radio), error);
}

// ---- the batch -------------------------------------------------------------------------------

// Answers the engine's questions as the batch decides them: the read and write confirmations
// were given once at the start; every other question (a band of the same family, another program
// version) is declined, so such a radio is refused; messages are kept, not shown.
class BatchWriter::QuietPrompter : public Prompter {
  public:
    explicit QuietPrompter(const AppState& app) : app_(app) {}
    Answer ask(const std::string& text, Icon, Buttons buttons, const std::string& = {}) override {
        last = OneLine(text);
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        if (buttons == Buttons::OkCancel &&
            (text == app_.LangText(kMsgConfirmRead) || text == app_.LangText(kMsgConfirmWrite)))
            return Answer::Ok;
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
    std::string last;

  private:
    const AppState& app_;
};

namespace {

// The engine asks through the quiet prompter while the batch hands it an event; the program's
// own prompter is back in place for everything else (the host's questions among them).
class PrompterSwap {
  public:
    PrompterSwap(AppState& app, Prompter* quiet) : app_(app), saved_(app.prompter) { app.prompter = quiet; }
    ~PrompterSwap() { app_.prompter = saved_; }
    PrompterSwap(const PrompterSwap&) = delete;
    PrompterSwap& operator=(const PrompterSwap&) = delete;

  private:
    AppState& app_;
    Prompter* saved_;
};

} // namespace

BatchWriter::BatchWriter(AppState& app, Document& doc, LinkPort& port, LinkTimer& replyTimer,
                         LinkTimer& stepTimer, const LinkVersionTable& versions, BatchHost& host,
                         BatchLog& log, BackupStore* backups)
    : app_(app), doc_(doc), port_(port), stepTimer_(stepTimer), host_(host), log_(log), backups_(backups),
      quiet_(std::make_unique<QuietPrompter>(app)), engine_(app, doc, port, replyTimer, *this, versions) {
    // Each radio's information area is read by the probe that finds it, and its memory by the
    // batch's own read: the engine reads neither again.
    engine_.setReadInfoFirst(false);
    engine_.setKeepBeforeWrite(false);
}

BatchWriter::~BatchWriter() {
    stepTimer_.stop();
    if (engine_.busy()) {
        PrompterSwap quiet(app_, quiet_.get());
        phase_ = BatchPhase::Ended; // exchangeEnded from the abort does nothing more
        engine_.abort();
    }
}

void BatchWriter::setPhase(BatchPhase p) {
    phase_ = p;
    host_.phaseChanged(p, current_);
}

void BatchWriter::schedule(Next next, int ms) {
    next_ = next;
    stepTimer_.start(ms);
}

void BatchWriter::start() {
    if (running())
        return;
    stopRequested_ = false;
    count_ = {};
    absentSeen_ = true;
    haveLast_ = false;
    current_ = {};
    setPhase(BatchPhase::Waiting);
    schedule(Next::Probe, 0);
}

void BatchWriter::stop() {
    if (!running())
        return;
    stopRequested_ = true;
    if (phase_ == BatchPhase::Writing || phase_ == BatchPhase::Verifying)
        return; // ends once this radio is done
    stepTimer_.stop();
    next_ = Next::None;
    if (engine_.busy()) {
        // Waiting for a radio, or reading one before anything was written to it.
        PrompterSwap quiet(app_, quiet_.get());
        engine_.abort(); // exchangeEnded finishes the batch
        return;
    }
    if (logStoppedAfterRead())
        return;
    finish({});
}

bool BatchWriter::logStoppedAfterRead() {
    // The radio's memory was read and kept, and nothing was written to it: it is listed, so that
    // the backup is not left without its radio's line.
    if (phase_ != BatchPhase::Reading || current_.backup.empty())
        return false;
    current_.result = BatchResult::Failed;
    current_.reason = "stopped before writing (memory kept in " + current_.backup + ")";
    finishRadio(); // ends the batch: a stop was asked for
    return true;
}

void BatchWriter::goOn() {
    if (phase_ != BatchPhase::AwaitingGoOn)
        return;
    if (stopRequested_) {
        finish({});
        return;
    }
    current_ = {};
    setPhase(BatchPhase::Waiting);
    schedule(Next::Probe, 0);
}

void BatchWriter::onStepTimer() {
    stepTimer_.stop();
    const Next next = std::exchange(next_, Next::None);
    switch (next) {
    case Next::Probe:
        probe();
        break;
    case Next::Read:
        startRead();
        break;
    case Next::Write:
        startWrite();
        break;
    case Next::Ended:
        onExchangeEnded(ended_);
        break;
    case Next::Finish:
        finish({});
        break;
    case Next::None:
        break;
    }
}

void BatchWriter::sampleWriteStep() {
    if (phase_ == BatchPhase::Writing && engine_.writeStep() == LinkStep::WriteBlocks)
        writeBegan_ = true;
}

void BatchWriter::onReceive(ByteSpan bytes) {
    PrompterSwap quiet(app_, quiet_.get());
    engine_.onReceive(bytes);
    sampleWriteStep();
}

void BatchWriter::onReplyTimeout() {
    PrompterSwap quiet(app_, quiet_.get());
    engine_.onReplyTimeout();
    sampleWriteStep();
}

void BatchWriter::setProgress(int percent) {
    percent_ = percent;
    host_.progress(percent);
}

void BatchWriter::beginReadBack() {
    setPhase(BatchPhase::Verifying);
    percent_ = 0;
    host_.progress(0);
}

BackupRadio BatchWriter::radioOnCable() const {
    // The radio the probe just read on the cable, never one named elsewhere.
    BackupRadio radio;
    if (const CableRadio* c = engine_.cableRadio())
        radio = {&c->infoBlock, c->ident.modelId, c->ident.firmware};
    return radio;
}

void BatchWriter::keepBackup(LinkMode mode, const std::array<std::uint8_t, 0x2440>& image) {
    // The memory the radio held before the write: kept from the read that comes first.
    if (mode != LinkMode::Read || !backups_)
        return;
    std::string error;
    if (auto kept = KeepExchangeBackup(*backups_, BackupKind::BatchRead, image, doc_, radioOnCable(), &error))
        current_.backup = *kept;
    else
        backupError_ = error.empty() ? std::string("?") : error;
}

WriteBackup BatchWriter::keepWriteBackup(const std::array<std::uint8_t, 0x2440>& image) {
    // The write is listed with the document it sent and, once known, how it ended. Its memory is
    // kept already, so a write goes on when this listing cannot be kept.
    writeBackup_.clear();
    if (!backups_)
        return {};
    if (auto kept = KeepExchangeBackup(*backups_, BackupKind::BatchWrite, image, doc_, radioOnCable())) {
        writeBackup_ = *kept;
        NoteBackupWrite(writeBackup_, current_.document, BackupCheck::NotChecked);
    }
    return {};
}

void BatchWriter::writeOutcome(bool acknowledged, VerifyStatus verify) {
    if (writeBackup_.empty())
        return;
    NoteBackupWrite(writeBackup_, current_.document,
                    !acknowledged                      ? BackupCheck::Failed
                    : verify == VerifyStatus::Verified ? BackupCheck::Verified
                    : verify == VerifyStatus::Differs  ? BackupCheck::Differs
                                                       : BackupCheck::NotChecked);
}

void BatchWriter::probe() {
    if (stopRequested_) {
        finish({});
        return;
    }
    PrompterSwap quiet(app_, quiet_.get());
    if (!engine_.startInfoRead()) {
        // The port cannot be opened now (an adapter unplugged with its radio, a port the user may
        // not use): try it again soon, and say why once.
        absentSeen_ = true;
        std::string why = port_.openFailure();
        if (why.empty())
            why = app_.ComPortName + ": " + app_.LangTextOr(kTextPortGone, "the port could not be opened");
        setPortTrouble(why);
        schedule(Next::Probe, kBatchPortPollMs);
        return;
    }
    setPortTrouble({});
}

void BatchWriter::setPortTrouble(const std::string& why) {
    if (why == portTrouble_)
        return;
    portTrouble_ = why;
    host_.portTrouble(why);
}

void BatchWriter::startRead() {
    percent_ = 0;
    backupError_.clear();
    setPhase(BatchPhase::Reading);
    host_.progress(0);
    PrompterSwap quiet(app_, quiet_.get());
    if (!engine_.startRead())
        fail(app_.LangTextOr(kTextPortGone, "the port could not be opened") + "; " +
             app_.LangTextOr(kTextNothingWritten, "nothing written"));
}

void BatchWriter::startWrite() {
    percent_ = 0;
    writeBegan_ = false;
    setPhase(BatchPhase::Writing);
    host_.progress(0);
    PrompterSwap quiet(app_, quiet_.get());
    if (!engine_.startWrite())
        fail(app_.LangTextOr(kTextPortGone, "the port could not be opened") + "; " +
             app_.LangTextOr(kTextNothingWritten, "nothing written"));
}

// Handled on the next turn of the event loop, outside the engine's own call.
void BatchWriter::exchangeEnded(const LinkResult& result) {
    if (phase_ == BatchPhase::Ended)
        return;
    ended_ = result;
    schedule(Next::Ended, 0);
}

void BatchWriter::onExchangeEnded(const LinkResult& result) {
    if (stopRequested_ && (phase_ == BatchPhase::Waiting || phase_ == BatchPhase::Reading)) {
        // Stopped before anything was written to the radio in hand.
        if (!logStoppedAfterRead())
            finish({});
        return;
    }
    switch (result.mode) {
    case LinkMode::Info:
        onProbeEnded(result);
        break;
    case LinkMode::Read:
        onReadEnded(result);
        break;
    case LinkMode::Write:
        onWriteEnded(result);
        break;
    default:
        break;
    }
}

void BatchWriter::onProbeEnded(const LinkResult& r) {
    if (!r.ok()) {
        // Two attempts in a row without an answer: the radio just done is gone. One alone may be a
        // radio slow to answer once; it is not written a second time for that.
        if (++missedProbes_ >= kMissedProbesForAbsence)
            absentSeen_ = true;
        schedule(Next::Probe, 0);
        return;
    }
    missedProbes_ = 0;
    const RadioInfoRecord& info = engine_.radioInfo();
    const std::string serial = info.SerialNumber.trimmed();
    if (haveLast_ && !absentSeen_ && serial == lastSerial_) {
        // The radio just done is still on the cable.
        schedule(Next::Probe, kBatchSameRadioPollMs);
        return;
    }
    current_ = {};
    current_.serial = serial;
    current_.salesArea = TrimFixed(info.SalesArea);
    current_.customerCode = info.CustomerCode.trimmed();
    current_.document = FileName(app_.DocFileName);
    haveLast_ = true;
    lastSerial_ = serial;
    absentSeen_ = false;
    schedule(backups_ ? Next::Read : Next::Write, 0);
}

void BatchWriter::noteModel() {
    const LinkResult& r = engine_.lastResult();
    if (r.radioVersion.empty())
        return; // the radio did not identify itself in this exchange
    const RadioIdent& id = engine_.radioIdent();
    current_.model = ModelFromRadioId(id.modelId, id.variant);
    current_.firmware = id.firmware;
}

std::string BatchWriter::refusal(const LinkResult& r) const {
    switch (r.outcome) {
    case LinkOutcome::WrongModel:
        return app_.LangTextOr(kTextOtherModel, "another model (%1)", current_.model);
    case LinkOutcome::OtherVersion:
        return app_.LangTextOr(kTextOtherFirmware,
                               "firmware %1 is of another family than this program writes",
                               current_.firmware);
    case LinkOutcome::BandRefused:
        return app_.LangTextOr(kTextOtherBand, "another band than the document's");
    case LinkOutcome::PasswordRefused:
        return app_.LangTextOr(kTextPassword, "the password was refused");
    case LinkOutcome::RadioLocked:
    case LinkOutcome::RadioProtected:
        return OneLine(r.text);
    case LinkOutcome::PortUnavailable:
        return app_.LangTextOr(kTextPortGone, "the port could not be opened");
    default:
        break;
    }
    return app_.LangTextOr(kTextNoAnswer, "the radio stopped answering");
}

void BatchWriter::onReadEnded(const LinkResult& r) {
    noteModel();
    if (!r.ok()) {
        fail(refusal(r) + "; " + app_.LangTextOr(kTextNothingWritten, "nothing written"));
        return;
    }
    // The radio's lock flags refuse the write, as after a read of it in the main window.
    const std::uint8_t flags = engine_.image()[addr::kRadioFlags];
    engine_.setReadRadioFlags(
        {(flags & 0x08) != 0, (flags & 0x04) != 0, (flags & 0x02) != 0, (flags & 0x01) != 0});
    if (!backupError_.empty()) {
        fail(app_.LangTextOr(kTextNoBackup, "no backup of its memory could be kept (%1)", backupError_) +
             "; " + app_.LangTextOr(kTextNothingWritten, "nothing written"));
        return;
    }
    schedule(Next::Write, 0);
}

void BatchWriter::onWriteEnded(const LinkResult& r) {
    noteModel();
    if (!r.ok()) {
        if (!writeBegan_) {
            fail(refusal(r) + "; " + app_.LangTextOr(kTextNothingWritten, "nothing written"));
            return;
        }
        const std::string backup = current_.backup.empty() ? std::string("-") : FileName(current_.backup);
        fail(refusal(r) + "; " +
             app_.LangTextOr(
                 kTextCutShort,
                 "the write was cut short at %1 %: the radio may hold the new document up to there "
                 "and its previous memory after it (backup %2)",
                 std::to_string(percent_), backup));
        return;
    }
    switch (r.verify) {
    case VerifyStatus::Verified:
        current_.result = BatchResult::Verified;
        break;
    case VerifyStatus::Differs: {
        std::string what;
        for (const std::string& line : DescribeDifferences(app_, engine_.verifyDifferences(), 4))
            what += (what.empty() ? "" : "; ") + line;
        fail(app_.LangTextOr(kTextDiffers, "the radio holds something else than was written: %1", what));
        return;
    }
    case VerifyStatus::Unfinished:
        fail(app_.LangTextOr(kTextNotVerified,
                             "not verified: the radio stopped answering while the write was read back"));
        return;
    case VerifyStatus::NotRun:
        current_.result = BatchResult::Written;
        break;
    }
    current_.reason.clear();
    finishRadio();
}

void BatchWriter::fail(std::string reason) {
    current_.result = BatchResult::Failed;
    current_.reason = std::move(reason);
    finishRadio();
}

void BatchWriter::finishRadio() {
    current_.when = std::time(nullptr);
    if (current_.document.empty())
        current_.document = FileName(app_.DocFileName);
    switch (current_.result) {
    case BatchResult::Written:
        ++count_.written;
        break;
    case BatchResult::Verified:
        ++count_.verified;
        break;
    case BatchResult::Failed:
        ++count_.failed;
        break;
    }
    std::string logError;
    const bool logged = log_.append(current_, &logError);
    const bool failed = current_.result == BatchResult::Failed;
    if (failed && logged && !stopRequested_)
        phase_ = BatchPhase::AwaitingGoOn; // before the host hears of it: it may call goOn at once
    host_.radioDone(current_, count_, logged ? std::string() : logError);
    if (!logged) {
        finish(logError);
        return;
    }
    if (stopRequested_) {
        finish({});
        return;
    }
    if (failed) {
        if (phase_ == BatchPhase::AwaitingGoOn)
            host_.phaseChanged(phase_, current_);
        return;
    }
    current_ = {};
    setPhase(BatchPhase::Waiting);
    schedule(Next::Probe, 0);
}

void BatchWriter::finish(const std::string& why) {
    if (phase_ == BatchPhase::Ended)
        return;
    stepTimer_.stop();
    next_ = Next::None;
    if (engine_.busy()) {
        PrompterSwap quiet(app_, quiet_.get());
        phase_ = BatchPhase::Ended;
        engine_.abort();
    }
    phase_ = BatchPhase::Ended;
    host_.phaseChanged(phase_, current_);
    host_.batchEnded(count_, why);
}

} // namespace zt
