// SPDX-License-Identifier: GPL-3.0-or-later
// The window of Program > Write to Several Radios: the document written to radio after radio on the
// port, each radio's result in a list with the count, until the user stops. The batch itself is
// link/batch_write.h; this window shows it and asks the user what it needs.
#pragma once

#include "files/version_table.h"
#include "link/batch_write.h"
#include "serial_link.h"

#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace zt {

class FrmBatchWrite : public QDialog, public BatchHost {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmBatchWrite";
    // `log` is open; `backups` may be null. The batch starts when the window is shown.
    FrmBatchWrite(AppState& app, Document& doc, BatchLog& log, BackupStore* backups, bool verify,
                  const std::string& password, QWidget* parent = nullptr);
    ~FrmBatchWrite() override;

    // The password dialog (the main window's, or a test's); false when it could not be shown.
    std::function<bool(std::string&)> passwordDialog;

    BatchWriter& batch() { return *batch_; }
    QLabel* StatusLabel() const { return status_; }
    QLabel* CountLabel() const { return count_; }
    QTableWidget* RadioList() const { return list_; }
    QPushButton* CommandStop() const { return stop_; }

    // BatchHost
    void phaseChanged(BatchPhase phase, const BatchRadio& radio) override;
    void progress(int percent) override;
    void portTrouble(const std::string& why) override;
    bool askPassword(std::string& password) override;
    void radioDone(const BatchRadio& radio, const BatchCount& count, const std::string& logError) override;
    void batchEnded(const BatchCount& count, const std::string& why) override;

  protected:
    void showEvent(QShowEvent* e) override;
    void reject() override;

  private:
    QString T(int id) const;
    void showCount(const BatchCount& c);
    void onStop();

    AppState& app_;
    SerialLinkPort port_;
    SerialLinkTimer replyTimer_;
    SerialLinkTimer stepTimer_;
    AppVersionTable versions_;
    std::unique_ptr<BatchWriter> batch_;
    QLabel* status_ = nullptr;
    QLabel* count_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QTableWidget* list_ = nullptr;
    QPushButton* stop_ = nullptr;
    bool started_ = false;
    bool ended_ = false;
};

} // namespace zt
