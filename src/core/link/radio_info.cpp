// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/radio_info.h"

#include "model/fixed_text.h"

namespace zt {

namespace {

// The text of block[from, from + n) up to the first 0x00 or 0xFF, without trailing blanks,
// followed by one NUL so that the fixed-width field reads back as exactly this text.
std::string FieldText(const RadioInfoBlock& block, std::size_t from, std::size_t n) {
    std::string s;
    for (std::size_t i = from; i < from + n; ++i) {
        if (block[i] == 0x00 || block[i] == 0xFF)
            break;
        s += static_cast<char>(block[i]);
    }
    return TrimFixed(s) + std::string(1, '\0');
}

} // namespace

void DecodeRadioInfo(const RadioInfoBlock& block, RadioInfoRecord& info) {
    info.SalesArea = TrimFixed(FieldText(block, 0x00, 4));
    info.ProductionBatch = FieldText(block, 0x10, 8);
    info.CustomerCode = FieldText(block, 0x20, 4);
    info.SerialNumber = FieldText(block, 0x30, 16);
    info.FactoryDate = FieldText(block, 0x40, 16);
    info.RepairDate = FieldText(block, 0x50, 16);
    info.RepairReason = FieldText(block, 0x60, 96);
    info.DealerCode = FieldText(block, 0xC0, 16);
    info.StockInDate = FieldText(block, 0xD0, 16);
    info.SaleDate = FieldText(block, 0xE0, 16);
    info.HandledBy = FieldText(block, 0xF0, 16);
}

} // namespace zt
