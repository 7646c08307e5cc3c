// SPDX-License-Identifier: GPL-3.0-or-later
// The radio's information area (radio addresses 0x3F00..0x3FFF) and the record of texts that the
// radio-information window shows. A new document resets the record.
#pragma once

#include "model/fixed_text.h"

#include <array>
#include <cstdint>
#include <string>

namespace zt {

// Raw copy of the information area; index = radio address - 0x3F00.
using RadioInfoBlock = std::array<std::uint8_t, 256>;

struct RadioInfoRecord {
    std::string SalesArea;             // 0x00..0x03, at most 4 characters
    FixedText<8> ProductionBatch;      // 0x10..0x17
    FixedText<4> CustomerCode;         // 0x20..0x23
    std::string InfoModel;             // the document's model name, not read from the radio
    std::int16_t InfoBandCode = 0;     // band code of the last read or loaded data
    FixedText<16> SerialNumber;        // 0x30..0x3F
    FixedText<16> FactoryDate;         // 0x40..0x4F
    FixedText<16> RepairDate;          // 0x50..0x5F
    std::string InfoVersion = "V3.00"; // not read from the radio
    FixedText<96> RepairReason;        // 0x60..0xBF
    FixedText<16> DealerCode;          // 0xC0..0xCF
    FixedText<16> StockInDate;         // 0xD0..0xDF
    FixedText<16> SaleDate;            // 0xE0..0xEF
    FixedText<16> HandledBy;           // 0xF0..0xFF
    bool operator==(const RadioInfoRecord&) const = default;
};

struct CalendarDate {
    int year = 2000;
    int month = 1; // 1..12
    int day = 1;   // 1..31
};

// Today's date from the system clock, local time.
CalendarDate Today();

// The values of a new document: sales area "0595", customer code "001A", version "V3.00",
// production batch "MM-1-E-1" of the given month, the factory, repair, stock-in and sale dates
// "YYYY-MM-DD" of the given day, the model and band code given, every other text empty.
void ResetRadioInfo(RadioInfoRecord& info, const std::string& model, std::int16_t bandCode, int year,
                    int month, int day);

} // namespace zt
