// SPDX-License-Identifier: GPL-3.0-or-later
// The radio model and band the program serves: band texts and codes, band limits, the model
// name reported by a radio, and the ModelInfo record that carries them in a document.
#pragma once

#include "app/app_state.h"
#include "model/radio_info.h"
#include "model/records.h"

#include <string>
#include <string_view>
#include <vector>

namespace zt {

struct BandLimits {
    double low = 100.0;
    double high = 500.0;
};

// "430 - 450 MHz" -> 430 and 450. A missing " - " or a part that is not a number gives 100 / 500.
BandLimits ParseBand(std::string_view bandText);
// Sets app.BandLow / app.BandHigh from app.BandText.
void ApplyBand(AppState& app);

// Code of a known band text; every other text gives 0.
i16 BandCodeFromText(std::string_view bandText);
// Only code 0 has a text in this program ("25.615 - 30.105 MHz"); others give "".
std::string BandTextFromCode(int code);

// The model lists of the model window: the models, and the bands of one model.
const std::vector<std::string>& ModelList();
std::vector<std::string> BandListForModel(std::string_view model);

// Model name for a radio's identification text (trimmed) and variant number.
std::string ModelFromRadioId(std::string_view id, int variant);

// ModelInfo of the current model: ModelName = ModelNameText, BandCode = code of BandText.
ModelInfo CurrentModelInfo(const AppState& app);
// The record's ModelInfo becomes the current model's.
void StoreModelInfo(const AppState& app, SettingsRecord& s);
// The current model from a loaded record: ModelNameText, BandText, band limits, and the band code
// of the radio-information record.
void LoadModelInfo(AppState& app, const SettingsRecord& s, RadioInfoRecord& info);

} // namespace zt
