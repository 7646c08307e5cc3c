// SPDX-License-Identifier: GPL-3.0-or-later
// The tone tips window: the eight roger-beep melodies with their repeat count, interval and up to
// fourteen steps of tone and length, a bar drawing of the melody and a preview on the sound output.
#pragma once

#include "common/bound_list.h"
#include "common/editor_window.h"
#include "sound/tone_preview.h"

#include <QColor>
#include <QRect>

#include <array>
#include <memory>
#include <vector>

class QLabel;
class QPushButton;
class QTabBar;

namespace zt {

// The bars of a tone tip: one per step with a length, as wide as its share of the whole length
// and as high as its tone (of 256), red for odd steps and blue for even ones, inside a 50-unit
// margin of `size`. Silent steps take width but no height.
struct ToneBar {
    QRect rect;
    QColor color;
};
std::vector<ToneBar> ToneBars(const ToneTipEntry& tip, QSize size, int margin);

class FrmToneTips : public EditorWindow {
    Q_OBJECT
  public:
    static constexpr const char* kName = "FrmToneTips";
    static constexpr int kSteps = 14;

    // The preview plays on `output` with `clock` (the sound output and a timer when not given).
    FrmToneTips(AppState& app, Document& doc, WindowRouter* router, std::unique_ptr<ToneOutput> output = {},
                std::unique_ptr<StepClock> clock = {}, QWidget* parent = nullptr);
    ~FrmToneTips() override;

    void loadFromDocument() override;
    void orderTabs() override;
    void retranslate() override;

    int CurrentTone() const { return current_; }
    QTabBar* TabStrip1() const { return tabs_; }
    BoundList* Combo1() const { return combo1_; }
    BoundList* Combo2() const { return combo2_; }
    BoundList* Combo3(int i) const { return combo3_.at(static_cast<std::size_t>(i)); }
    BoundList* Combo4(int i) const { return combo4_.at(static_cast<std::size_t>(i)); }
    QWidget* Picture1() const { return picture_; }
    QPushButton* Play() const { return play_; }
    QPushButton* Stop() const { return stop_; }
    bool Previewing() const { return preview_->Playing(); }

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    void ShowTone();
    ToneTipEntry& tip();
    void tipsChanged();
    void onPlay();
    void stopPreview();

    int current_ = 1;
    QTabBar* tabs_ = nullptr;
    BoundList* combo1_ = nullptr;
    BoundList* combo2_ = nullptr;
    std::array<BoundList*, kSteps> combo3_{};
    std::array<BoundList*, kSteps> combo4_{};
    std::array<QLabel*, kSteps> label5_{};
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    std::array<QLabel*, 2> label3_{};
    std::array<QLabel*, 2> label4_{};
    QWidget* picture_ = nullptr;
    QPushButton* play_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    std::unique_ptr<ToneOutput> output_;
    std::unique_ptr<StepClock> clock_;
    std::unique_ptr<TonePreview> preview_; // last: goes first, while output and clock still live
};

} // namespace zt
