// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/radio_info.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace zt {

CalendarDate Today() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &now);
#else
    localtime_r(&now, &tm);
#endif
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

void ResetRadioInfo(RadioInfoRecord& info, const std::string& model, std::int16_t bandCode, int year,
                    int month, int day) {
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", year % 10000, month % 100, day % 100);
    char batch[16];
    std::snprintf(batch, sizeof batch, "%02d-1-E-1", month % 100);

    info = RadioInfoRecord{};
    info.SalesArea = "0595";
    info.ProductionBatch = batch;
    info.CustomerCode = "001A";
    info.InfoModel = model;
    info.InfoBandCode = bandCode;
    info.FactoryDate = date;
    info.RepairDate = date;
    info.StockInDate = date;
    info.SaleDate = date;
    info.InfoVersion = "V3.00";
}

} // namespace zt
