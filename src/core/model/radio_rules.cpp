// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/radio_rules.h"

#include "codec/freq.h"
#include "codec/numbers.h"

namespace zt {

long long BandLowUnits(const AppState& app) {
    return Units(app.BandLow);
}

long long BandHighUnits(const AppState& app) {
    return Units(app.BandHigh);
}

bool InBand(const AppState& app, long long units) {
    return units >= BandLowUnits(app) && units <= BandHighUnits(app);
}

GridPlace PlaceOnStepGrid(long long units, long long lowUnits) {
    const long long o = units - lowUnits;
    if (o % 500 == 0)
        return {units, 0};
    if (o % 625 == 0)
        return {units, 1};
    const long long q = o % 2500;
    if (q % 833 == 0)
        return {q == 2499 ? units + 1 : units, 2};
    return {units - o % 500, 0};
}

double SnapFrequency(const AppState& app, double mhz, int group) {
    long long d = Units(mhz);
    const long long r = (d - BandLowUnits(app)) % 500;
    if (r != 0 && !(d % 1000 == 125 && group == kFineStepGroup))
        d -= r;
    return static_cast<double>(d) / 100000.0;
}

BandCheck CheckBand(const AppState& app, std::string_view value, int group) {
    const auto v = ParseNumber(value);
    if (!v || *v < app.BandLow)
        return {FormatFixed5(app.BandLow), true};
    if (*v > app.BandHigh)
        return {FormatFixed5(app.BandHigh), true};
    return {FormatFixed5(SnapFrequency(app, *v, group)), false};
}

} // namespace zt
