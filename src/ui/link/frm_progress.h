// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window of a read or write exchange: a bar and a percentage label. It is modal
// for the rest of the program but shown without a nested event loop, since the exchange runs on
// the port's and the timer's events. It has no close button, and neither Esc nor a close request
// ends it: only the exchange closes it.
#pragma once

#include "app/app_state.h"
#include "link/link_io.h"

#include <QDialog>

class QLabel;
class QProgressBar;

namespace zt {

class FrmProgress : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmProgress";
    FrmProgress(const AppState& app, LinkMode mode, QWidget* parent = nullptr);

    void SetProgressValue(int percent);
    // A second phase of the same exchange (the read-back of a write): its caption, the bar from 0.
    void SetPhase(const QString& caption);
    QProgressBar* ProgressBar1() const { return bar_; }
    QLabel* Label2() const { return percent_; }
    // Lets the window close (the exchange is over).
    void allowClose() { closable_ = true; }

  protected:
    void reject() override;
    void closeEvent(QCloseEvent* e) override;

  private:
    QProgressBar* bar_ = nullptr;
    QLabel* label_ = nullptr;
    QLabel* percent_ = nullptr;
    bool closable_ = false;
};

} // namespace zt
