// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/frm_group_name.h"

#include "common/label_rows.h"
#include "common/legacy_text.h"
#include "common/text_guard.h"
#include "common/twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace zt {

namespace {

// A name shorter than the field ends with one NUL.
std::string NameField(std::string_view typed) {
    std::string s = TrimFixed(typed);
    if (s.size() < FrmGroupName::kWidth)
        s.push_back('\0');
    return s;
}

bool IsRefusedChar(QChar c) {
    return c == u'\\' || c == u'~';
}

} // namespace

FrmGroupName::FrmGroupName(AppState& app, Document& doc, WindowRouter* router, QWidget* parent)
    : EditorWindow(app, doc, router, kName, parent) {
    for (std::size_t i = 0; i <= kNamed; ++i) {
        label_[i] = new QLabel(this);
        auto* t = new QLineEdit(this);
        t->setObjectName(QString("Text1_%1").arg(i));
        label_[i]->setBuddy(t);
        text_[i] = t;
        if (i == kNamed) {
            t->setEnabled(false);
            label_[i]->setEnabled(false);
            continue;
        }
        GuardTextBox(t, [](QChar c) { return !IsRefusedChar(c); });
        LimitLegacyWidth(t, app_, kWidth);
        t->installEventFilter(this);
        connect(t, &QLineEdit::textChanged, this, [this, i] {
            if (!filling())
                store(i);
        });
        chain_.add(t, false);
    }
    buttons_.create(this, app_.HelpAvailable);
    chain_.add(buttons_.close);
    loadWindow();
}

void FrmGroupName::retranslate() {
    setWindowTitle(T(30000));
    std::vector<LabelledRow> rows;
    for (std::size_t i = 0; i <= kNamed; ++i) {
        label_[i]->setText(T(30100 + static_cast<int>(i)));
        rows.push_back({label_[i], text_[i]});
    }
    buttons_.setTexts(T(9023), T(9025));
    const QPoint end = LayoutLabelledColumn(rows, 240, 240, 900, 360);
    buttons_.place(end.x(), end.y() + Tw(120, this));
    FitToChildren(this);
}

void FrmGroupName::loadFromDocument() {
    const FillGuard guard(*this);
    auto& names = doc_.work.settings.GroupNames;
    for (std::size_t i = 0; i < kNamed; ++i) {
        const std::string raw = names[i].raw();
        const std::string shown = raw.substr(0, raw.find('\0'));
        text_[i]->setText(FromLegacy(app_, shown));
        // Showing a name stores it again the way an edit would (a short name gets its NUL).
        if (!shown.empty())
            names[i] = NameField(shown);
    }
}

void FrmGroupName::store(std::size_t i) {
    doc_.work.settings.GroupNames[i] = NameField(ToLegacy(app_, text_[i]->text(), kWidth));
    route(Refresh::GroupNames);
}

void FrmGroupName::refresh(Refresh what) {
    if (what == Refresh::GroupNames)
        loadFromDocument();
}

bool FrmGroupName::eventFilter(QObject* o, QEvent* e) {
    auto* box = qobject_cast<QLineEdit*>(o);
    if (box == nullptr)
        return EditorWindow::eventFilter(o, e);
    if (e->type() == QEvent::FocusIn) {
        // Whatever brings the focus here (also a click), the whole name is selected, so typing
        // replaces it.
        QTimer::singleShot(0, box, &QLineEdit::selectAll);
        return false;
    }
    if (e->type() != QEvent::KeyPress)
        return false;
    auto* k = static_cast<QKeyEvent*>(e);
    if (IsClipboardKey(k))
        return true;
    if (IsEnterKey(k)) {
        chain_.next(box);
        return true;
    }
    const QString text = k->text();
    if (text.size() != 1 || (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    const char16_t c = text.at(0).unicode();
    if (IsRefusedChar(text.at(0)))
        return true;
    if (c >= 32 && c <= 126) {
        // A plain character is typed and the focus moves on to the next name.
        box->event(k);
        chain_.next(box);
        return true;
    }
    return false;
}

} // namespace zt
