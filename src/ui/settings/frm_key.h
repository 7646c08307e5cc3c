// SPDX-License-Identifier: GPL-3.0-or-later
// The functions of the programmable keys PF1 and PF2 for a long and a short press, and how long a
// press must last to count as long.
#pragma once

#include "common/editor_window.h"
#include "common/form_keys.h"
#include "common/window_buttons.h"

#include <array>
#include <vector>

class QGroupBox;
class QLabel;

namespace zt {

class BoundList;

class FrmKey : public EditorWindow {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmKey";
    static constexpr int kFunctions = 22; // function numbers 0..21
    FrmKey(AppState& app, Document& doc, WindowRouter* router, QWidget* parent = nullptr);

    void loadFromDocument() override;
    void retranslate() override;
    void refresh(Refresh what) override;

    // Shows the stored functions of the four key lists again.
    void ShowKeyLists();

    // Combo1(i): 0..3 the key lists, 9 and 10 the long-press times.
    BoundList* list(int i) const;

  private:
    void keyPicked(int k, int index);

    std::array<BoundList*, 4> keys_{};
    std::array<QLabel*, 4> keyLabels_{};
    std::array<std::vector<int>, 4> offered_; // function number of each entry of a key list
    std::array<BoundList*, 2> times_{};
    std::array<QLabel*, 2> timeLabels_{};
    std::array<QGroupBox*, 2> frames_{};
    WindowButtons buttons_;
    FocusChain chain_;
};

} // namespace zt
