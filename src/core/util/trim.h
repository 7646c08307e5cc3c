// SPDX-License-Identifier: GPL-3.0-or-later
// Cutting blanks off both ends of a text; each reader says which characters count as blanks.
#pragma once

#include <string_view>

namespace zt {

inline std::string_view TrimAny(std::string_view s, std::string_view blanks) {
    const auto b = s.find_first_not_of(blanks);
    if (b == std::string_view::npos)
        return {};
    return s.substr(b, s.find_last_not_of(blanks) - b + 1);
}

} // namespace zt
