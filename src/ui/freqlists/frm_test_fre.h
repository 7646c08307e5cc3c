// SPDX-License-Identifier: GPL-3.0-or-later
// The 11 test frequency pairs kept in the data file, and the five fixed tuning pairs shown
// beside them.
#pragma once

#include "common/window_buttons.h"
#include "freqlists/freq_grid.h"

class QLabel;

namespace zt {

class FrmTestFre : public FreqListWindow {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmTestFre";
    static constexpr int kEntries = 11;
    static constexpr int kTuningPairs = 5;
    FrmTestFre(AppState& app, Document& doc, WindowRouter* router, QWidget* parent = nullptr);

    void loadFromDocument() override;
    void retranslate() override;

    FreqGrid* tuningGrid() const { return grid2_; }

  protected:
    void storeCell(int row, int col, const QString& text) override;
    void enterKey() override;

  private:
    FreqGrid* grid2_ = nullptr;
    QLabel* label0_ = nullptr;
    QLabel* label1_ = nullptr;
    WindowButtons buttons_;
};

} // namespace zt
