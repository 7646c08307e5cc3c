// SPDX-License-Identifier: GPL-3.0-or-later
#include "channels/frm_habits.h"

#include "common/twips.h"
#include "files/app_settings.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace zt {

FrmHabits::FrmHabits(AppState& app, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName("FrmHabits");
    setWindowTitle(QString::fromStdString(app.LangText(28006)));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(Tw(240, this), Tw(240, this), Tw(240, this), Tw(240, this));
    const Habits& h = app.habits;
    const std::array<bool, 5> flags = {h.PasteNoPrompt, h.PasteInserts, h.DeleteNoPrompt, h.DeleteRemoves,
                                       h.TxAsOffset};
    for (int k = 0; k < 5; ++k) {
        auto* c = new QCheckBox(QString::fromStdString(app.LangText(28007 + k)), this);
        c->setObjectName(QString("Check1_%1").arg(k));
        c->setChecked(flags[static_cast<std::size_t>(k)]);
        v->addWidget(c);
        check1_[static_cast<std::size_t>(k)] = c;
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ok_ = new QPushButton(QString::fromStdString(app.LangText(28004)), this);
    ok_->setObjectName("CommandOK");
    ok_->setDefault(true);
    cancel_ = new QPushButton(QString::fromStdString(app.LangText(28005)), this);
    cancel_->setObjectName("CommandCancel");
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    v->addSpacing(Tw(120, this));
    v->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, &FrmHabits::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void FrmHabits::accept() {
    Habits& h = app_.habits;
    h.PasteNoPrompt = check1_[0]->isChecked();
    h.PasteInserts = check1_[1]->isChecked();
    h.DeleteNoPrompt = check1_[2]->isChecked();
    h.DeleteRemoves = check1_[3]->isChecked();
    h.TxAsOffset = check1_[4]->isChecked();
    SaveHabits(app_); // a failed write is not reported: the flags still hold for this run
    QDialog::accept();
}

} // namespace zt
