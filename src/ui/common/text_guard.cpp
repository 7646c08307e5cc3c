// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/text_guard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMouseEvent>

#include <algorithm>

namespace zt {

namespace {

// Filters what the user adds to one box before it reaches the box: a typed key the filter refuses
// changes nothing (a selection stays as it is), pasted text and input-method text go in with the
// refused characters left out, as one change. Text added by any other editing way (an insert,
// undo) is checked after the change, on what was added only. Text set with setText passes the
// filter as a whole, as before (a window that must show stored text as it is accepts everything
// while it fills its controls).
class TextGuard : public QObject {
  public:
    TextGuard(QLineEdit* box, CharFilter allowed) : QObject(box), box_(box), allowed_(std::move(allowed)) {
        last_ = box->text();
        // textEdited comes before textChanged and only for the user's changes.
        connect(box, &QLineEdit::textEdited, this, [this] { edited_ = true; });
        connect(box, &QLineEdit::textChanged, this, [this](const QString& text) { onChanged(text); });
        box->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o != box_ || box_->isReadOnly())
            return false;
        switch (e->type()) {
        case QEvent::KeyPress:
            return onKey(static_cast<QKeyEvent*>(e));
        case QEvent::MouseButtonRelease:
            return onMouseRelease(static_cast<QMouseEvent*>(e));
        case QEvent::InputMethod:
            return onInputMethod(static_cast<QInputMethodEvent*>(e));
        default:
            return false;
        }
    }

  private:
    QString kept(const QString& text) const {
        QString out;
        out.reserve(text.size());
        for (QChar c : text)
            if (allowed_(c))
                out.append(c);
        return out;
    }

    // Inserts the allowed part of `text` in place of the selection; nothing when none is allowed.
    void insertKept(const QString& text) {
        const QString part = kept(text);
        if (!part.isEmpty())
            box_->insert(part);
    }

    bool onKey(QKeyEvent* k) {
        if (k->matches(QKeySequence::Paste)) {
            insertKept(QGuiApplication::clipboard()->text(QClipboard::Clipboard));
            return true;
        }
        // The keys the box would insert as text: printable, without Ctrl or Meta.
        const QString text = k->text();
        if (text.isEmpty() || !text.at(0).isPrint() ||
            (k->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) != 0)
            return false;
        const QString part = kept(text);
        if (part == text)
            return false;
        if (!part.isEmpty())
            box_->insert(part);
        return true; // refused: the text and its selection stay as they are
    }

    // The middle button pastes the selection where the platform has one.
    bool onMouseRelease(QMouseEvent* m) {
        QClipboard* clip = QGuiApplication::clipboard();
        if (m->button() != Qt::MiddleButton || !clip->supportsSelection())
            return false;
        box_->deselect();
        insertKept(clip->text(QClipboard::Selection));
        return true;
    }

    bool onInputMethod(QInputMethodEvent* im) {
        const QString commit = im->commitString();
        const QString part = kept(commit);
        if (part == commit)
            return false;
        QInputMethodEvent filtered(im->preeditString(), im->attributes());
        filtered.setCommitString(part, im->replacementStart(), im->replacementLength());
        QCoreApplication::sendEvent(box_, &filtered);
        return true;
    }

    // After a change by any other way: the characters added that the filter refuses are taken
    // out again; when none of the added ones is allowed, the text goes back to what it was.
    void onChanged(const QString& text) {
        const bool edited = edited_;
        edited_ = false;
        if (fixing_) {
            last_ = text;
            return;
        }
        if (!edited) {
            // Set by the program (or through accessibility): the whole text passes the filter; a
            // window that shows stored text as it is lets everything through while it fills.
            const QString whole = kept(text);
            if (whole != text) {
                fixing_ = true;
                box_->setText(whole);
                fixing_ = false;
            }
            last_ = whole;
            return;
        }
        const qsizetype shorter = std::min(text.size(), last_.size());
        qsizetype head = 0;
        while (head < shorter && text.at(head) == last_.at(head))
            ++head;
        qsizetype tail = 0;
        while (tail < shorter - head && text.at(text.size() - 1 - tail) == last_.at(last_.size() - 1 - tail))
            ++tail;
        const QString added = text.mid(head, text.size() - head - tail);
        const QString part = kept(added);
        if (part == added) {
            last_ = text;
            return;
        }
        const QString fixed = part.isEmpty() ? last_ : text.left(head) + part + text.right(tail);
        const int cursor = static_cast<int>(part.isEmpty() ? head : head + part.size());
        fixing_ = true;
        box_->setText(fixed);
        box_->setCursorPosition(cursor);
        fixing_ = false;
        last_ = fixed;
    }

    QLineEdit* box_;
    CharFilter allowed_;
    QString last_;
    bool edited_ = false;
    bool fixing_ = false;
};

} // namespace

void GuardTextBox(QLineEdit* box, CharFilter allowed) {
    box->setContextMenuPolicy(Qt::NoContextMenu);
    box->setAcceptDrops(false);
    box->setDragEnabled(false);
    if (allowed)
        new TextGuard(box, std::move(allowed));
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
