// SPDX-License-Identifier: GPL-3.0-or-later
// The link engine's own numbers, shared by its source files: block layout, bounds, and the ids of
// the texts it shows.
#pragma once

#include <cstdint>

namespace zt::link_ids {

inline constexpr long kBlockLength = 16;
inline constexpr int kPasswordBlock = 0x3F20;
inline constexpr int kInfoBase = 0x3F00;
inline constexpr int kInfoEnd = 0x3FFF;
inline constexpr int kImageEnd = 0x243F;
inline constexpr std::int16_t kBlockRetries = 3;
inline constexpr int kMaxHandshakes = 3; // time-outs before the user is asked
// A radio that has just ended a write may take a moment to answer a handshake again.
inline constexpr int kMaxReadBackHandshakes = 9;
inline const char* const kOwnVersion = "V300";

// Message text ids.
inline constexpr int kMsgPortFailed = 9003;
inline constexpr int kMsgConfirmRead = 9004;
inline constexpr int kMsgConfirmWrite = 9005;
inline constexpr int kMsgRetryLink = 9008;
inline constexpr int kMsgReadDone = 9009;
inline constexpr int kMsgWriteDone = 9010;
inline constexpr int kMsgWrongModel = 9012;
inline constexpr int kMsgBandFamily = 9014;
inline constexpr int kMsgBandDiffers = 9030;
inline constexpr int kMsgRadioLocked = 9031;
inline constexpr int kMsgRadioProtected = 9032;
inline constexpr int kMsgVerified = 33212;
inline constexpr int kMsgVerifyDiffers = 33213;
inline constexpr int kMsgVerifyUnfinished = 33214;
inline constexpr int kMsgBlockRefused = 34200;
inline constexpr int kMsgNoWriteBackup = 34201;
inline constexpr int kMsgPartialWrite = 34202;
inline constexpr int kMsgWriteAgain = 34626;
inline constexpr int kMsgPartialWriteMemory = 34701;
inline constexpr int kMsgPartialWriteNewest = 34702;
inline constexpr int kMsgPartialWriteNoMemory = 34703;
inline constexpr int kMsgConfirmRestore = 34700;
inline constexpr int kMsgOtherRadio = 34704;
inline constexpr int kMsgNoMemoryBackup = 34705;
inline constexpr int kMsgRepeatedAcks = 34950;
inline constexpr int kMsgRepeatedAcksUnfinished = 34951;
inline constexpr int kMsgStopped = 34952;
inline constexpr int kMsgWrittenUpTo = 34953;
inline const char* const kRepeatedAcksText =
    "Some of the radio's acknowledgements came more than once, so they do not show which blocks it "
    "stored: the write was read back to check it.";
inline const char* const kRepeatedAcksUnfinishedText =
    "Some of the radio's acknowledgements came more than once, so they do not show which blocks it "
    "stored, and its memory could not be read back to check it: the write is not confirmed. Check the "
    "cable and write again.";

} // namespace zt::link_ids
