// SPDX-License-Identifier: GPL-3.0-or-later
// The radio's programmable memory as the program holds it, and the codec between it and the
// document's records. Radio addresses 0x0000..0x243F map one to one onto the 9280 image bytes;
// 0xFF is the erased value.
#pragma once

#include "app/app_state.h"
#include "model/document.h"
#include "model/radio_info.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

constexpr std::size_t kRadioImageSize = 0x2440; // 9280 bytes, addresses 0x0000..0x243F

using RadioImage = std::array<std::uint8_t, kRadioImageSize>;

// Addresses of the memory map.
namespace addr {
constexpr int kScanBitmap = 0x20A0;
constexpr int kUsedBitmap = 0x20F0;
constexpr int kBitmapSize = 66;
constexpr int kGroupNames = 0x2140;
constexpr int kOptions = 0x2170;
constexpr int kVfo = 0x2190;
constexpr int kEmbeddedMessage = 0x21A0;
constexpr int kPowerOnText = 0x21E0;
constexpr int kIdent = 0x21F0;
constexpr int kIdentVariant = 0x21F6;
constexpr int kIdentVersion = 0x21F8;
constexpr int kRadioFlags = 0x21FC;
constexpr int kDtmfCodes = 0x2200;
constexpr int kToneTips = 0x2300;
constexpr int kResetMode = 0x2400;
constexpr int kGroupChan = 0x2408;
constexpr int kGroupFlag = 0x2420;
} // namespace addr

// The four flags of radio address 0x21FC after a read: [0] bit 3, [1] bit 2, [2] bit 1, [3] bit 0.
// A set [0] or [1] refuses a later write.
using RadioFlags = std::array<bool, 4>;

// Every byte becomes 0xFF (erased).
void ClearRadioImage(RadioImage& img);

// A channel whose RX text is empty or "FFFFFFFF" is blank: it keeps its slot in the radio but is
// not marked used.
bool IsBlankFrequency(const ChannelRecord& r);
// Sets IsBlank of every channel in the table from its RX text. The write exchange does this to
// the working copy before it encodes the image.
void MarkBlankChannels(DocumentCopy& work);

// Working copy -> image, in place over an image the caller cleared. The identification comes
// from the current model (app.ModelNameText, app.BandText), not from the settings' ModelInfo;
// whether a channel is blank comes from its RX text, not from its IsBlank. Both the document and
// `app` are left as they are.
void EncodeRadioImage(const AppState& app, const DocumentCopy& work, RadioImage& img);

struct DecodedIdent {
    std::string model; // "ZT-450E" for the radio's "ZR2450" variant 2
    std::int16_t bandCode = 0;
};

// Image -> working copy: channel table rebuilt in ascending channel order (channel 481 always
// present; fields a slot does not hold keep what that table position held), the settings fields
// the radio holds, ModelInfo. Returns the flags of address 0x21FC. The current model of `app`
// is not touched here (see AcceptReadImage).
RadioFlags DecodeRadioImage(const RadioImage& img, DocumentCopy& work, DecodedIdent* ident = nullptr);

// What a part of the memory holds: a field of channel 1..481, or a radio-wide field (channel 0),
// named as its record field ("RxFreq", "TotTime", "Vfo.DecodeTone", "Used" and "ScanSkip" for the
// bits of the used and scan maps), with its element in a list field (group, code, line, entry;
// -1 when the field is not a list).
struct MemoryField {
    int channel = 0;
    std::string_view field; // names kept for the whole run by MemoryMap, or literals
    int index = -1;
    bool operator==(const MemoryField&) const = default;
};
struct MemoryBits {
    std::uint8_t mask; // the bits of the byte that the field holds
    MemoryField what;
    int id; // the same for every part of one field, 0 .. MemoryFieldCount() - 1
};
// For every image address, the fields held there; empty for a byte no field holds. It is drawn
// from the same description of the memory as the codec, so it cannot disagree with it.
const std::vector<std::vector<MemoryBits>>& MemoryMap();
std::size_t MemoryFieldCount();

} // namespace zt
