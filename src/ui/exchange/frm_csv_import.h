// SPDX-License-Identifier: GPL-3.0-or-later
// The preview of a CSV import: where the rows go (the file's channel numbers, or in file order from
// a channel the user picks) with a line saying so, what happens to channels in use, the channels
// the import will take (with how values were understood) and the rows it refuses with their
// reasons; when no row is taken, why (the placement or the file). The lists and the lines follow
// every change of the choice at once. Import confirms, Cancel changes nothing. The lists are read
// only: Tab passes them, the arrows move within them.
#pragma once

#include "app/app_state.h"
#include "files/csv_channels.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;

namespace zt {

class FrmCsvImport : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmCsvImport";
    // `csv` is the file's text; the preview opens on the placement AdviseCsvPlacement gives.
    FrmCsvImport(const AppState& app, const DocumentCopy& d, std::string csv, const QString& fileName,
                 QWidget* parent = nullptr);

    // The plan for the choice shown (what Import applies).
    const CsvImportPlan& plan() const { return plan_; }
    const CsvImportOptions& options() const { return options_; }

    QTableWidget* takenTable() const { return taken_; }
    QTableWidget* refusedTable() const { return refused_; }
    QPushButton* importButton() const { return import_; }
    QPushButton* cancelButton() const { return cancel_; }
    QRadioButton* fileNumbersButton() const { return fileNumbers_; }
    QRadioButton* fileOrderButton() const { return fileOrder_; }
    QComboBox* groupBox() const { return group_; }
    QSpinBox* channelBox() const { return channel_; }
    QCheckBox* replaceInUseBox() const { return replaceInUse_; }
    QRadioButton* resetButton() const { return reset_; }
    QRadioButton* updateColumnsButton() const { return updateColumns_; }
    // Where the rows go with the choice shown (while the choice made on opening is in force: why).
    QLabel* adviceLabel() const { return placeText_; }
    // Why nothing can be imported (shown while no row is taken).
    QLabel* nothingLabel() const { return nothing_; }

  private:
    // Reads the choice from the controls, plans again and refills the lists.
    void replan();
    void fill();

    const AppState& app_;
    const DocumentCopy& doc_;
    std::string csv_;
    CsvPlacementAdvice advice_;
    CsvImportOptions options_;
    CsvImportPlan plan_;

    QRadioButton* fileNumbers_ = nullptr;
    QRadioButton* fileOrder_ = nullptr;
    QComboBox* group_ = nullptr;
    QSpinBox* channel_ = nullptr;
    QCheckBox* replaceInUse_ = nullptr;
    QRadioButton* reset_ = nullptr;
    QRadioButton* updateColumns_ = nullptr;
    QLabel* placeText_ = nullptr;
    QLabel* shapeText_ = nullptr; // how the file was read (encoding, separator, comment lines)
    QLabel* takenLabel_ = nullptr;
    QLabel* refusedLabel_ = nullptr;
    QLabel* wattsLabel_ = nullptr;
    QLabel* nothing_ = nullptr;
    QTableWidget* taken_ = nullptr;
    QTableWidget* refused_ = nullptr;
    QPushButton* import_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace zt
