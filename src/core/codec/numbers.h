// SPDX-License-Identifier: GPL-3.0-or-later
// Locale-independent number helpers: "." is the decimal separator whatever the user's locale.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zt {

// A number is an optional sign, digits and at most one ".", with blanks around (at least one digit).
bool IsNumeric(std::string_view s);
std::optional<double> ParseNumber(std::string_view s);
// Nearest integer, halves to the even neighbour.
long long RoundHalfEven(double v);
// "#0.00000": at least one integer digit, exactly five decimals.
std::string FormatFixed5(double v);
// Shortest decimal form of a band edge, e.g. 25.615.
std::string ShortestDecimal(double v);

} // namespace zt
