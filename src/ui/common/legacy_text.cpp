// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/legacy_text.h"

#include "lang/code_page.h"

#include <QLineEdit>

namespace zt {

QString FromLegacy(const AppState& app, std::string_view bytes) {
    return QString::fromStdString(DecodeLegacy(bytes, LegacyCodePage(app.LanguageCode)));
}

std::string ToLegacy(const AppState& app, const QString& text, std::size_t width) {
    const char* cp = LegacyCodePage(app.LanguageCode);
    return std::string(FitLegacyWidth(EncodeLegacy(text.toStdString(), cp), width, cp));
}

void LimitLegacyWidth(QLineEdit* box, const AppState& app, std::size_t width) {
    QObject::connect(box, &QLineEdit::textChanged, box, [box, &app, width](const QString& text) {
        const QString kept = FromLegacy(app, ToLegacy(app, text, width));
        if (kept == text)
            return;
        const int cursor = std::min<int>(box->cursorPosition(), static_cast<int>(kept.size()));
        box->setText(kept);
        box->setCursorPosition(cursor);
    });
}

} // namespace zt
