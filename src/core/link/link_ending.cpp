// SPDX-License-Identifier: GPL-3.0-or-later
// The end of an exchange: the read-back of a write, the message that ends it, what a write cut
// short may have left in the radio, and the result handed to the host.
#include "link/link_engine.h"

#include "link/link_engine_ids.h"

namespace zt {

using namespace link_ids;

// ---- ending ------------------------------------------------------------------------------

void LinkEngine::endLink(bool ok) {
    if (!ok && port_.isOpen())
        sendEnd(); // no reply is awaited
    closeLink(ok);
}

void LinkEngine::beginReadBack() {
    readingBack_ = true;
    readBack_.fill(0xFF);
    differences_.clear();
    blockAddress_ = -kBlockLength;
    endAddress_ = kImageEnd;
    lastPercent_ = 0;
    blockRetries_.assign(static_cast<std::size_t>((endAddress_ + kBlockLength / 2) / kBlockLength) + 1,
                         kBlockRetries);
    handshakeAttempts_ = 0;
    host_.beginReadBack();
    sendHandshake();
}

VerifyStatus LinkEngine::finishReadBack(bool complete) {
    readingBack_ = false;
    if (!complete)
        return VerifyStatus::Unfinished;
    differences_ = CompareWrittenImage(image_, readBack_);
    return differences_.empty() ? VerifyStatus::Verified : VerifyStatus::Differs;
}

void LinkEngine::writeEndMessage(VerifyStatus verify) {
    int id = kMsgWriteDone;
    std::string text = app_.LangText(kMsgWriteDone);
    Icon icon = Icon::None;
    if (result_.repeatedAcks && verify == VerifyStatus::Unfinished) {
        // Nothing confirms this write: neither the acknowledgements nor the read-back.
        id = kMsgRepeatedAcksUnfinished;
        text = app_.LangTextOr(kMsgRepeatedAcksUnfinished, kRepeatedAcksUnfinishedText);
        icon = Icon::Warning;
    } else if (verify == VerifyStatus::Verified) {
        if (result_.repeatedAcks)
            text += "\r\n" + app_.LangTextOr(kMsgRepeatedAcks, kRepeatedAcksText);
        text += "\r\n" + app_.LangText(kMsgVerified);
    } else if (verify == VerifyStatus::Differs) {
        id = kMsgVerifyDiffers;
        text = app_.LangText(kMsgVerifyDiffers);
        if (result_.repeatedAcks)
            text += "\r\n" + app_.LangTextOr(kMsgRepeatedAcks, kRepeatedAcksText);
        for (const std::string& line : DescribeDifferences(app_, differences_))
            text += "\r\n" + line;
        icon = Icon::Warning;
    } else if (verify == VerifyStatus::Unfinished) {
        id = kMsgVerifyUnfinished;
        text = app_.LangText(kMsgVerifyUnfinished);
        icon = Icon::Warning;
    }
    if (verify != VerifyStatus::Verified && verify != VerifyStatus::NotRun && host_.offersWriteAgain()) {
        text += "\r\n\r\n" + app_.LangText(kMsgWriteAgain);
        result_.writeAgain = ask(text, icon, Buttons::YesNo) == Answer::Yes;
    } else {
        message(text, icon);
    }
    result_.messageId = id;
    result_.text = text;
}

void LinkEngine::closeLink(bool ok) {
    if (phase_ != Phase::Main) {
        // A step before the exchange the user asked for: the next one follows on the same port;
        // a failure ends the whole exchange as that one.
        if (ok && port_.isOpen()) {
            nextPhase();
            return;
        }
        phase_ = Phase::Main;
        mode_ = mainMode_;
        ok = false;
    }
    ackQuiet_ = false;
    // A write the radio acknowledged is read back before it ends, when asked to, and always when
    // some acknowledgement came more than once: then the acknowledgements do not show what the
    // radio stored.
    const bool doubtful = mode_ == LinkMode::Write && acks_.doubtful();
    if (ok && mode_ == LinkMode::Write && (verifyAfterWrite_ || doubtful) && !readingBack_ &&
        port_.isOpen()) {
        acks_.end();
        beginReadBack();
        return;
    }
    acks_.end();
    if (ok && doubtful && !readingBack_) {
        // The port closed under the write: what the radio stored cannot be checked.
        refuse(LinkOutcome::Failed, kMsgRepeatedAcksUnfinished,
               app_.LangTextOr(kMsgRepeatedAcksUnfinished, kRepeatedAcksUnfinishedText), Icon::Warning);
        ok = false;
    }
    VerifyStatus verify = VerifyStatus::NotRun;
    if (readingBack_) {
        // Whatever ended the read-back, the write before it was acknowledged block by block.
        verify = finishReadBack(ok);
        ok = true;
        const std::string version = result_.radioVersion;
        result_ = LinkResult{};
        result_.mode = LinkMode::Write;
        result_.radioVersion = version;
    }
    result_.repeatedAcks = doubtful;
    const LinkMode mode = mode_;
    listening_ = false;
    port_.close();
    if (mode == LinkMode::Write && writeStarted_)
        host_.writeOutcome(ok && (!doubtful || verify == VerifyStatus::Verified), verify);
    if (ok && mode == LinkMode::Info) {
        CableRadio radio;
        radio.ident = ident_;
        radio.infoBlock = infoBlock_;
        DecodeRadioInfo(infoBlock_, radio.info);
        cable_ = radio;
    }
    if (ok && mode == LinkMode::Read)
        host_.keepBackup(mode, image_); // the whole memory as read, before anything else
    if (mode == LinkMode::Read || mode == LinkMode::Write)
        host_.closeProgress();
    if (!ok && mode == LinkMode::Write && wroteBlocks_)
        reportPartialWrite();
    if (ok) {
        if (mode == LinkMode::Info)
            DecodeRadioInfo(infoBlock_, info_);
        if (mode == LinkMode::Read) {
            message(app_.LangText(kMsgReadDone));
            result_.messageId = kMsgReadDone;
            result_.text = app_.LangText(kMsgReadDone);
        } else if (mode == LinkMode::Write) {
            writeEndMessage(verify);
        }
    }
    result_.verify = verify;
    timer_.stop();
    mode_ = LinkMode::None;
    readStep_ = LinkStep::Idle;
    writeStep_ = LinkStep::Idle;
    announceEnd(ok);
}

void LinkEngine::reportPartialWrite() {
    // What restores the radio is its own memory from before the write, never the document sent.
    std::string text = app_.LangText(kMsgPartialWrite) + "\r\n";
    if (!restoring_)
        text += WrittenUpTo(app_, confirmedEnd_) + "\r\n";
    const std::string serial = cable_ ? cable_->serial() : std::string();
    if (!beforeBackupFolder_.empty()) {
        text += app_.LangTextOr(kMsgPartialWriteMemory, "Its memory before this write is kept in:") + "\r\n" +
                beforeBackupFolder_;
    } else if (const std::string newest = host_.newestMemoryBackup(serial); !newest.empty()) {
        text += app_.LangTextOr(kMsgPartialWriteNewest,
                                "Its memory before this write was not kept; the newest backup of this "
                                "radio's memory is from") +
                " " + newest;
    } else {
        text += app_.LangTextOr(kMsgPartialWriteNoMemory,
                                "Its memory before this write was not kept, and no backup of this radio's "
                                "memory is kept.");
    }
    result_.partialWrite = text;
    message(text, Icon::Warning);
}

void LinkEngine::endLinkTest(bool ok) {
    listening_ = false;
    timer_.stop();
    port_.close();
    mode_ = LinkMode::None;
    announceEnd(ok);
}

void LinkEngine::announceEnd(bool ok) {
    if (!ok)
        settle(LinkOutcome::Failed, 0, {});
    else
        result_.outcome = LinkOutcome::Success;
    const LinkResult r = result_; // the host may start the next exchange from the callback
    host_.exchangeEnded(r);
    if (r.outcome == LinkOutcome::OtherVersion && r.handOver)
        host_.handOver(r.radioVersion);
}

} // namespace zt
