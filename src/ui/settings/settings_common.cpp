#include "settings/settings_common.h"

#include "app/twips.h"
#include "common/editor_window.h"

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

bool TakesFocus(const QWidget* w) {
    return (w->focusPolicy() & Qt::TabFocus) != 0 && w->isVisible() && w->isEnabled();
}

class EnterFilter : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        auto* w = qobject_cast<QWidget*>(o);
        if (w == nullptr)
            return false;
        if (auto* c = qobject_cast<QComboBox*>(w); c != nullptr && c->view()->isVisible())
            return false;
        if (auto* box = qobject_cast<QLineEdit*>(w))
            emit box->editingFinished();
        FocusNext(w);
        return true;
    }
};

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
        return false;
    }
};

} // namespace

QPushButton* AddCloseButton(EditorWindow* window, int left, int top) {
    constexpr int width = 1200;
    constexpr int height = 380;
    auto* b = new QPushButton(window);
    b->setObjectName("CommandClose");
    SetGeometryTw(b, left, top, width, height);
    QObject::connect(b, &QPushButton::clicked, window, [window] { window->closeWindow(); });
    window->setFixedSize(Tw(left + width + 120, window), Tw(top + height + 140, window));
    return b;
}

void PlaceCaption(QLabel* label, QWidget* control, int gapTwips) {
    PlaceLabelLeft(label, control, gapTwips);
    label->setBuddy(control);
    control->setAccessibleName(label->text());
}

void FocusNext(QWidget* from) {
    for (QWidget* n = from->nextInFocusChain(); n != nullptr && n != from; n = n->nextInFocusChain()) {
        if (TakesFocus(n) && n->window() == from->window()) {
            n->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void EnterMovesOn(QWidget* window) {
    auto* filter = new EnterFilter(window);
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (qobject_cast<QComboBox*>(w) != nullptr || qobject_cast<QCheckBox*>(w) != nullptr ||
            qobject_cast<QLineEdit*>(w) != nullptr || qobject_cast<QTabBar*>(w) != nullptr)
            w->installEventFilter(filter);
    }
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
