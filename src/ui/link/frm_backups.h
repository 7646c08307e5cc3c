// SPDX-License-Identifier: GPL-3.0-or-later
// The backups of radio reads and writes, newest first: date, time, kind, the radio's serial number
// and model, the channels in use, the document a write sent and how it ended. Restore to Radio
// (also a double click or Enter on a row) chooses one whose memory is written back into the radio;
// Open as Document chooses one to be loaded as an untitled document. With no backups kept the list
// is replaced by a line saying so.
#pragma once

#include "common/form_dialog.h"
#include "files/backup_store.h"

#include <optional>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

namespace zt {

class FrmBackups : public FormDialog {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmBackups";
    // `entries` as BackupStore::list gives them; `folder` is the folder they are kept in.
    FrmBackups(const AppState& app, std::vector<BackupEntry> entries, const QString& folder,
               QWidget* parent = nullptr);

    enum class Action { Restore, Open };
    // The backup chosen, and what to do with it; empty after Cancel.
    const std::optional<BackupEntry>& chosen() const { return chosen_; }
    Action action() const { return action_; }
    QPushButton* CommandOpen() const { return open_; }
    // The list of backups; nullptr when there are none.
    QTableWidget* BackupList() const { return table_; }
    // The line shown in place of the list when there are none; nullptr otherwise.
    QLabel* EmptyLabel() const { return empty_; }

  private:
    void choose(Action action);

    std::vector<BackupEntry> entries_;
    std::optional<BackupEntry> chosen_;
    Action action_ = Action::Restore;
    QPushButton* open_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* empty_ = nullptr;
};

} // namespace zt
