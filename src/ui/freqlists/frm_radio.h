// SPDX-License-Identifier: GPL-3.0-or-later
// The list of 20 broadcast-radio (FM) frequencies kept in the data file.
#pragma once

#include "common/window_buttons.h"
#include "freqlists/freq_grid.h"

namespace zt {

class FrmRadio : public FreqListWindow {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmRadio";
    static constexpr int kEntries = 20;
    FrmRadio(AppState& app, Document& doc, WindowRouter* router, QWidget* parent = nullptr);

    void loadFromDocument() override;
    void retranslate() override;

  protected:
    void storeCell(int row, int col, const QString& text) override;
    QString editTextOf(const QString& cellText) const override;
    void enterKey() override;

  private:
    WindowButtons buttons_;
};

} // namespace zt
