// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/form_dialog.h"

#include "common/form_keys.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zt {

FormDialog::FormDialog(const AppState& app, const char* name, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName(name);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* outer = new QVBoxLayout(this);
    form_ = new QFormLayout;
    form_->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    outer->addLayout(form_);
    auto* box = new QDialogButtonBox(this);
    box_ = box;
    ok_ = box->addButton(T(9017), QDialogButtonBox::AcceptRole);
    ok_->setObjectName("CommandOK");
    ok_->setDefault(true);
    cancel_ = box->addButton(T(9018), QDialogButtonBox::RejectRole);
    cancel_->setObjectName("CommandCancel");
    outer->addWidget(box);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

QPushButton* FormDialog::addButton(const QString& text, const char* name) {
    QPushButton* b = box_->addButton(text, QDialogButtonBox::ActionRole);
    b->setObjectName(name);
    QWidget::setTabOrder(ok_, b);
    QWidget::setTabOrder(b, cancel_);
    extra_ = b;
    return b;
}

QLabel* FormDialog::addRow(QWidget* control, const char* name) {
    auto* label = new QLabel(this);
    label->setObjectName(name);
    label->setBuddy(control);
    form_->addRow(label, control);
    enterMovesOn(control);
    chain(control);
    return label;
}

void FormDialog::addWideRow(QWidget* control) {
    form_->addRow(control);
    chain(control);
}

void FormDialog::chain(QWidget* control) {
    // Tab and Enter go through the controls in their rows' order, then to the buttons.
    if (lastControl_ != nullptr)
        QWidget::setTabOrder(lastControl_, control);
    else
        firstControl_ = control;
    QWidget::setTabOrder(control, ok_);
    if (extra_ != nullptr) {
        QWidget::setTabOrder(ok_, extra_);
        QWidget::setTabOrder(extra_, cancel_);
    } else {
        QWidget::setTabOrder(ok_, cancel_);
    }
    lastControl_ = control;
}

void FormDialog::enterMovesOn(QWidget* w) {
    w->installEventFilter(this);
}

void FormDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (firstControl_ != nullptr)
        firstControl_->setFocus(Qt::OtherFocusReason);
}

bool FormDialog::eventFilter(QObject* o, QEvent* e) {
    if (e->type() == QEvent::KeyPress && IsEnterKey(static_cast<QKeyEvent*>(e))) {
        if (auto* w = qobject_cast<QWidget*>(o)) {
            FocusNext(w); // the Tab order set by chain(): the next row, then the buttons
            return true;
        }
    }
    return QDialog::eventFilter(o, e);
}

} // namespace zt
