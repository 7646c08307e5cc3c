// SPDX-License-Identifier: GPL-3.0-or-later
// How the radio scans: scanning on or off, the priority-channel mode and channels, the revert
// channel, look-back times, resume delays and the scan-entry prompt tone.
#pragma once

#include "common/editor_window.h"
#include "common/form_keys.h"
#include "common/window_buttons.h"

#include <array>
#include <vector>

class QCheckBox;
class QLabel;

namespace zt {

class BoundList;

class FrmScan : public EditorWindow {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmScan";
    static constexpr int kLists = 11;
    // The function of a programmable key that needs scanning to be on.
    static constexpr int kScanKeyFunction = 8;
    FrmScan(AppState& app, Document& doc, WindowRouter* router, QWidget* parent = nullptr);

    void loadFromDocument() override;
    void retranslate() override;
    void refresh(Refresh what) override;

    // Fills the revert list with the choices the priority mode offers.
    void InitRevertList();
    // Rebuilds the priority-channel pickers from the channel table.
    void ReshowByCh();

    BoundList* list(int i) const { return combo_[static_cast<std::size_t>(i)]; }
    QCheckBox* promptTone() const { return check1_; }

  private:
    std::uint8_t& byte(int i) { return doc_.work.settings.Options.ScanBlock[static_cast<std::size_t>(i)]; }
    QStringList fullRevertList() const;
    void ApplyScanRules();
    // Shows the stored priority channel `pair` (0 first, 1 second) in its two lists.
    void showPriority(int pair);
    void groupPicked(int pair);
    void showRevert();

    std::array<BoundList*, kLists> combo_{};
    std::array<QLabel*, kLists> label_{};
    QCheckBox* check1_ = nullptr;
    WindowButtons buttons_;
    std::vector<int> revertShown_; // position in the full revert list of each entry shown
    FocusChain chain_;
};

} // namespace zt
