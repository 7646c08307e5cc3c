// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/model_config.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

TEST(ModelConfig, ParseBandLimits) {
    struct Case {
        const char* text;
        double low, high;
    } cases[] = {
        {"25.615 - 30.105 MHz", 25.615, 30.105},
        {"430 - 450 MHz", 430, 450},
        {"abc", 100, 500},
        {"", 100, 500},
        {"x - 174 MHz", 100, 174},
        {"136 - y MHz", 136, 500},
    };
    for (const auto& c : cases) {
        const BandLimits b = ParseBand(c.text);
        EXPECT_EQ(b.low, c.low) << c.text;
        EXPECT_EQ(b.high, c.high) << c.text;
    }
}

TEST(ModelConfig, BandTextsAndCodes) {
    EXPECT_EQ(BandCodeFromText("25.615 - 30.105 MHz"), 0);
    EXPECT_EQ(BandCodeFromText("440 - 480 MHz"), 3);
    EXPECT_EQ(BandCodeFromText("144 - 148 MHz"), 14);
    EXPECT_EQ(BandCodeFromText("350 - 390 MHz"), 16);
    EXPECT_EQ(BandCodeFromText("450 - 520 MHz"), 32);
    EXPECT_EQ(BandCodeFromText("450 - 520 MHz "), 0);
    EXPECT_EQ(BandTextFromCode(0), "25.615 - 30.105 MHz");
    EXPECT_EQ(BandTextFromCode(3), "");
}

TEST(ModelConfig, ModelFromRadioId) {
    struct Case {
        const char* id;
        int variant;
        const char* model;
    } cases[] = {
        {"ZR2450", 2, "ZT-450E"}, {"ZR2450  ", 2, "ZT-450E"}, {"ZT-450", 1, "ZT-450FM"},
        {"ZT-450", 0, "ZT-450"},  {"ZR2450", 1, "ZR2450"},    {"OTHER", 2, "OTHER"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ModelFromRadioId(c.id, c.variant), c.model) << c.id << " " << c.variant;
}

TEST(ModelConfig, ModelInfoStoreAndLoad) {
    AppState app;
    SettingsRecord s;
    StoreModelInfo(app, s);
    EXPECT_EQ(s.Model.ModelName.raw(), "ZT-450E");
    EXPECT_EQ(s.Model.BandCode, 0);

    // A file of another band: no band text, limits fall back to 100..500 MHz.
    s.Model.ModelName = "ZT-450";
    s.Model.BandCode = 3;
    RadioInfoRecord info;
    LoadModelInfo(app, s, info);
    EXPECT_EQ(app.ModelNameText, "ZT-450");
    EXPECT_EQ(app.BandText, "");
    EXPECT_EQ(app.BandLow, 100.0);
    EXPECT_EQ(app.BandHigh, 500.0);
    EXPECT_EQ(info.InfoBandCode, 3);

    s.Model.BandCode = 0;
    LoadModelInfo(app, s, info);
    EXPECT_EQ(app.BandText, "25.615 - 30.105 MHz");
    EXPECT_EQ(app.BandLow, 25.615);
    EXPECT_EQ(app.BandHigh, 30.105);
}

TEST(RadioInfo, ResetGivesTheNewDocumentValues) {
    RadioInfoRecord info;
    info.SerialNumber = "12345";
    ResetRadioInfo(info, "ZT-450E", 0, 2024, 3, 9);
    EXPECT_EQ(info.SalesArea, "0595");
    EXPECT_EQ(info.CustomerCode.trimmed(), "001A");
    EXPECT_EQ(info.InfoVersion, "V3.00");
    EXPECT_EQ(info.ProductionBatch.trimmed(), "03-1-E-1");
    EXPECT_EQ(info.FactoryDate.trimmed(), "2024-03-09");
    EXPECT_EQ(info.SaleDate.trimmed(), "2024-03-09");
    EXPECT_EQ(info.InfoModel, "ZT-450E");
    EXPECT_EQ(info.SerialNumber.trimmed(), "");
    EXPECT_EQ(info.DealerCode.trimmed(), "");
}

} // namespace
} // namespace zt
