// SPDX-License-Identifier: GPL-3.0-or-later
#include "lang/frm_set_language.h"

#include "files/app_settings.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace zt {

FrmSetLanguage::FrmSetLanguage(AppState& app, QWidget* parent)
    : FormDialog(app, "FrmSetLanguage", parent), state_(app) {
    setWindowTitle(T(23000));
    combo1_ = new QComboBox(this);
    combo1_->setObjectName("Combo1");
    combo1_->addItems({T(23002), T(23003)});
    combo1_->setAccessibleName(T(23001));
    label1_ = addRow(combo1_, "Label1");
    label1_->setText(T(23001));
    combo1_->setCurrentIndex(app.LanguageCode == 2 ? 1 : 0);
    connect(CommandOK(), &QPushButton::clicked, this, &FrmSetLanguage::CommandOK_Click);
}

void FrmSetLanguage::CommandOK_Click() {
    const int code = combo1_->currentIndex() + 1;
    if (code != state_.LanguageCode) {
        state_.LanguageCode = static_cast<std::int16_t>(code);
        state_.LanguageFile = code == 2 ? "chinese.ini" : "english.ini";
    }
    // The choice is written even when it did not change.
    WriteCurrentLanguage(state_);
    accept();
}

} // namespace zt
