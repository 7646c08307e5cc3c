// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/frm_progress.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

namespace zt {

FrmProgress::FrmProgress(const AppState& app, LinkMode mode, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(kName);
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QString::fromStdString(app.LangText(9026 + static_cast<int>(mode))));

    bar_ = new QProgressBar(this);
    bar_->setObjectName("ProgressBar1");
    bar_->setRange(0, 100);
    bar_->setTextVisible(false);
    label_ = new QLabel(QString::fromStdString(app.LangText(9029)), this);
    label_->setObjectName("Label1");
    percent_ = new QLabel(this);
    percent_->setObjectName("Label2");
    percent_->setAccessibleName("Label2");
    // The caption ends a small gap left of the percentage.
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(label_);
    row->addSpacing(10);
    row->addWidget(percent_);
    auto* box = new QVBoxLayout(this);
    box->addWidget(bar_);
    box->addLayout(row);
    setMinimumWidth(360);
    SetProgressValue(0);
}

void FrmProgress::SetProgressValue(int percent) {
    const int p = std::clamp(percent, 0, 100);
    bar_->setValue(p);
    percent_->setText(QString::number(p) + "%");
}

void FrmProgress::SetPhase(const QString& caption) {
    setWindowTitle(caption);
    SetProgressValue(0);
}

void FrmProgress::reject() {
    // Esc does not end an exchange.
    if (closable_)
        QDialog::reject();
}

void FrmProgress::closeEvent(QCloseEvent* e) {
    if (closable_)
        QDialog::closeEvent(e);
    else
        e->ignore();
}

} // namespace zt
