// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/radio_freq.h"

#include "codec/numbers.h"

#include <cstdio>

namespace zt {

namespace {

constexpr double kLowMhz = 76.0;
constexpr double kHighMhz = 108.0;

std::string Format3_5(double mhz) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%09.5f", mhz);
    return buf;
}

} // namespace

double StepRadio(double mhz) {
    const long long k = RoundHalfEven(mhz * 100.0);
    const long long r = k % 5;
    return static_cast<double>(r <= 2 ? k - r : k - r + 5) / 100.0;
}

std::string CheckRadioFre(std::string_view text) {
    if (text.empty())
        return {};
    const auto v = ParseNumber(text);
    if (!v || *v < kLowMhz)
        return Format3_5(kLowMhz);
    if (*v > kHighMhz)
        return Format3_5(kHighMhz);
    return Format3_5(StepRadio(*v));
}

std::string GetSaveRadioFreData(std::string_view text) {
    if (text.empty())
        return {};
    if (!IsNumeric(text))
        return "76";
    const auto dot = text.find('.');
    if (dot == std::string_view::npos)
        return std::string(text);
    return std::string(text.substr(0, dot)) + std::string(text.substr(dot + 1));
}

} // namespace zt
