// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec/numbers.h"

#include "util/trim.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace zt {

namespace {

std::string_view StripBlanks(std::string_view s) {
    return TrimAny(s, " \t");
}

std::string FormatDecimals(double v, int decimals) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    if (ec != std::errc())
        return {};
    std::string s(buf, end);
    // A value that rounds to zero is shown without a sign.
    if (s.front() == '-' && s.find_first_not_of("-0.") == std::string::npos)
        s.erase(0, 1);
    return s;
}

} // namespace

bool IsNumeric(std::string_view s) {
    s = StripBlanks(s);
    if (!s.empty() && (s.front() == '+' || s.front() == '-'))
        s.remove_prefix(1);
    int digits = 0;
    int dots = 0;
    for (char c : s) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c == '.')
            ++dots;
        else
            return false;
    }
    return digits > 0 && dots <= 1;
}

std::optional<double> ParseNumber(std::string_view s) {
    if (!IsNumeric(s))
        return std::nullopt;
    s = StripBlanks(s);
    bool negative = false;
    if (s.front() == '+' || s.front() == '-') {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // from_chars wants a digit before the point.
    std::string text(s);
    if (text.front() == '.')
        text.insert(text.begin(), '0');
    double v = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::fixed);
    if (ec != std::errc() || ptr != text.data() + text.size())
        return std::nullopt;
    return negative ? -v : v;
}

long long RoundHalfEven(double v) {
    const double f = std::floor(v);
    const double diff = v - f;
    auto n = static_cast<long long>(f);
    if (diff > 0.5 || (diff == 0.5 && (n % 2 != 0)))
        ++n;
    return n;
}

std::string FormatFixed5(double v) {
    return FormatDecimals(v, 5);
}

std::string ShortestDecimal(double v) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    if (ec != std::errc())
        return {};
    return std::string(buf, end);
}

} // namespace zt
