// SPDX-License-Identifier: GPL-3.0-or-later
// The four 16-character lines of the radio's embedded message.
#pragma once

#include "common/editor_window.h"
#include "common/form_keys.h"
#include "common/window_buttons.h"

#include <array>

class QLineEdit;

namespace zt {

class FrmEmbMsg : public EditorWindow {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmEmbMsg";
    static constexpr int kLines = 4;
    static constexpr std::size_t kWidth = 16;
    FrmEmbMsg(AppState& app, Document& doc, WindowRouter* router, QWidget* parent = nullptr);

    void loadFromDocument() override;
    void retranslate() override;

    QLineEdit* box(int i) const { return text_[static_cast<std::size_t>(i)]; }

  protected:
    bool eventFilter(QObject* o, QEvent* e) override;

  private:
    void store(std::size_t i);

    std::array<QLineEdit*, kLines> text_{};
    WindowButtons buttons_;
    FocusChain chain_;
};

} // namespace zt
