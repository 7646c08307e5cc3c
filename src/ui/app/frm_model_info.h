// SPDX-License-Identifier: GPL-3.0-or-later
// The model window: the radio model and its band. Confirming a different model or band (after a
// warning that a new document starts) reports the choice; the main window then applies it.
#pragma once

#include "common/form_dialog.h"

#include <string>

class QComboBox;

namespace zt {

class FrmModelInfo : public FormDialog {
    Q_OBJECT
  public:
    explicit FrmModelInfo(const AppState& app, QWidget* parent = nullptr);

    QComboBox* Combo1() const { return combo1_; }
    QComboBox* Combo2() const { return combo2_; }
    void CommandOK_Click();

    // After exec(): the user confirmed a change to this model and band.
    bool changeConfirmed() const { return confirmed_; }
    std::string chosenModel() const;
    std::string chosenBand() const;

  private:
    // Rebuilds the band list for the model shown in Combo1; the first band is shown.
    void applyModel();

    QComboBox* combo1_ = nullptr;
    QComboBox* combo2_ = nullptr;
    bool confirmed_ = false;
};

} // namespace zt
