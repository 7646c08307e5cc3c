// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/model_config.h"

#include "codec/numbers.h"

#include <array>
#include <utility>

namespace zt {

namespace {

constexpr std::string_view kDefaultBand = "25.615 - 30.105 MHz";

constexpr std::array<std::pair<int, std::string_view>, 17> kBandCodes{{
    {0, "25.615 - 30.105 MHz"},
    {1, "430 - 450 MHz"},
    {2, "400 - 440 MHz"},
    {3, "440 - 480 MHz"},
    {4, "400 - 450 MHz"},
    {5, "450 - 480 MHz"},
    {6, "430 - 440 MHz"},
    {7, "430 - 480 MHz"},
    {8, "136 - 174 MHz"},
    {9, "136 - 150 MHz"},
    {10, "150 - 174 MHz"},
    {11, "136 - 145 MHz"},
    {12, "145 - 174 MHz"},
    {13, "144 - 146 MHz"},
    {14, "144 - 148 MHz"},
    {16, "350 - 390 MHz"},
    {32, "450 - 520 MHz"},
}};

} // namespace

BandLimits ParseBand(std::string_view bandText) {
    BandLimits b;
    const auto dash = bandText.find(" - ");
    if (dash == std::string_view::npos)
        return b;
    if (const auto low = ParseNumber(bandText.substr(0, dash)))
        b.low = *low;
    std::string_view rest = bandText.substr(dash + 3);
    if (const auto mhz = rest.find(" MHz"); mhz != std::string_view::npos)
        rest = rest.substr(0, mhz);
    if (const auto high = ParseNumber(rest))
        b.high = *high;
    return b;
}

void ApplyBand(AppState& app) {
    const BandLimits b = ParseBand(app.BandText);
    app.BandLow = b.low;
    app.BandHigh = b.high;
}

i16 BandCodeFromText(std::string_view bandText) {
    for (const auto& [code, text] : kBandCodes)
        if (text == bandText)
            return static_cast<i16>(code);
    return 0;
}

std::string BandTextFromCode(int code) {
    return code == 0 ? std::string(kDefaultBand) : std::string();
}

const std::vector<std::string>& ModelList() {
    static const std::vector<std::string> models{"ZT-450E"};
    return models;
}

std::vector<std::string> BandListForModel(std::string_view model) {
    if (model == "ZT-450E")
        return {std::string(kDefaultBand)};
    return {};
}

std::string ModelFromRadioId(std::string_view id, int variant) {
    const std::string t = TrimFixed(id);
    if (t == "ZR2450" && variant == 2)
        return "ZT-450E";
    if (t == "ZT-450" && variant == 1)
        return "ZT-450FM";
    if (t == "ZT-450" && variant == 0)
        return "ZT-450";
    return t;
}

ModelInfo CurrentModelInfo(const AppState& app) {
    ModelInfo m;
    m.BandCode = BandCodeFromText(app.BandText);
    m.ModelName = app.ModelNameText;
    return m;
}

void StoreModelInfo(const AppState& app, SettingsRecord& s) {
    s.Model = CurrentModelInfo(app);
}

void LoadModelInfo(AppState& app, const SettingsRecord& s, RadioInfoRecord& info) {
    app.ModelNameText = s.Model.ModelName.trimmed();
    app.BandText = BandTextFromCode(s.Model.BandCode);
    info.InfoBandCode = s.Model.BandCode;
    ApplyBand(app);
}

} // namespace zt
