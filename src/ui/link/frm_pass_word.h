// SPDX-License-Identifier: GPL-3.0-or-later
// The programming password dialog: the password last confirmed in its text box (at most four
// characters), hidden as it is typed unless "Show password" is ticked. OK keeps the typed text, cut at its
// first NUL and without trailing blanks; Cancel keeps the previous password.
#pragma once

#include "common/form_dialog.h"

#include <string>

class QCheckBox;
class QLineEdit;

namespace zt {

class FrmPassWord : public FormDialog {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmPassWord";
    FrmPassWord(const AppState& app, const std::string& password, QWidget* parent = nullptr);

    // The password after the dialog: the typed one after OK, the previous one otherwise.
    const std::string& password() const { return password_; }
    QLineEdit* Text1() const { return text1_; }
    QCheckBox* ShowPassword() const { return show_; }

    // The typed text as stored: up to the first NUL, trailing blanks removed.
    static std::string Trimmed(const std::string& typed);

  private:
    QLineEdit* text1_ = nullptr;
    QCheckBox* show_ = nullptr;
    std::string password_;
};

} // namespace zt
