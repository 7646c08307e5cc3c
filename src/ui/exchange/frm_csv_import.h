// The preview of a CSV import: the channels it will take (with how values were understood) and
// the rows it refuses with their reasons. Import confirms, Cancel changes nothing.
#pragma once

#include "app/app_state.h"
#include "files/csv_channels.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace zt {

class FrmCsvImport : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmCsvImport";
    FrmCsvImport(const AppState& app, const CsvImportPlan& plan, const QString& fileName,
                 QWidget* parent = nullptr);

    QTableWidget* takenTable() const { return taken_; }
    QTableWidget* refusedTable() const { return refused_; }
    QPushButton* importButton() const { return import_; }
    QPushButton* cancelButton() const { return cancel_; }

  private:
    QTableWidget* taken_ = nullptr;
    QTableWidget* refused_ = nullptr;
    QPushButton* import_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace zt
