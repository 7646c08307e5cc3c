// SPDX-License-Identifier: GPL-3.0-or-later
// The about window: the program's name, version, a description and the legal notice.
#pragma once

#include "app/app_state.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace zt {

class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(const AppState& app, QWidget* parent = nullptr);

    QLabel* lblTitle() const { return title_; }
    QLabel* lblVersion() const { return version_; }
    QLabel* lblDescription() const { return description_; }
    QLabel* lblDisclaimer() const { return disclaimer_; }
    QPushButton* cmdOK() const { return ok_; }

  private:
    QLabel* title_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* description_ = nullptr;
    QLabel* disclaimer_ = nullptr;
    QPushButton* ok_ = nullptr;
};

} // namespace zt
