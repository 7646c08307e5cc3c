// SPDX-License-Identifier: GPL-3.0-or-later
// The language dialog: English or Chinese. It changes only the language setting (and writes it
// to mysetup.ini); the main window relabels itself when it is next activated.
#pragma once

#include "common/form_dialog.h"

class QComboBox;
class QLabel;

namespace zt {

class FrmSetLanguage : public FormDialog {
    Q_OBJECT
  public:
    explicit FrmSetLanguage(AppState& app, QWidget* parent = nullptr);

    QComboBox* Combo1() const { return combo1_; }
    void CommandOK_Click();

  private:
    AppState& state_;
    QComboBox* combo1_ = nullptr;
    QLabel* label1_ = nullptr;
};

} // namespace zt
