// SPDX-License-Identifier: GPL-3.0-or-later
// The group and channel the radio returns to after a reset, for its E mode (groups 0..5) and its
// normal mode (groups 6..11).
#pragma once

#include "common/editor_window.h"
#include "common/form_keys.h"
#include "common/window_buttons.h"

#include <array>

class QLabel;

namespace zt {

class BoundList;

class FrmResetMode : public EditorWindow {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmResetMode";
    FrmResetMode(AppState& app, Document& doc, WindowRouter* router, QWidget* parent = nullptr);

    void loadFromDocument() override;
    void retranslate() override;
    void refresh(Refresh what) override;

    // The lists: E-mode group, E-mode channel, normal-mode group, normal-mode channel.
    BoundList* list(int i) const { return combo_[static_cast<std::size_t>(i)]; }

  private:
    void fillGroupLists();
    // Picking group `index` of mode m (0 E mode, 1 normal mode).
    void groupPicked(int m, int index);

    std::array<BoundList*, 4> combo_{};
    std::array<QLabel*, 4> label_{};
    WindowButtons buttons_;
    FocusChain chain_;
};

} // namespace zt
