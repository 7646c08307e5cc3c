// SPDX-License-Identifier: GPL-3.0-or-later
// The radio's emergency alarm: on or off, its type, the ID code it sends, its times, the repeat
// cycle and the channel it is sent on.
#pragma once

#include "common/editor_window.h"
#include "common/form_keys.h"
#include "common/window_buttons.h"

#include <array>

class QLabel;

namespace zt {

class BoundList;

class FrmAlert : public EditorWindow {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmAlert";
    static constexpr int kLists = 11;
    FrmAlert(AppState& app, Document& doc, WindowRouter* router, QWidget* parent = nullptr);

    void loadFromDocument() override;
    void retranslate() override;
    void refresh(Refresh what) override;

    // Rebuilds the emergency-channel pickers from the channel table.
    void ReshowByCh();

    BoundList* list(int i) const { return combo_[static_cast<std::size_t>(i)]; }

  private:
    std::uint8_t& byte(int i) { return doc_.work.settings.Options.AlertBlock[static_cast<std::size_t>(i)]; }
    void typeRule();
    void channelRule();
    // Refills the ID-code list (codes of the DTMF list that hold digits) and shows byte 3.
    void showIdCodes();
    void storeIdCode();
    void showChannels();

    std::array<BoundList*, kLists> combo_{};
    std::array<QLabel*, kLists> label_{};
    WindowButtons buttons_;
    FocusChain chain_;
};

} // namespace zt
