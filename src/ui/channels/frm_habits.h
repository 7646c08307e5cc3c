// SPDX-License-Identifier: GPL-3.0-or-later
// The editing habits dialog: five check boxes, OK stores and saves them, Cancel changes nothing.
#pragma once

#include "app/app_state.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QPushButton;

namespace zt {

class FrmHabits : public QDialog {
    Q_OBJECT
  public:
    // OK stores the ticked flags into app.habits and writes the habit file.
    explicit FrmHabits(AppState& app, QWidget* parent = nullptr);

    QCheckBox* Check1(int k) const { return check1_[static_cast<std::size_t>(k)]; }
    QPushButton* CommandOK() const { return ok_; }
    QPushButton* CommandCancel() const { return cancel_; }

  private:
    void accept() override;

    AppState& app_;
    std::array<QCheckBox*, 5> check1_{};
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace zt
