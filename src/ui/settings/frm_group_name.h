// SPDX-License-Identifier: GPL-3.0-or-later
// The 3-character names of the channel groups 0..11 (group 12, the VFO, has none).
#pragma once

#include "common/editor_window.h"
#include "common/form_keys.h"
#include "common/window_buttons.h"

#include <array>

class QLabel;
class QLineEdit;

namespace zt {

class FrmGroupName : public EditorWindow {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmGroupName";
    static constexpr int kNamed = 12; // groups with a name; a 13th row shows group 12 disabled
    static constexpr std::size_t kWidth = 3;
    FrmGroupName(AppState& app, Document& doc, WindowRouter* router, QWidget* parent = nullptr);

    void loadFromDocument() override;
    void retranslate() override;
    void refresh(Refresh what) override;

    QLineEdit* box(int i) const { return text_[static_cast<std::size_t>(i)]; }

  protected:
    bool eventFilter(QObject* o, QEvent* e) override;

  private:
    void store(std::size_t i);

    std::array<QLineEdit*, kNamed + 1> text_{};
    std::array<QLabel*, kNamed + 1> label_{};
    WindowButtons buttons_;
    FocusChain chain_;
};

} // namespace zt
