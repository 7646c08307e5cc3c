// SPDX-License-Identifier: GPL-3.0-or-later
// Frequency texts: the stored digit forms, the "#0.00000" display form, the TX column and the
// snapping of a channel onto its step grid.
#include "codec/freq.h"
#include "codec/numbers.h"
#include "util/trim.h"

#include <cstdio>
#include <cstdlib>

namespace zt {

namespace {

// Only spaces count as blanks in frequency texts.
std::string_view TrimBlanks(std::string_view s) {
    return TrimAny(s, " ");
}

bool AllDigits(std::string_view s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool StartsWithSign(std::string_view s) {
    s = TrimBlanks(s);
    return !s.empty() && (s.front() == '+' || s.front() == '-');
}

std::string SignOf(int dir) {
    if (dir == 1)
        return "-";
    if (dir == 2)
        return "+";
    return "";
}

// Whole units of 10 Hz -> the 8-digit stored form (3 digits MHz, 5 digits fraction).
std::string StoredFromUnits(long long units) {
    if (units < 0)
        units = 0;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%03lld%05lld", units / 100000, units % 100000);
    return std::string(buf).substr(0, 8);
}

// The MHz value of a stored RX text that holds digits (first three whole MHz, then the fraction).
std::optional<double> StoredRxValue(std::string_view stored) {
    std::string t(stored.substr(0, std::min<std::size_t>(3, stored.size())));
    t += '.';
    if (stored.size() > 3)
        t += stored.substr(3);
    return ParseNumber(t);
}

} // namespace

long long Units(double mhz) {
    return RoundHalfEven(mhz * 100000.0);
}

std::string StorageForm(const AppState& app, std::string_view display) {
    std::string_view text = TrimBlanks(display);
    if (text.empty())
        return {};
    std::string s;
    // A frequency is never negative: a sign or anything else that is not a number gives the low edge.
    if (!IsNumeric(text) || text.front() == '-')
        s = ShortestDecimal(app.BandLow);
    else
        s = std::string(text.front() == '+' ? text.substr(1) : text);

    std::string digits;
    const auto dot = s.find('.');
    if (dot == std::string::npos) {
        digits = s;
    } else {
        if (dot < 3)
            s.insert(0, 3 - dot, '0');
        const auto p = s.find('.');
        digits = s.substr(0, 3) + s.substr(p + 1);
    }
    if (digits.size() > 8)
        digits.resize(8);
    if (digits.size() < 3)
        digits.insert(0, 3 - digits.size(), '0');
    digits.append(8 - digits.size(), '0');
    return digits;
}

namespace {

// The display value of a stored RX text: nullopt for blanks or "FFFFFFFF" (no channel), and a
// set flag `junk` for a text that holds no number.
std::optional<double> StoredRxDisplay(std::string_view stored, bool& junk) {
    junk = false;
    const std::string t = TrimFixed(stored);
    if (t.empty() || t == "FFFFFFFF")
        return std::nullopt;
    std::string composed = t.substr(0, std::min<std::size_t>(3, t.size())) + ".";
    if (t.size() > 3)
        composed += t.substr(3);
    const auto v = ParseNumber(composed);
    junk = !v;
    return v;
}

} // namespace

std::string RxText(const AppState& app, std::string_view stored) {
    bool junk = false;
    if (const auto v = StoredRxDisplay(stored, junk))
        return FormatFixed5(*v);
    return junk ? ShortestDecimal(app.BandLow) : std::string();
}

bool StoredRxIsJunk(std::string_view stored) {
    bool junk = false;
    StoredRxDisplay(stored, junk);
    return junk;
}

std::string OffsetText(std::string_view offset, int dir) {
    const std::string t = TrimFixed(offset);
    const std::string sign = SignOf(dir);
    if (t.empty() || t == "FFFFFFF" || !IsNumeric(t) || t.size() != 7)
        return sign + "0.00000";
    const auto v = ParseNumber(t.substr(0, 2) + "." + t.substr(2));
    if (!v)
        return sign + "0.00000";
    return sign + FormatFixed5(*v);
}

std::string TxText(const AppState& app, std::string_view rx, std::string_view offset, int dir,
                   bool asOffset) {
    const std::string r = RxText(app, rx);
    const auto rv = ParseNumber(r);
    if (r.empty() || !rv)
        return {};
    const std::string off = OffsetText(offset, dir);
    if (asOffset)
        return off;
    if (!StartsWithSign(off))
        return r;
    return FormatFixed5(*rv + ParseNumber(off).value_or(0.0));
}

TxOffsetValue ParseTxText(const AppState& app, std::string_view rx, std::string_view typed, bool asOffset,
                          std::string_view offset, int dir) {
    double m = std::abs(ParseNumber(OffsetText(offset, dir)).value_or(0.0));
    std::uint8_t newDir = 0;
    const std::string r = RxText(app, rx);
    const auto rv = ParseNumber(r);
    const auto tv = ParseNumber(typed);
    if (rv && tv) {
        if (asOffset) {
            const std::string_view t = TrimBlanks(typed);
            newDir = t.front() == '-' ? 1 : t.front() == '+' ? 2 : 0;
            m = std::abs(*tv);
        } else {
            const double d = *tv - *rv;
            if (d > 0) {
                newDir = 2;
                m = std::abs(d);
            } else if (d < 0) {
                newDir = 1;
                m = std::abs(d);
            }
        }
    }
    // Seven digits hold at most 99.99999 MHz; a larger magnitude would lose its leading digit.
    long long units = Units(m);
    if (units > 9999999)
        units = 9999999;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02lld%05lld", units / 100000, units % 100000);
    return {std::string(buf), newDir};
}

void SnapChannel(const AppState& app, ChannelRecord& r) {
    const std::string rx = r.RxFreq.trimmed();
    if (!AllDigits(rx))
        return;
    const auto rxValue = StoredRxValue(rx);
    if (!rxValue)
        return;
    const long long low = Units(app.BandLow);
    const GridPlace rxPlace = PlaceOnStepGrid(Units(*rxValue), low);
    r.RxStepClass = rxPlace.stepClass;
    r.RxFreq = StoredFromUnits(rxPlace.units);
    if (r.TxOffsetDir == 0) {
        r.TxStepClass = r.RxStepClass;
        return;
    }
    const double rxMhz = static_cast<double>(rxPlace.units) / 100000.0;
    const double signedOffset = ParseNumber(OffsetText(r.TxOffset.raw(), r.TxOffsetDir)).value_or(0.0);
    const double tx = std::abs(rxMhz + signedOffset);
    const GridPlace txPlace = PlaceOnStepGrid(Units(tx), low);
    r.TxStepClass = txPlace.stepClass;
    const TxOffsetValue v =
        ParseTxText(app, r.RxFreq.raw(), FormatFixed5(static_cast<double>(txPlace.units) / 100000.0), false,
                    r.TxOffset.raw(), r.TxOffsetDir);
    r.TxOffset = v.offset;
    r.TxOffsetDir = v.dir;
}

} // namespace zt
