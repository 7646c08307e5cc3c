// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/frm_emb_msg.h"

#include "common/label_rows.h"
#include "common/legacy_text.h"
#include "common/text_guard.h"
#include "common/twips.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace zt {

namespace {

// A line shorter than the field ends with one NUL; a full line has none.
std::string LineField(std::string bytes) {
    if (bytes.size() < FrmEmbMsg::kWidth)
        bytes.push_back('\0');
    return bytes;
}

} // namespace

FrmEmbMsg::FrmEmbMsg(AppState& app, Document& doc, WindowRouter* router, QWidget* parent)
    : EditorWindow(app, doc, router, kName, parent) {
    for (std::size_t i = 0; i < kLines; ++i) {
        auto* t = new QLineEdit(this);
        t->setObjectName(QString("Text1_%1").arg(i));
        // Only the 7-bit characters go into the message (the radio shows no others).
        GuardTextBox(t, [](QChar c) { return c.unicode() < 128; });
        LimitLegacyWidth(t, app_, kWidth);
        t->installEventFilter(this);
        connect(t, &QLineEdit::textChanged, this, [this, i] {
            if (!filling())
                store(i);
        });
        text_[i] = t;
        chain_.add(t, false);
    }
    buttons_.create(this, app_.HelpAvailable);
    chain_.add(buttons_.close);
    loadWindow();
}

void FrmEmbMsg::retranslate() {
    setWindowTitle(T(20000));
    buttons_.setTexts(T(9023), T(9025));
    std::vector<LabelledRow> rows;
    for (QLineEdit* t : text_)
        rows.push_back({nullptr, t});
    // Wide enough for 16 of the widest characters.
    const int width =
        std::max(Tw(3000, this), text_[0]->fontMetrics().horizontalAdvance(QString(16, 'W')) + 12);
    const QPoint end = LayoutLabelledColumn(rows, 240, 240, width * 1440 / qMax(1, logicalDpiX()), 420, 0);
    buttons_.place(end.x(), end.y() + Tw(120, this));
    FitToChildren(this);
}

void FrmEmbMsg::loadFromDocument() {
    const FillGuard guard(*this);
    auto& lines = doc_.work.settings.Options.EmbeddedMessage;
    for (std::size_t i = 0; i < kLines; ++i) {
        const std::string shown = lines[i].trimmed();
        text_[i]->setText(FromLegacy(app_, shown));
        // Showing a line stores it again the way an edit would (a short line gets its NUL).
        if (!shown.empty())
            lines[i] = LineField(shown);
    }
}

void FrmEmbMsg::store(std::size_t i) {
    doc_.work.settings.Options.EmbeddedMessage[i] = LineField(ToLegacy(app_, text_[i]->text(), kWidth));
}

bool FrmEmbMsg::eventFilter(QObject* o, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(e);
        if (IsClipboardKey(k))
            return true;
        if (IsEnterKey(k)) {
            chain_.next(static_cast<QWidget*>(o));
            return true;
        }
        if (!k->text().isEmpty() && k->text().at(0).unicode() > 127)
            return true;
    }
    return EditorWindow::eventFilter(o, e);
}

} // namespace zt
