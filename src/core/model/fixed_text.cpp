// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/fixed_text.h"

namespace zt {

std::string TrimFixed(std::string_view s) {
    const auto nul = s.find('\0');
    if (nul != std::string_view::npos)
        s = s.substr(0, nul);
    const auto end = s.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string() : std::string(s.substr(0, end + 1));
}

} // namespace zt
