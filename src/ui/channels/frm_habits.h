// The editing habits dialog: five check boxes, OK stores and saves them, Cancel changes nothing.
#pragma once

#include "app/app_state.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QPushButton;

namespace zt {

class FrmHabits : public QDialog {
    Q_OBJECT
  public:
    // `save` writes the habit file; it runs when OK is pressed.
    FrmHabits(AppState& app, std::function<void(const Habits&)> save, QWidget* parent = nullptr);

    QCheckBox* Check1(int k) const { return check1_[static_cast<std::size_t>(k)]; }
    QPushButton* CommandOK() const { return ok_; }
    QPushButton* CommandCancel() const { return cancel_; }

  private:
    void accept() override;

    AppState& app_;
    std::function<void(const Habits&)> save_;
    std::array<QCheckBox*, 5> check1_{};
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace zt
