// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings_common.h"

#include "common/editor_window.h"
#include "common/twips.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QWidget>

namespace zt {

namespace {

class SelectAllFilter : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::FocusIn) {
            auto* box = static_cast<QLineEdit*>(o);
            // After the mouse press that gave the focus has placed the cursor.
            QTimer::singleShot(0, box, [box] {
                if (box->hasFocus())
                    box->selectAll();
            });
        }
        // A box of one character that is full takes a typed character in its place, also when
        // a click on the focused box has put the cursor after the character.
        if (e->type() == QEvent::KeyPress) {
            auto* box = static_cast<QLineEdit*>(o);
            const QString typed = static_cast<QKeyEvent*>(e)->text();
            if (box->maxLength() == 1 && box->text().size() == 1 && !box->hasSelectedText() &&
                typed.size() == 1 && typed.at(0).isPrint())
                box->selectAll();
        }
        return false;
    }
};

} // namespace

void PlaceCaption(QLabel* label, QWidget* control, int gapTwips) {
    PlaceLabelLeft(label, control, gapTwips);
    label->setBuddy(control);
    control->setAccessibleName(label->text());
}

void SelectAllOnFocus(QLineEdit* box) {
    box->installEventFilter(new SelectAllFilter(box));
}

QStringList NumberEntries(int from, int to, int step, const QString& suffix) {
    QStringList out;
    for (int v = from; v <= to; v += step)
        out << QString::number(v) + suffix;
    return out;
}

void ShowText(BoundList* list, const QString& text) {
    list->showValue(list->findText(text));
}

QStringList DtmfCodeEntries(const DtmfBlock& dtmf, const QString& first) {
    QStringList out{first};
    for (std::size_t i = 0; i < dtmf.CodeList.size(); ++i)
        if (dtmf.CodeList[i].Len > 0)
            out << QString::number(i + 1);
    return out;
}

void RefillCodeList(BoundList* list, const QStringList& entries) {
    const QString shown = list->currentText();
    list->setEntries(entries);
    ShowText(list, shown);
}

} // namespace zt
