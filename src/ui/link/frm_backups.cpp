// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/frm_backups.h"

#include "util/shown_text.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace zt {

namespace {

constexpr int kCaption = 33221;
constexpr int kDateColumn = 33222;
constexpr int kTimeColumn = 33223;
constexpr int kKindColumn = 33224;
constexpr int kSerialColumn = 33225;
constexpr int kModelColumn = 34707;
constexpr int kChannelsColumnText = 33226;
constexpr int kDocumentColumn = 34644;
constexpr int kVerifiedColumn = 34645;
constexpr int kColumns = 8;
constexpr int kChannelsColumn = 5;
constexpr int kYes = 34646;
constexpr int kNo = 34647;
constexpr int kNotChecked = 34648;
constexpr int kFailed = 34714;
constexpr int kNoSerial = 34656;
constexpr int kRestore = 34708;
constexpr int kOpenAsDocument = 34709;

// The kind of a backup in the user's words.
int KindTextId(BackupKind kind) {
    switch (kind) {
    case BackupKind::Read:
        return 33227;
    case BackupKind::BeforeWrite:
        return 34710;
    case BackupKind::Write:
        return 33228;
    case BackupKind::BatchRead:
        return 34711;
    case BackupKind::BatchWrite:
        return 34712;
    case BackupKind::Restore:
        return 34713;
    }
    return 33227;
}
constexpr int kNoBackups = 33230;
constexpr int kFolder = 33233;
constexpr int kCancel = 28005;

} // namespace

FrmBackups::FrmBackups(const AppState& app, std::vector<BackupEntry> entries, const QString& folder,
                       QWidget* parent)
    : FormDialog(app, kName, parent), entries_(std::move(entries)) {
    setWindowTitle(T(kCaption));
    CommandOK()->setText(T(kRestore));
    CommandCancel()->setText(T(kCancel));
    open_ = addButton(T(kOpenAsDocument), "CommandOpen");

    if (entries_.empty()) {
        empty_ = new QLabel(T(kNoBackups), this);
        empty_->setObjectName("LabelEmpty");
        addWideRow(empty_);
        CommandOK()->setEnabled(false);
        open_->setEnabled(false);
    } else {
        table_ = new QTableWidget(static_cast<int>(entries_.size()), kColumns, this);
        table_->setObjectName("BackupList");
        table_->setAccessibleName(T(kCaption));
        QStringList headers;
        for (int id : {kDateColumn, kTimeColumn, kKindColumn, kSerialColumn, kModelColumn,
                       kChannelsColumnText, kDocumentColumn, kVerifiedColumn})
            headers << T(id);
        table_->setHorizontalHeaderLabels(headers);
        table_->verticalHeader()->hide();
        table_->horizontalHeader()->setStretchLastSection(true);
        table_->setSelectionBehavior(QAbstractItemView::SelectRows);
        table_->setSelectionMode(QAbstractItemView::SingleSelection);
        table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table_->setTabKeyNavigation(false);
        for (std::size_t r = 0; r < entries_.size(); ++r) {
            const BackupEntry& e = entries_[r];
            const QString check = e.check == BackupCheck::Verified     ? T(kYes)
                                  : e.check == BackupCheck::Differs    ? T(kNo)
                                  : e.check == BackupCheck::Failed     ? T(kFailed)
                                  : e.check == BackupCheck::NotChecked ? T(kNotChecked)
                                                                       : QString();
            const QString cells[kColumns] = {
                QString::fromStdString(e.date),
                QString::fromStdString(e.time),
                T(KindTextId(e.kind)),
                e.serial.empty() ? T(kNoSerial)
                                 : QString::fromStdString(ShownText(e.serial, HighBytes::Legacy)),
                QString::fromStdString(ShownText(e.model, HighBytes::Legacy)),
                QString::number(e.channelCount),
                QString::fromStdString(ShownText(e.document)),
                check};
            for (int c = 0; c < kColumns; ++c) {
                auto* item = new QTableWidgetItem(cells[c]);
                if (c == kChannelsColumn)
                    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                table_->setItem(static_cast<int>(r), c, item);
            }
        }
        table_->resizeColumnsToContents();
        table_->setCurrentCell(0, 0);
        addWideRow(table_);
        connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { choose(Action::Restore); });
    }

    // A long path scrolls in its box and can be copied from there.
    auto* where = new QLineEdit(QDir::toNativeSeparators(folder), this);
    where->setObjectName("TextFolder");
    where->setReadOnly(true);
    where->setAccessibleName(T(kFolder));
    where->setCursorPosition(0);
    addRow(where, "Label1")->setText(T(kFolder));
    connect(CommandOK(), &QPushButton::clicked, this, [this] { choose(Action::Restore); });
    connect(open_, &QPushButton::clicked, this, [this] { choose(Action::Open); });
    setMinimumSize(760, 320);
}

void FrmBackups::choose(Action action) {
    if (table_ == nullptr || table_->currentRow() < 0)
        return;
    chosen_ = entries_[static_cast<std::size_t>(table_->currentRow())];
    action_ = action;
    accept();
}

} // namespace zt
