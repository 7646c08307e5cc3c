// SPDX-License-Identifier: GPL-3.0-or-later
// The splash window shown at the end of start-up: the start picture of the language for two
// seconds, or until it is clicked; then the main window opens (exactly once) and the splash goes.
#pragma once

#include "app/app_state.h"

#include <QTimer>
#include <QWidget>

#include <functional>

class QLabel;

namespace zt {

class frmSplash : public QWidget {
    Q_OBJECT
  public:
    // `openMain` loads and shows the main window.
    frmSplash(const AppState& app, std::function<void()> openMain, QWidget* parent = nullptr);

    QTimer& Timer1() { return timer1_; }
    QLabel* picLogo() const { return picLogo_; }
    // The timer fired or the picture was clicked.
    void Finish();
    bool finished() const { return finished_; }

  protected:
    bool eventFilter(QObject* o, QEvent* e) override;

  private:
    std::function<void()> openMain_;
    QLabel* picLogo_ = nullptr;
    QTimer timer1_;
    bool finished_ = false;
};

} // namespace zt
