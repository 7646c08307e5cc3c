// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers the main window's source files share (frm_main*.cpp). Internal to the main window.
#pragma once

#include <QString>

#include <string>

namespace zt::mainwin {

inline QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The file-name part of a path: after the last "/" or "\".
inline std::string FileNamePart(const std::string& path) {
    const auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

} // namespace zt::mainwin
