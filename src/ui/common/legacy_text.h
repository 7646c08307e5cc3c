// SPDX-License-Identifier: GPL-3.0-or-later
// Record texts in text boxes: the record holds bytes of the language's legacy code page, the box
// shows them decoded, and what the user types is converted back and held to the field's width in
// bytes (a Chinese character takes two).
#pragma once

#include "app/app_state.h"

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

class QLineEdit;

namespace zt {

QString FromLegacy(const AppState& app, std::string_view bytes);
// The legacy bytes of a text, at most `width` of them (never half a character).
std::string ToLegacy(const AppState& app, const QString& text, std::size_t width);

// Keeps the box's text convertible and within `width` bytes: characters the code page cannot hold
// are dropped, and a text that grows too wide keeps what fits.
void LimitLegacyWidth(QLineEdit* box, const AppState& app, std::size_t width);

} // namespace zt
