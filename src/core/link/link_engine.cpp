// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/link_engine.h"

#include "link/link_engine_ids.h"

#include "link/radio_search.h"
#include "link/write_acks.h"
#include "model/model_config.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace zt {

using namespace link_ids;

namespace {

using u8 = std::uint8_t;

// Sum of the bytes from the address-high byte through the last data byte, modulo 256.
u8 Checksum(ByteSpan bytes) {
    unsigned sum = 0;
    for (u8 b : bytes)
        sum += b;
    return static_cast<u8>(sum & 0xFF);
}

} // namespace

// Every request of the link, built here and nowhere else: its bytes (which an echoing cable sends
// back in front of the reply) and the length of the reply it expects.
struct LinkFrame {
    std::vector<u8> bytes;
    std::size_t replyLength;
};

namespace {

// "PROGRAM"; reply "ZT" 0x06.
LinkFrame HandshakeFrame() {
    return {{'P', 'R', 'O', 'G', 'R', 'A', 'M'}, 3};
}
// 0x02; reply 'P', 14 bytes of identification, 0x06.
LinkFrame IdentRequestFrame() {
    return {{0x02}, 16};
}
// 'R', address (high byte first), block length; reply a data block (IsDataReply).
LinkFrame ReadRequestFrame(long address) {
    return {{'R', static_cast<u8>(address / 256), static_cast<u8>(address % 256), kBlockLength},
            kBlockLength + 6};
}
// 'W', address, block length, the block's bytes, checksum, 0x06; reply 0x06 (or 0x0A: again).
// Bytes outside the image are sent erased.
LinkFrame WriteBlockFrame(long address, const RadioImage& image) {
    LinkFrame f{{'W', static_cast<u8>(address / 256), static_cast<u8>(address % 256), kBlockLength}, 1};
    for (long i = 0; i < kBlockLength; ++i) {
        const long a = address + i;
        f.bytes.push_back(a >= 0 && a < static_cast<long>(image.size()) ? image[static_cast<std::size_t>(a)]
                                                                        : 0xFF);
    }
    f.bytes.push_back(Checksum(ByteSpan(f.bytes).subspan(1)));
    f.bytes.push_back(0x06);
    return f;
}
// "END"; reply 0x06.
LinkFrame EndFrame() {
    return {{'E', 'N', 'D'}, 1};
}

// A 'W' reply: 'W', address, length n, n data bytes, checksum, 0x06, with n + 6 bytes in all.
bool IsDataReply(ByteSpan r) {
    if (r.size() < 22 || r[0] != 'W')
        return false;
    const std::size_t n = r[3];
    if (r.size() != n + 6 || r.back() != 0x06)
        return false;
    return Checksum(r.subspan(1, n + 3)) == r[n + 4];
}

int ReplyAddress(ByteSpan r) {
    return r[1] << 8 | r[2];
}

// Text of reply bytes [from, from + n) up to the first byte in `stops`.
std::string AsciiUntil(ByteSpan r, std::size_t from, std::size_t n, bool stopAtFF) {
    std::string s;
    for (std::size_t i = from; i < from + n && i < r.size(); ++i) {
        if (r[i] == 0x00 || (stopAtFF && r[i] == 0xFF))
            break;
        s += static_cast<char>(r[i]);
    }
    return s;
}

// `text` with its first `marker` replaced by `value`.
void ReplaceFirst(std::string& text, const std::string& marker, const std::string& value) {
    const auto at = text.find(marker);
    if (at != std::string::npos)
        text.replace(at, marker.size(), value);
}

// a * 100 / b to the nearest integer, halves to the even neighbour (a >= 0, b > 0).
int PercentHalfEven(long a, long b) {
    const long p = a * 100;
    long q = p / b;
    const long rem = p % b;
    if (2 * rem > b || (2 * rem == b && q % 2 == 1))
        ++q;
    return static_cast<int>(q);
}

} // namespace

LinkEngine::LinkEngine(AppState& app, Document& doc, LinkPort& port, LinkTimer& timer, LinkHost& host,
                       const LinkVersionTable& versions)
    : app_(app), doc_(doc), port_(port), timer_(timer), host_(host), versions_(versions) {
    image_.fill(0xFF);
    infoBlock_.fill(0xFF);
}

std::string LinkEngine::portName() const {
    if (!app_.ComPortName.empty())
        return app_.ComPortName;
    return "COM" + std::to_string(app_.ComPort);
}

std::string LinkEngine::WithReason(const std::string& text) const {
    const std::string why = port_.openFailure();
    return why.empty() ? text : text + "\r\n" + why;
}

Answer LinkEngine::ask(const std::string& text, Icon icon, Buttons buttons) {
    if (!app_.prompter)
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    // Port and timer events that arrive while the question is open are dropped.
    const bool was = inDialog_;
    inDialog_ = true;
    const Answer a = app_.prompter->ask(text, icon, buttons);
    inDialog_ = was;
    return a;
}

LinkStep& LinkEngine::step() {
    return sendsBlocks() ? writeStep_ : readStep_;
}

// ---- commands ----------------------------------------------------------------------------

void LinkEngine::setBlockRange() {
    if (mode_ == LinkMode::Info) {
        blockAddress_ = kInfoBase - kBlockLength;
        endAddress_ = kInfoEnd;
    } else {
        blockAddress_ = -kBlockLength;
        endAddress_ = kImageEnd;
    }
    lastPercent_ = 0;
    // One counter per block number, 0 .. end / 16 to the nearest integer.
    blockRetries_.assign(static_cast<std::size_t>((endAddress_ + kBlockLength / 2) / kBlockLength) + 1,
                         kBlockRetries);
}

bool LinkEngine::openLinkPort() {
    setBlockRange();
    timer_.stop();
    return reopenForExchange();
}

bool LinkEngine::reopenForExchange() {
    port_.close();
    threshold_ = 1;
    if (port_.open(portName()))
        return true;
    refuse(LinkOutcome::PortUnavailable, kMsgPortFailed, WithReason(app_.LangText(kMsgPortFailed)),
           Icon::Critical);
    return false;
}

void LinkEngine::beginResult(LinkMode mode) {
    result_ = LinkResult{};
    result_.mode = mode;
}

void LinkEngine::settle(LinkOutcome outcome, int messageId, std::string text, bool declined) {
    if (result_.outcome != LinkOutcome::Success)
        return;
    result_.outcome = outcome;
    result_.messageId = messageId;
    result_.text = std::move(text);
    result_.declined = declined;
}

void LinkEngine::refuse(LinkOutcome outcome, int messageId, const std::string& text, Icon icon) {
    message(text, icon);
    settle(outcome, messageId, text);
}

bool LinkEngine::notStarted(LinkOutcome outcome) {
    settle(outcome, 0, {});
    mode_ = LinkMode::None;
    return false;
}

bool LinkEngine::startRead() {
    restoring_ = false;
    return startImageExchange(LinkMode::Read, kMsgConfirmRead);
}

bool LinkEngine::startWrite() {
    restoring_ = false;
    return startImageExchange(LinkMode::Write, kMsgConfirmWrite);
}

bool LinkEngine::startRestore(const RadioImage& image, const RestoreTarget& target) {
    if (busy())
        return false;
    restoring_ = true;
    restore_ = target;
    before_ = image; // held here until the exchange starts
    return startImageExchange(LinkMode::Write, kMsgConfirmRestore);
}

// Read and write begin alike: test-open the port, ask for confirmation, prepare the image (cleared
// for a read, the encoded document for a write), open the progress window, reopen the port and
// send the first handshake.
bool LinkEngine::startImageExchange(LinkMode mode, int confirmTextId) {
    if (busy())
        return false;
    beginResult(mode);
    mode_ = mode;
    step() = LinkStep::Idle;
    if (!openLinkPort())
        return notStarted(LinkOutcome::PortUnavailable);
    port_.close(); // opened only to see that it can be
    const std::string confirm = app_.LangText(confirmTextId);
    if (ask(confirm, Icon::Question, Buttons::OkCancel) != Answer::Ok) {
        settle(LinkOutcome::NotConfirmed, confirmTextId, confirm, true);
        return notStarted(LinkOutcome::NotConfirmed);
    }
    ClearRadioImage(image_);
    wroteBlocks_ = false;
    stopping_ = false;
    confirmedEnd_ = 0;
    acks_ = WriteAckWatch{};
    writeBackupFolder_.clear();
    beforeBackupFolder_.clear();
    writeStarted_ = false;
    withoutBackupChosen_ = false;
    if (readInfoFirst_)
        cable_.reset(); // read again in a moment; otherwise the host has just read it
    if (mode == LinkMode::Write && restoring_) {
        image_ = before_; // the backup's memory, byte for byte
    } else if (mode == LinkMode::Write) {
        // The working copy learns what is sent: which channels are blank, and the current model.
        MarkBlankChannels(doc_.work);
        StoreModelInfo(app_, doc_.work.settings);
        EncodeRadioImage(app_, doc_.work, image_);
    }
    before_.fill(0xFF);
    host_.openProgress(mode_);
    if (!reopenForExchange()) {
        host_.closeProgress();
        return notStarted(LinkOutcome::PortUnavailable);
    }
    readingBack_ = false;
    differences_.clear();
    mainMode_ = mode;
    afterEnd_ = false;
    if (readInfoFirst_)
        beginPhase(Phase::Info);
    else if (mode == LinkMode::Write && keepBeforeWrite_)
        beginPhase(Phase::Memory);
    else
        beginMain();
    return true;
}

// A step before the exchange the user asked for, on the port that is open: the information area
// (as the information read does it), or the whole memory before a write (as a read does it).
void LinkEngine::beginPhase(Phase phase) {
    phase_ = phase;
    mode_ = phase == Phase::Info ? LinkMode::Info : LinkMode::Read;
    readStep_ = writeStep_ = LinkStep::Idle;
    setBlockRange();
    repeatRequests_ = 0;
    passwordBlockRetries_ = 3;
    handshakeAttempts_ = 0;
    if (phase == Phase::Memory) {
        host_.beginBackupRead();
        host_.setProgress(0);
    }
    sendHandshake();
}

// The exchange the user asked for; a write first keeps what it is about to send.
void LinkEngine::beginMain() {
    phase_ = Phase::Main;
    mode_ = mainMode_;
    readStep_ = writeStep_ = LinkStep::Idle;
    if (mode_ == LinkMode::Write) {
        // What is about to be written is kept before the first frame, so that the write is listed
        // with the document it sent (and its outcome once known).
        if (!keepWriteBackup()) {
            closeLink(false);
            return;
        }
        if (afterEnd_) {
            host_.beginWriting();
            host_.setProgress(0);
        }
    }
    setBlockRange();
    repeatRequests_ = 0;
    passwordBlockRetries_ = 3;
    handshakeAttempts_ = 0;
    sendHandshake();
}

// A step before the exchange ended well: the next one starts on the same port.
void LinkEngine::nextPhase() {
    timer_.stop();
    afterEnd_ = true;
    if (phase_ == Phase::Info) {
        CableRadio radio;
        radio.ident = ident_;
        radio.infoBlock = infoBlock_;
        DecodeRadioInfo(infoBlock_, radio.info);
        cable_ = radio;
        if (restoring_ && !checkRestoreTarget()) {
            closeLink(false);
            return;
        }
        if (mainMode_ == LinkMode::Write && keepBeforeWrite_) {
            beginPhase(Phase::Memory);
            return;
        }
    } else if (phase_ == Phase::Memory) {
        const WriteBackup kept = host_.keepMemoryBackup(before_);
        beforeBackupFolder_ = kept.folder;
        if (!kept.error.empty()) {
            const std::string question =
                app_.LangTextOr(kMsgNoMemoryBackup, "The radio's memory could not be kept before the write. "
                                                    "Write without it?") +
                "\r\n" + kept.error;
            const auto decided = host_.decideWriteWithoutBackup();
            if (!(decided ? *decided : ask(question, Icon::Warning, Buttons::YesNo) == Answer::Yes)) {
                settle(LinkOutcome::BackupNotKept, kMsgNoMemoryBackup, question, true);
                closeLink(false);
                return;
            }
            withoutBackupChosen_ = true;
        }
    }
    beginMain();
}

// A restore is for the radio its backup was taken of: another one is written only when the user
// (or the host) chooses so.
bool LinkEngine::checkRestoreTarget() {
    const std::string radio = cable_ ? cable_->serial() : std::string();
    if (radio == restore_.serial)
        return true;
    const auto none = [this](const std::string& serial) {
        return serial.empty() ? app_.LangTextOr(34656, "(no serial number)") : serial;
    };
    const std::string question = app_.LangTextOr(
        kMsgOtherRadio,
        "This backup was taken of the radio with serial number %1, but the radio on the cable "
        "has serial number %2. Restore it there?",
        none(restore_.serial), none(radio));
    const auto decided = host_.decideOtherRadio(restore_.serial, radio);
    if (decided ? *decided : ask(question, Icon::Warning, Buttons::YesNo) == Answer::Yes)
        return true;
    settle(LinkOutcome::OtherRadio, kMsgOtherRadio, question, true);
    return false;
}

RadioImage& LinkEngine::blockTarget() {
    if (readingBack_)
        return readBack_;
    return phase_ == Phase::Memory ? before_ : image_;
}

bool LinkEngine::keepWriteBackup() {
    const WriteBackup kept = host_.keepWriteBackup(image_);
    writeBackupFolder_ = kept.folder;
    writeStarted_ = true;
    if (kept.error.empty())
        return true;
    if (withoutBackupChosen_)
        return true; // the user chose already, when the memory before the write could not be kept
    const std::string question = app_.LangText(kMsgNoWriteBackup) + "\r\n" + kept.error;
    const auto decided = host_.decideWriteWithoutBackup();
    if (decided ? *decided : ask(question, Icon::Warning, Buttons::YesNo) == Answer::Yes)
        return true;
    settle(LinkOutcome::BackupNotKept, kMsgNoWriteBackup, question, true);
    return false;
}

bool LinkEngine::startInfoRead() {
    if (busy())
        return false;
    beginResult(LinkMode::Info);
    mode_ = LinkMode::Info;
    mainMode_ = LinkMode::Info;
    phase_ = Phase::Main;
    stopping_ = false;
    afterEnd_ = false;
    cable_.reset();
    readStep_ = LinkStep::Idle;
    if (!openLinkPort())
        return notStarted(LinkOutcome::PortUnavailable);
    handshakeAttempts_ = 0;
    sendHandshake();
    return true;
}

bool LinkEngine::startLinkTest() {
    if (busy())
        return false;
    beginResult(LinkMode::LinkTest);
    mode_ = LinkMode::LinkTest;
    port_.close();
    if (!port_.open(portName())) {
        mode_ = LinkMode::None;
        refuse(LinkOutcome::PortUnavailable, 0, WithReason("Cannot Open Communication Port."),
               Icon::Critical);
        return false;
    }
    handshakeAttempts_ = 0;
    sendHandshake();
    return true;
}

void LinkEngine::abort() {
    if (busy())
        settle(LinkOutcome::Aborted, 0, {});
    if (mode_ == LinkMode::LinkTest)
        endLinkTest(false);
    else if (busy())
        endLink(false);
}

void LinkEngine::stopAfterBlock() {
    if (!busy() || mode_ == LinkMode::LinkTest) {
        abort();
        return;
    }
    if (stopping_)
        return;
    stopping_ = true;
    settle(LinkOutcome::Aborted, 0, app_.LangTextOr(kMsgStopped, "The exchange was stopped."));
}

// ---- senders -----------------------------------------------------------------------------

void LinkEngine::sendFrame(const LinkFrame& frame) {
    echoOffset_ = noEcho_ ? 0 : frame.bytes.size();
    threshold_ = echoOffset_ + frame.replyLength;
    port_.setReceiveThreshold(threshold_);
    timer_.start(mode_ == LinkMode::LinkTest ? kLinkTestTimeoutMs : kReplyTimeoutMs);
    port_.discardOutput();
    // Bytes pending now answer no frame still to be answered: stale, and during a write a sign
    // that some acknowledgement came more than once (link/write_acks.h); the echo of a frame whose
    // reply never came is no such sign.
    const std::size_t stale = port_.discardInput();
    acks_.stale(stale > unansweredEcho_ ? stale - unansweredEcho_ : 0);
    unansweredEcho_ = echoOffset_;
    port_.write(frame.bytes);
}

void LinkEngine::sendHandshake() {
    switch (mode_) {
    case LinkMode::Read:
    case LinkMode::Info:
        readStep_ = LinkStep::Handshake;
        writeStep_ = LinkStep::Idle;
        break;
    case LinkMode::Write:
        (readingBack_ ? readStep_ : writeStep_) = LinkStep::Handshake;
        (readingBack_ ? writeStep_ : readStep_) = LinkStep::Idle;
        break;
    case LinkMode::LinkTest:
        break;
    case LinkMode::None:
        readStep_ = writeStep_ = LinkStep::Idle;
        return;
    }
    listening_ = true;
    sendFrame(HandshakeFrame());
}

void LinkEngine::sendIdentRequest() {
    sendFrame(IdentRequestFrame());
}

void LinkEngine::sendPasswordBlockRead() {
    sendFrame(ReadRequestFrame(kPasswordBlock));
}

void LinkEngine::sendReadBlock() {
    if (blockAddress_ >= endAddress_) {
        finishBlocks();
        return;
    }
    sendFrame(ReadRequestFrame(blockAddress_));
}

void LinkEngine::sendWriteBlock() {
    if (blockAddress_ >= endAddress_) {
        finishBlocks();
        return;
    }
    updateProgress();
    wroteBlocks_ = true;
    if (!acks_.watching())
        acks_.begin();
    sendFrame(WriteBlockFrame(blockAddress_, image_));
}

// The current block again: write frames in a write exchange, read requests otherwise.
void LinkEngine::sendBlock() {
    if (sendsBlocks())
        sendWriteBlock();
    else
        sendReadBlock();
}

void LinkEngine::sendNextBlock() {
    blockAddress_ += kBlockLength;
    repeatRequests_ = 0;
    sendBlock();
}

void LinkEngine::sendEnd() {
    sendFrame(EndFrame());
}

void LinkEngine::finishBlocks() {
    if (isRadioExchange()) {
        step() = LinkStep::End;
        sendEnd();
    } else {
        endLink(false);
    }
}

// ---- receiving ---------------------------------------------------------------------------

void LinkEngine::onReceive(ByteSpan bytes) {
    if (inDialog_ || !listening_)
        return; // read and dropped
    if (mode_ == LinkMode::LinkTest) {
        // The test looks only at the last three bytes: with or without the echo in front.
        const std::size_t n = bytes.size();
        if (n >= 3 && bytes[n - 3] == 'Z' && bytes[n - 2] == 'T' && bytes[n - 1] == 0x06) {
            timer_.stop();
            app_.IsFirstRun = false;
            endLinkTest(true);
        }
        return;
    }
    if (ackQuiet_) {
        acks_.unasked(bytes.size()); // after the end frame's acknowledgement nothing is due
        return;
    }
    // A late notification with fewer bytes than the threshold cannot be cut: let the time-out act.
    if (bytes.size() < threshold_ || threshold_ < echoOffset_)
        return;
    acks_.delivered(bytes.size(), threshold_);
    unansweredEcho_ = 0;
    const ByteSpan r = bytes.subspan(echoOffset_, threshold_ - echoOffset_);

    if (r.size() == 1 && r[0] == 0x06) {
        advance();
    } else if (r.size() == 1 && r[0] == 0x0A) {
        // The radio asks for the write frame again. Only a write exchange sends write frames:
        // elsewhere the request is ignored.
        if (sendsBlocks())
            onRepeatRequest();
    } else if (r.size() == 3 && r[0] == 'Z' && r[1] == 'T' && r[2] == 0x06) {
        advance();
    } else if (r.size() == 16 && r[0] == 'P' && r[15] == 0x06) {
        onIdentReply(r);
    } else if (IsDataReply(r) && ReplyAddress(r) == kPasswordBlock && awaitsPasswordBlock()) {
        onPasswordReply(r);
    } else if (IsDataReply(r) && ReplyAddress(r) == blockAddress_ && r[3] == kBlockLength) {
        storeBlock(r.subspan(4, kBlockLength));
        if (isImageExchange())
            updateProgress();
        advance();
    }
    // Anything else is ignored; the reply timer decides.
}

void LinkEngine::onRepeatRequest() {
    timer_.stop();
    // No block retry is spent on a repeat request, but a radio that never stores the frame is
    // not sent it for ever.
    if (++repeatRequests_ <= kMaxRepeatRequests) {
        sendWriteBlock();
        return;
    }
    if (writeStep_ == LinkStep::End) {
        endLink(true); // as for an end frame that goes unanswered: every block was acknowledged
        return;
    }
    std::string question = app_.LangText(kMsgBlockRefused);
    char address[8];
    std::snprintf(address, sizeof address, "0x%04lX", static_cast<unsigned long>(blockAddress_ & 0xFFFF));
    ReplaceFirst(question, "%1", address);
    ReplaceFirst(question, "%2", std::to_string(kMaxRepeatRequests + 1));
    askRetryLink(kMsgBlockRefused, question);
}

void LinkEngine::onIdentReply(ByteSpan r) {
    if (readingBack_) {
        advance(); // not looked at again when a write is read back
        return;
    }
    ident_.modelId = AsciiUntil(r, 1, 6, false);
    ident_.variant = r[7];
    ident_.firmware = AsciiUntil(r, 9, 4, false);
    if (ident_.modelId == "ZR2450" && ident_.variant == 2) {
        ident_.modelId = "ZT-450E";
        ident_.variant = 0;
    }
    if (mode_ == LinkMode::Info) {
        advance(); // the radio is named; nothing else depends on it in this exchange
        return;
    }
    result_.radioVersion = ident_.firmware;
    // The radio's own identification goes into the image, so a write gives it back unchanged.
    RadioImage& into = blockTarget();
    for (std::size_t i = 1; i <= 14; ++i)
        if (i != 7)
            into[addr::kIdent + i - 1] = r[i];

    if (mode_ == LinkMode::Write) {
        if (readFlags_[0] || readFlags_[1]) {
            timer_.stop();
            const int id = readFlags_[0] ? kMsgRadioLocked : kMsgRadioProtected;
            refuse(readFlags_[0] ? LinkOutcome::RadioLocked : LinkOutcome::RadioProtected, id,
                   app_.LangText(id));
            endLink(false);
            return;
        }
    }
    advance();
}

bool LinkEngine::checkRadioPassword(ByteSpan r) const {
    // Data bytes 12..15 of the password block; the text ends at the first 0x00 or 0xFF.
    const std::string radio = AsciiUntil(r, 4 + 12, 4, true);
    return radio.empty() || radio == password_;
}

void LinkEngine::onPasswordReply(ByteSpan r) {
    if (checkRadioPassword(r)) {
        advance();
        return;
    }
    timer_.stop();
    const bool was = inDialog_;
    inDialog_ = true;
    const bool shown = host_.askPassword(password_);
    inDialog_ = was;
    if (!shown) {
        settle(LinkOutcome::PasswordRefused, 0, {});
        endLink(false);
    } else if (checkRadioPassword(r)) {
        advance();
    } else {
        refuse(LinkOutcome::PasswordRefused, 0, "PassWord Failure!");
        endLink(false);
    }
}

void LinkEngine::storeBlock(ByteSpan data) {
    const long a = blockAddress_;
    RadioImage& into = blockTarget();
    if (a >= 0 && a + static_cast<long>(data.size()) <= static_cast<long>(into.size()))
        std::copy(data.begin(), data.end(), into.begin() + a);
    else if (a >= kInfoBase && a + static_cast<long>(data.size()) <= kInfoEnd + 1)
        std::copy(data.begin(), data.end(), infoBlock_.begin() + (a - kInfoBase));
}

void LinkEngine::updateProgress() {
    if (blockAddress_ < 0 || endAddress_ <= 0)
        return;
    const int pct = std::min(100, PercentHalfEven(blockAddress_, endAddress_));
    if (pct - lastPercent_ >= 1) {
        lastPercent_ = pct;
        host_.setProgress(pct);
    }
}

// ---- steps -------------------------------------------------------------------------------

void LinkEngine::advance() {
    timer_.stop();
    if (!isRadioExchange())
        return;
    LinkStep& s = step();
    if (sendsBlocks() && s == blockStep() && blockAddress_ >= 0)
        confirmedEnd_ = blockAddress_ + kBlockLength;
    if (stopping_) {
        // Stopped: the frame in flight is answered; the end frame closes the radio's session.
        if (s == LinkStep::End) {
            closeLink(false);
        } else {
            s = LinkStep::End;
            sendEnd();
        }
        return;
    }
    switch (s) {
    case LinkStep::Handshake:
        // The information read needs no password: its identification request runs at step 3.
        s = mode_ == LinkMode::Info ? LinkStep::PasswordBlock : LinkStep::Ident;
        sendIdentRequest();
        return;
    case LinkStep::Ident:
        if (!isImageExchange())
            break;
        s = LinkStep::PasswordBlock;
        sendPasswordBlockRead();
        return;
    case LinkStep::PasswordBlock:
        if (isImageExchange() && !readingBack_ && !checkRadioCompatible())
            break;
        s = blockStep();
        sendNextBlock();
        return;
    case LinkStep::End:
        if (sendsBlocks() && acks_.watching()) {
            // The last repetition of a write whose replies ran ahead would come now.
            ackQuiet_ = true;
            threshold_ = 1;
            port_.setReceiveThreshold(threshold_);
            timer_.start(kAckQuietMs);
            return;
        }
        endLink(true);
        return;
    default:
        if (s != blockStep())
            break;
        sendNextBlock();
        return;
    }
    endLink(false);
}

bool LinkEngine::checkRadioCompatible() {
    timer_.stop();
    // A restore is checked against its backup's model and band, anything else against the document's.
    const int bandCode = restoring_ ? restore_.bandCode : BandCodeFromText(app_.BandText);
    const bool modelOk = (restoring_ ? restore_.model : TrimFixed(app_.ModelNameText)) == ident_.modelId;
    const bool bandOk = mode_ != LinkMode::Write || bandCode == ident_.variant;
    const bool versionOk = versions_.isPairKnown(kOwnVersion, ident_.firmware);
    if (modelOk && bandOk && versionOk)
        return true;
    if (!modelOk) {
        refuse(LinkOutcome::WrongModel, kMsgWrongModel,
               app_.LangText(kMsgWrongModel) + "\r\nRadio is " +
                   ModelFromRadioId(ident_.modelId, ident_.variant));
        return false;
    }
    if (versionOk) {
        // Only the band differs (writing): a band of the same family may be written after a warning.
        const int dataFamily = (bandCode & 0xF8) / 8;
        const int radioFamily = (ident_.variant & 0xF8) / 8;
        if (dataFamily <= 3 && dataFamily == radioFamily) {
            const std::string warning = app_.LangText(kMsgBandFamily);
            if (ask(warning, Icon::Warning, Buttons::OkCancel) == Answer::Ok)
                return true;
            settle(LinkOutcome::BandRefused, kMsgBandFamily, warning, true);
            return false;
        }
        refuse(LinkOutcome::BandRefused, kMsgBandDiffers, app_.LangText(kMsgBandDiffers), Icon::Warning);
        return false;
    }
    const std::string question = versions_.versionMessage(kOwnVersion, ident_.firmware, 0);
    const bool handOver = ask(question, Icon::Question, Buttons::YesNo) == Answer::Yes;
    settle(LinkOutcome::OtherVersion, 0, question, !handOver);
    result_.handOver = handOver;
    return false;
}

// ---- time-outs ---------------------------------------------------------------------------

std::size_t LinkEngine::blockIndex() const {
    return static_cast<std::size_t>((blockAddress_ + kBlockLength / 2) / kBlockLength);
}

bool LinkEngine::blockRetriesLeft() const {
    return blockAddress_ >= 0 && blockIndex() < blockRetries_.size() && blockRetries_[blockIndex()] >= 1;
}

// Another handshake with the other echo guess while attempts remain; false once they are spent.
bool LinkEngine::retryHandshake() {
    if (++handshakeAttempts_ > (readingBack_ || afterEnd_ ? kMaxReadBackHandshakes : kMaxHandshakes))
        return false;
    noEcho_ = !noEcho_;
    sendHandshake();
    return true;
}

void LinkEngine::onReplyTimeout() {
    if (inDialog_)
        return;
    timer_.stop();
    if (ackQuiet_) {
        ackQuiet_ = false;
        endLink(true);
        return;
    }
    if (stopping_ && isRadioExchange()) {
        // The frame in flight went unanswered: the end frame goes out without awaiting a reply.
        if (step() == LinkStep::End)
            closeLink(false);
        else
            endLink(false);
        return;
    }
    if (mode_ == LinkMode::LinkTest) {
        if (!retryHandshake()) {
            handshakeAttempts_ = 0;
            listening_ = false;
            refuse(LinkOutcome::NoReply, 0,
                   "Communication Error!\r\n" + portName() + ": " + PortFaultText(app_, PortFault::NoAnswer));
            endLinkTest(false);
        }
        return;
    }
    if (!isRadioExchange())
        return;
    const LinkStep s = step();
    if (s == LinkStep::Idle) {
        return;
    } else if (s == LinkStep::End) {
        endLink(true); // an unacknowledged end frame still counts as success
    } else if (readingBack_) {
        // The write itself is done: a radio that stops answering now is not asked for again (that
        // would start the write over), the read-back just ends unfinished.
        if (s == LinkStep::Handshake && retryHandshake())
            return;
        if (atBlockStep() && blockRetriesLeft()) {
            --blockRetries_[blockIndex()];
            sendBlock();
            return;
        }
        endLink(false);
    } else if (mode_ == LinkMode::Info) {
        // Any silence of the radio but the handshake's, whose echo guess is flipped first, asks
        // whether to try again.
        if (s != LinkStep::Handshake || !retryHandshake())
            askRetryInfo();
    } else if (s == LinkStep::Handshake) {
        if (!retryHandshake())
            askRetryLink();
    } else if (s == LinkStep::PasswordBlock && passwordBlockRetries_-- >= 2) {
        sendPasswordBlockRead();
    } else if (atBlockStep() && blockRetriesLeft()) {
        // Every block may be asked for again three times in the whole exchange.
        --blockRetries_[blockIndex()];
        sendBlock();
    } else {
        askRetryLink();
    }
}

void LinkEngine::askRetryLink() {
    askRetryLink(kMsgRetryLink, app_.LangText(kMsgRetryLink));
}

void LinkEngine::askRetryLink(int questionId, const std::string& question) {
    listening_ = false;
    handshakeAttempts_ = 0;
    passwordBlockRetries_ = 3;
    const auto decided = host_.decideRetry();
    if (decided ? *decided : ask(question, Icon::Question, Buttons::OkCancel) == Answer::Ok) {
        reopenForRetry();
        repeatRequests_ = 0;
        sendHandshake();
        blockAddress_ = -kBlockLength; // the whole memory again from the first block
        lastPercent_ = 0;
        host_.setProgress(0);
    } else {
        settle(LinkOutcome::NoReply, questionId, question, true);
        endLink(false);
    }
}

void LinkEngine::reopenForRetry() {
    port_.close();
    threshold_ = 1;
    // A port that cannot be opened yet sends nothing: the handshake's time-outs lead to the
    // question again, and the next answer tries the port again.
    port_.open(portName());
}

void LinkEngine::askRetryInfo() {
    listening_ = false;
    const std::string question = app_.LangText(kMsgRetryLink);
    const auto decided = host_.decideRetry();
    if (!(decided ? *decided : ask(question, Icon::None, Buttons::RetryCancel) == Answer::Retry)) {
        settle(LinkOutcome::NoReply, kMsgRetryLink, question, true);
        endLink(false);
        return;
    }
    // The exchange goes on after the new handshake where it stopped. A block whose reply never
    // came is asked for again: going on with the next one would report success while a part of
    // the information area was never read (it would show empty, or what an earlier radio held).
    if (readStep_ == LinkStep::ReadBlocks && blockAddress_ >= kInfoBase)
        blockAddress_ -= kBlockLength;
    handshakeAttempts_ = 0; // the new start gets every echo guess again
    reopenForRetry();
    sendHandshake();
}

RestoreTarget RestoreTargetOf(const RadioImage& image, std::string serial) {
    auto scratch = std::make_unique<DocumentCopy>();
    DecodedIdent ident;
    DecodeRadioImage(image, *scratch, &ident);
    return {ident.model, ident.bandCode, std::move(serial)};
}

// ---- after a read ------------------------------------------------------------------------

void AcceptReadImage(LinkEngine& engine, AppState& app, Document& doc) {
    const RadioFlags flags = DecodeRadioImage(engine.image(), doc.work);
    LoadModelInfo(app, doc.work.settings, engine.radioInfo());
    engine.setReadRadioFlags(flags);
    for (std::size_t i = 0; i < flags.size(); ++i)
        if (app.StoredRadioParams[i] == 0 && flags[i])
            app.StoredRadioParams[i] = 1;
    app.DocFileName = "new.dat";
    app.IsUntitled = true;
}

} // namespace zt
