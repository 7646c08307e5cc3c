// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_model_info.h"

#include "model/model_config.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace zt {

FrmModelInfo::FrmModelInfo(const AppState& app, QWidget* parent) : FormDialog(app, "FrmModelInfo", parent) {
    setWindowTitle(T(13000));
    combo1_ = new QComboBox(this);
    combo1_->setObjectName("Combo1");
    combo2_ = new QComboBox(this);
    combo2_->setObjectName("Combo2");
    addRow(combo1_, "Label1_0")->setText(T(13001));
    addRow(combo2_, "Label1_1")->setText(T(13002));
    combo1_->setAccessibleName(T(13001));
    combo2_->setAccessibleName(T(13002));
    for (const std::string& m : ModelList())
        combo1_->addItem(QString::fromStdString(m));
    const int at = combo1_->findText(QString::fromStdString(app.ModelNameText));
    combo1_->setCurrentIndex(at >= 0 ? at : 0);
    applyModel();
    // At opening the band list shows the current band when the model has it.
    const int band = combo2_->findText(QString::fromStdString(app.BandText));
    if (band >= 0)
        combo2_->setCurrentIndex(band);
    connect(combo1_, &QComboBox::activated, this, [this] { applyModel(); });
    connect(CommandOK(), &QPushButton::clicked, this, &FrmModelInfo::CommandOK_Click);
}

void FrmModelInfo::applyModel() {
    combo2_->clear();
    for (const std::string& b : BandListForModel(combo1_->currentText().toStdString()))
        combo2_->addItem(QString::fromStdString(b));
    combo2_->setCurrentIndex(combo2_->count() > 0 ? 0 : -1);
}

std::string FrmModelInfo::chosenModel() const {
    return combo1_->currentText().toStdString();
}

std::string FrmModelInfo::chosenBand() const {
    return combo2_->currentText().toStdString();
}

void FrmModelInfo::CommandOK_Click() {
    if (chosenModel() != app_.ModelNameText || chosenBand() != app_.BandText) {
        const Answer a =
            app_.prompter->ask(app_.LangText(9016), Icon::Warning, Buttons::OkCancel, app_.LangText(9019));
        confirmed_ = a == Answer::Ok;
    }
    // The window closes in every case.
    accept();
}

} // namespace zt
