// SPDX-License-Identifier: GPL-3.0-or-later
// Local time as backups and logs show it.
#pragma once

#include <ctime>
#include <string>

namespace zt {

inline std::tm LocalTime(std::time_t when) {
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &when);
#else
    localtime_r(&when, &tm);
#endif
    return tm;
}

// `tm` written with a strftime `pattern` ("%Y-%m-%d"); "" when it does not fit 31 characters.
inline std::string FormatTime(const std::tm& tm, const char* pattern) {
    char buf[32];
    return std::strftime(buf, sizeof buf, pattern, &tm) > 0 ? std::string(buf) : std::string();
}

} // namespace zt
