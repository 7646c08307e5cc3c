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

void ResetRadioInfo(RadioInfoRecord& info, RadioInfoBlock& block, const std::string& modelName,
                    std::int16_t bandCode, CalendarDate date) {
    char day[16];
    std::snprintf(day, sizeof day, "%04d-%02d-%02d", date.year % 10000, date.month % 100, date.day % 100);
    char batch[16];
    std::snprintf(batch, sizeof batch, "%02d-1-E-1", date.month % 100);

    info = RadioInfoRecord{};
    info.SalesArea = "0595";
    info.ProductionBatch = batch;
    info.CustomerCode = "001A";
    info.InfoModel = modelName;
    info.InfoBandCode = bandCode;
    info.FactoryDate = day;
    info.RepairDate = day;
    info.StockInDate = day;
    info.SaleDate = day;
    info.InfoVersion = "V3.00";
    block.fill(0xFF);
}

} // namespace zt
