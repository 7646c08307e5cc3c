#include "common/text_guard.h"

#include <QLineEdit>

namespace zt {

void GuardTextBox(QLineEdit* box, CharFilter allowed) {
    box->setContextMenuPolicy(Qt::NoContextMenu);
    box->setAcceptDrops(false);
    box->setDragEnabled(false);
    if (!allowed)
        return;
    // Every change passes the filter: typing, pasting, an input method, and what the program
    // writes into the box.
    QObject::connect(box, &QLineEdit::textChanged, box, [box, allowed](const QString& text) {
        QString kept;
        kept.reserve(text.size());
        int cursor = box->cursorPosition();
        for (int i = 0; i < text.size(); ++i) {
            if (allowed(text.at(i)))
                kept.append(text.at(i));
            else if (i < box->cursorPosition())
                --cursor;
        }
        if (kept.size() == text.size())
            return;
        box->setText(kept);
        box->setCursorPosition(qMax(0, cursor));
    });
}

CharFilter FrequencyChars(std::function<bool()> sign) {
    return [sign = std::move(sign)](QChar c) {
        if (c.isDigit() && c.unicode() < 128)
            return true;
        if (c == u'.')
            return true;
        return (c == u'+' || c == u'-') && sign && sign();
    };
}

} // namespace zt
